#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace skyloom::core {

class MainDatabase;

struct StationEntry {
    long wmo = 0;
    std::string init;          // call letters
    std::string name;          // stationname
    std::string province;
    std::string country;       // country abbreviation
    double lat = 0, lon = 0;   // degrees, north and east positive
    double latRad = 0, lonRad = 0;
    double elev = 0;           // metres
    long wban = 0;
};

struct CountryEntry {
    std::string name;
    std::string abrev;
    std::string region;
    double latRad = 0, lonRad = 0;
    double elev = 0;
};

// The stations for which data can be had, and the countries, held in memory so
// that the map and the site lists never touch the database.
class StationIndex {
public:
    void load(MainDatabase& db);
    const std::vector<StationEntry>& stations() const { return stations_; }
    const std::vector<CountryEntry>& countries() const { return countries_; }
    const StationEntry* find(long wmo) const;
    const CountryEntry* country(const std::string& abrev) const;

private:
    std::vector<StationEntry> stations_;
    std::vector<CountryEntry> countries_;
    std::unordered_map<long, std::size_t> byWmo_;
    std::unordered_map<std::string, std::size_t> byAbrev_;
};

// One station of a station list file.
struct StationListEntry {
    std::string init;
    long wban = 0;
    long wmo = 0;
    double lat = 0, lon = 0, elev = 0;
    std::string name, province, country;
};

// Reads "<OPTION>" lines (other lines skipped) and IGRA v2 station-list lines
// (fixed columns; only stations with a WMO number are kept). The kind is told
// line by line, so one reader serves both files.
std::vector<StationListEntry> parseStationList(const std::string& text);
// Parses one "<OPTION>" line; nullopt for a line that is not one or lacks numbers.
std::optional<StationListEntry> parseOptionLine(const std::string& line);
std::optional<StationListEntry> parseIgra2StationLine(const std::string& line);

}  // namespace skyloom::core

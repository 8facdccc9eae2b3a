#include "core/StationIndex.h"

#include <algorithm>
#include <cctype>

#include <SQLiteCpp/Statement.h>

#include "core/Constants.h"
#include "core/MainDatabase.h"
#include "core/Text.h"

namespace skyloom::core {

namespace {
std::string textOf(SQLite::Statement& q, int col) {
    return q.getColumn(col).isNull() ? std::string() : q.getColumn(col).getString();
}

// Skips leading blanks, takes the characters up to the next blank; rest gets what follows.
std::string nextToken(std::string& rest) {
    std::size_t b = rest.find_first_not_of(' ');
    if (b == std::string::npos) {
        rest.clear();
        return {};
    }
    std::size_t e = rest.find(' ', b);
    std::string tok = rest.substr(b, e == std::string::npos ? std::string::npos : e - b);
    rest = e == std::string::npos ? std::string() : rest.substr(e);
    return tok;
}
}  // namespace

void StationIndex::load(MainDatabase& db) {
    stations_.clear();
    countries_.clear();
    byWmo_.clear();
    byAbrev_.clear();
    SQLite::Statement q(db.db(),
                        "SELECT wmo, init, stationname, province, country, lat, lon, elev, wban FROM DataAvailable");
    while (q.executeStep()) {
        StationEntry s;
        s.wmo = q.getColumn(0).getInt64();
        s.init = textOf(q, 1);
        s.name = textOf(q, 2);
        s.province = textOf(q, 3);
        s.country = textOf(q, 4);
        s.lat = q.getColumn(5).getDouble();
        s.lon = q.getColumn(6).getDouble();
        s.latRad = s.lat * kPi / 180;
        s.lonRad = s.lon * kPi / 180;
        s.elev = q.getColumn(7).getDouble();
        s.wban = q.getColumn(8).getInt64();
        byWmo_.emplace(s.wmo, stations_.size());
        stations_.push_back(std::move(s));
    }
    SQLite::Statement c(db.db(), "SELECT country, abrev, region, lat, lon, elev FROM countries ORDER BY rowid");
    while (c.executeStep()) {
        CountryEntry e;
        e.name = textOf(c, 0);
        e.abrev = textOf(c, 1);
        e.region = textOf(c, 2);
        e.latRad = c.getColumn(3).getDouble() * kPi / 180;
        e.lonRad = c.getColumn(4).getDouble() * kPi / 180;
        e.elev = c.getColumn(5).getDouble();
        byAbrev_.emplace(toUpper(e.abrev), countries_.size());
        countries_.push_back(std::move(e));
    }
}

const StationEntry* StationIndex::find(long wmo) const {
    auto it = byWmo_.find(wmo);
    return it == byWmo_.end() ? nullptr : &stations_[it->second];
}

const CountryEntry* StationIndex::country(const std::string& abrev) const {
    auto it = byAbrev_.find(toUpper(abrev));
    return it == byAbrev_.end() ? nullptr : &countries_[it->second];
}

std::optional<StationListEntry> parseOptionLine(const std::string& rawLine) {
    if (rawLine.compare(0, 8, "<OPTION>") != 0) return std::nullopt;
    std::string rest = trim(std::string_view(rawLine).substr(8));
    StationListEntry e;
    e.init = nextToken(rest);
    long long wban = 0, wmo = 0;
    double lat = 0, lon = 0, elev = 0;
    if (!parseInteger(nextToken(rest), wban)) wban = 0;
    if (!parseInteger(nextToken(rest), wmo) || wmo <= 0) return std::nullopt;
    if (!parseNumber(nextToken(rest), lat) || !parseNumber(nextToken(rest), lon)) return std::nullopt;
    if (!parseNumber(nextToken(rest), elev)) elev = 0;
    if (lat < -90 || lat > 90 || lon < -180 || lon > 360) return std::nullopt;
    e.wban = static_cast<long>(wban);
    e.wmo = static_cast<long>(wmo);
    e.lat = lat;
    e.lon = lon;
    e.elev = elev;
    // The name is the next 30 characters after the blank that ends the elevation.
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    e.name = trim(rest.substr(0, std::min<std::size_t>(30, rest.size())));
    rest = rest.size() > 30 ? rest.substr(30) : std::string();
    e.province = nextToken(rest);
    e.country = nextToken(rest);
    return e;
}

std::optional<StationListEntry> parseIgra2StationLine(const std::string& line) {
    // ID 1-11, LATITUDE 13-20, LONGITUDE 22-30, ELEVATION 32-37, STATE 39-40, NAME 42-71.
    if (line.size() < 71 || line.size() > 120) return std::nullopt;
    std::string id = line.substr(0, 11);
    if (id[2] != 'M') return std::nullopt;  // only stations numbered by their WMO number
    long long wmo = 0;
    double lat = 0, lon = 0, elev = 0;
    if (!parseInteger(id.substr(6, 5), wmo) || wmo <= 0) return std::nullopt;
    if (!parseNumber(line.substr(12, 8), lat) || !parseNumber(line.substr(21, 9), lon)) return std::nullopt;
    if (lat < -90 || lat > 90 || lon < -180 || lon > 180) return std::nullopt;  // mobile stations
    if (!parseNumber(line.substr(31, 6), elev) || elev < -998) elev = 0;
    StationListEntry e;
    e.init = "----";
    e.wmo = static_cast<long>(wmo);
    e.lat = lat;
    e.lon = lon;
    e.elev = elev;
    e.province = trim(line.substr(38, 2));
    if (e.province.empty()) e.province = "--";
    e.name = trim(line.substr(41, 30));
    e.country = id.substr(0, 2);
    return e;
}

std::vector<StationListEntry> parseStationList(const std::string& text) {
    std::vector<StationListEntry> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t e = text.find('\n', start);
        std::string line = text.substr(start, e == std::string::npos ? std::string::npos : e - start);
        start = e == std::string::npos ? text.size() : e + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::optional<StationListEntry> s = parseOptionLine(line);
        if (!s && line.size() >= 71 && std::isalpha(static_cast<unsigned char>(line[0])) &&
            std::isalpha(static_cast<unsigned char>(line[1])))
            s = parseIgra2StationLine(line);
        if (s) out.push_back(std::move(*s));
    }
    return out;
}

}  // namespace skyloom::core

#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Dates.h"
#include "sounding/SoundingSet.h"
#include "sounding/StationDataFile.h"

namespace skyloom::core { class MainDatabase; }

namespace skyloom::test {

// One sounding row for a fixture file, in the stored units of a station data
// file (tenths of a knot, degrees, hundredths of a degree C and of a millibar).
struct FixtureSounding {
    core::HoursSince1930 hrs = 0;
    // Per level: speed, direction, temperature, pressure.
    std::array<std::array<std::int32_t, 4>, sounding::kLevelCount> levels{};
    int badTemperature = 0;
    int badPressure = 0;
    std::string bands = "111111111111";
    int numPoints = 30;

    // Wind from the west, speeds growing by a tenth of groundSpeed per level,
    // temperature and pressure falling with height like a standard atmosphere.
    static FixtureSounding typical(core::HoursSince1930 hrs, std::int32_t groundSpeed);
    void setSpeed(int level, std::int32_t speed) { levels[static_cast<std::size_t>(level)][0] = speed; }
};

// Builds a station data file for tests and benchmarks: create, add soundings,
// write (soundings, the `stations` row and the `HaveData` row in one transaction).
class StationFileBuilder {
public:
    StationFileBuilder(std::string path, long wmo);

    StationFileBuilder& add(const FixtureSounding& s);
    // Soundings at 00 and 12 hours of every day of the range (both ends included);
    // groundSpeed gives the ground speed of the n-th one (n from 0).
    StationFileBuilder& addTwiceDaily(core::Days from, core::Days to,
                                      const std::function<std::int32_t(int)>& groundSpeed = {});
    // Writes the file and returns its summary row (dates of the first and the
    // last sounding, counts).
    sounding::HaveDataRow write(long numDeletedDataPoints = 0, long numDeletedSoundings = 0);

    // data/<wmo>.dat under the program folder appDir (which ends in "/").
    static std::string pathFor(const std::string& appDir, long wmo);

private:
    std::string path_;
    long wmo_;
    std::vector<FixtureSounding> rows_;
};

// Adds a station with data to the main database: its `stations` row with the
// file's date range, and its `havedata` row.
void registerStation(core::MainDatabase& db, const sounding::HaveDataRow& have, const std::string& name,
                     const std::string& country, double lat, double lon);

}  // namespace skyloom::test

#pragma once

#include <array>
#include <string>
#include <string_view>

namespace skyloom::power {

constexpr int kCurvePoints = 10;

// One column of the generator block: the `generators` table uses these columns
// in this order, and `datapoints` carries positions 1..30 at the same positions
// (its position 0 is `key` and its position 1 is named `genname`). Copies,
// comparisons and reloads between the two tables go by position over this list.
struct GeneratorColumn {
    const char* name;
    const char* sqlType;
};

constexpr int kGeneratorColumnCount = 31;
constexpr int kColName = 1;
constexpr int kColTemperature = 2;
constexpr int kColPressure = 3;
constexpr int kColCutInSpeed = 4;
constexpr int kColMaxKW = 5;
constexpr int kColFirstPoint = 6;   // spd1, kw1, spd2, kw2, ... kw10 at 6..25
constexpr int kColHeight = 26;
constexpr int kColOrgData = 27;
constexpr int kColCostPerYear = 28;
constexpr int kColMaxToGrid = 29;
constexpr int kColCutOut = 30;

inline constexpr std::array<GeneratorColumn, kGeneratorColumnCount> kGeneratorColumns{{
    {"ID", "INTEGER PRIMARY KEY"},
    {"Name", "TEXT COLLATE NOCASE"},
    {"Temperature", "REAL"},
    {"Pressure", "REAL"},
    {"CutInSpeed", "REAL"},
    {"MaxKW", "REAL"},
    {"spd1", "REAL"}, {"kw1", "REAL"},
    {"spd2", "REAL"}, {"kw2", "REAL"},
    {"spd3", "REAL"}, {"kw3", "REAL"},
    {"spd4", "REAL"}, {"kw4", "REAL"},
    {"spd5", "REAL"}, {"kw5", "REAL"},
    {"spd6", "REAL"}, {"kw6", "REAL"},
    {"spd7", "REAL"}, {"kw7", "REAL"},
    {"spd8", "REAL"}, {"kw8", "REAL"},
    {"spd9", "REAL"}, {"kw9", "REAL"},
    {"spd10", "REAL"}, {"kw10", "REAL"},
    {"height", "REAL"},
    {"OrgData", "INTEGER"},
    {"CostPerYear", "REAL"},
    {"MaxToGrid", "REAL"},
    {"CutOut", "REAL"},
}};

// Name of the column at position pos in `datapoints` (same as generators,
// except that position 1 is `genname`).
const char* datapointsGeneratorColumnName(int pos);

// "CREATE TABLE IF NOT EXISTS generators (...)" from the column list.
std::string generatorsTableSql();
// The generator block of a `datapoints` definition: "genname TEXT COLLATE NOCASE,
// Temperature REAL, ..., CutOut REAL" (positions 1..30, no key, no trailing comma).
std::string datapointsGeneratorBlockSql();

struct CurvePoint {
    double speed = 0;   // knots
    double kw = 0;
    bool operator==(const CurvePoint&) const = default;
};

// One row of `generators`, in stored units: speeds in knots, temperature in
// tenths of a degree Celsius, pressure in millibars, height in feet above
// ground, powers in kW, cost in dollars per year. Empty columns read as 0.
// CutOut is kept in knots like the curve points and converted for display.
struct GeneratorRecord {
    long long id = 0;
    std::string name;
    double temperature = 0;
    double pressure = 0;
    double cutInSpeed = 0;
    double maxKW = 0;
    std::array<CurvePoint, kCurvePoints> points{};
    double height = 0;
    double orgData = 0;
    double costPerYear = 0;
    double maxToGrid = 0;
    double cutOut = 0;

    bool operator==(const GeneratorRecord&) const = default;

    // The numeric column at position pos (2..30); 0 for positions 0 and 1.
    double column(int pos) const;
    void setColumn(int pos, double value);

    // MaxKW and the speed at maximum power: taken from the last point whose speed
    // and kW are both non-zero.
    void recomputeMaxKW();
    // Stored knots of the last used point (0 when none): the cut-out may not be below it.
    double speedAtMaxPower() const;
    // Number (1..10) of the last used point, 0 when none.
    int lastUsedPoint() const;
};

// True unless the name holds one of / ? < > \ : * | or a double quote.
bool isLegalGeneratorName(std::string_view name);

// Rounding of the stored values: kW whole when 100 or more, else 2 decimals;
// MaxToGrid whole when 10 or more, else 2 decimals; speeds 2 decimals.
double roundKW(double kw);
double roundMaxToGrid(double kw);
double roundSpeed(double knots);

}  // namespace skyloom::power

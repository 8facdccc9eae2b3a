#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/MainSchema.h"

namespace skyloom::power {

constexpr int kCurvePoints = 10;

// Positions of the generator block (core::kGeneratorColumns): the `generators`
// table holds them in this order, and `datapoints` carries positions 1..30 at the
// same positions, so copies, comparisons and reloads go by position.
constexpr int kGeneratorColumnCount = core::kGeneratorBlockSize + 1;
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

    // MaxKW, the generator's largest output: the highest kW among the points whose
    // speed and kW are both non-zero. On a curve that rises to its end this is the
    // last such point; a published curve may fall again after its top (storm
    // control), and its capacity factors are still taken against the top.
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

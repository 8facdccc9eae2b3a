#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sounding/ImportTypes.h"

namespace skyloom::sounding {

// A data point that passed the validity rules, its height in whole feet above the station.
struct CollectedPoint {
    long feet = 0;
    std::optional<double> speedKnots;
    std::optional<double> directionDeg;
    std::optional<double> temperatureC;
    std::optional<double> pressureMb;
    bool hasWind() const { return speedKnots.has_value(); }
};

// The eleven levels of one sounding with what the checks need to know about them.
struct LevelBuild {
    std::vector<CollectedPoint> points;             // sorted by height, at most kMaxPoints
    std::string bands = "000000000000";
    std::array<LevelValues, kImportLevels> levels{};
    std::array<bool, kImportLevels> windKnown{};
    std::array<bool, kImportLevels> temperatureKnown{};
    std::array<bool, kImportLevels> pressureKnown{};
    std::optional<long> firstWindFeet;              // height of the lowest wind
    bool groundWindExtrapolated = false;            // no wind at or below the ground
    std::string directionFindings;                  // "Out of range direction = ..." texts
    std::vector<double> outOfRangeSpeeds;           // interpolated speeds below -1 knot
    int badTemperatureData = 0;
    int badPressureData = 0;
};

namespace levels {

constexpr int kMaxPoints = 201;
constexpr double kMaxHeightFeet = 30000;
constexpr double kFeetPerMetre = 3.281;
// Ground temperature lapse: 1.98 degrees Celsius per 1000 feet.
constexpr double kLapsePerFoot = 1.98 / 1000.0;
// A level closer than this share of the height of the first point above it takes that point's value.
constexpr double kNearRatio = 0.94;
// Temperatures and pressures are carried by lapse or hydrostatics at most this far from a report.
constexpr double kMaxCarryFeet = 2000;
// Ground winds are extrapolated down to the height of a surface anemometer.
constexpr double kAnemometerFeet = 33;

// Applies the validity rules, puts the points in height order and keeps the lowest kMaxPoints.
std::vector<CollectedPoint> collect(const ParsedSounding& s);

// The 12-character band text: "1" for every band that holds a point.
std::string bands(const std::vector<CollectedPoint>& points);
// The band (1 to 12) of a height above ground in feet.
int bandOf(long feet);

// Direction a fraction of the way from d1 to d2 along the shorter arc, before
// the range is corrected.
double interpolateDirection(double d1, double d2, double fraction);

// Interpolated value to one decimal, as the level values are given.
double roundToTenth(double v);

// The eleven levels of a sounding. Each quantity is taken from the points that carry it:
// - between two points: linear in height, directions along the shorter arc;
// - below the lowest wind: a level within 6% under it (ratio of heights >= 0.94)
//   takes its value; lower down its speed falls off with the one-seventh power of
//   height to an anemometer's 33 ft at the ground, its direction kept;
// - above the highest wind: none (the checks delete such a sounding);
// - temperature beyond the reports: the 1.98 C per 1000 ft lapse from the nearest
//   report (warmer below it, colder above), at most 2000 ft away;
// - pressure beyond the reports: hydrostatic from the nearest report, at most 2000 ft away.
// BadTemperatureData: a level without temperature, or one outside -80..+60 C.
// BadPressureData: a level without pressure, one outside 400..1100 mb, or a
// pressure that does not fall with height.
LevelBuild build(const ParsedSounding& s);

}  // namespace levels
}  // namespace skyloom::sounding

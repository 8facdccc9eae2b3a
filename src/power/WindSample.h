#pragma once

#include <vector>

#include "core/Dates.h"
#include "sounding/SoundingSet.h"

namespace skyloom::power {

// The launch-hour groups: soundings within three hours of 00 UTC, within three
// hours of 12 UTC, and the others (06 and 18 UTC launches, irregular ones).
enum class LaunchHour : int { Midnight = 0, Noon = 1, Other = 2 };
constexpr int kLaunchHourGroups = 3;
LaunchHour launchHourOf(core::HoursSince1930 t);

// The ground wind is a surface report, taken as measured 33 feet (10 metres) up.
constexpr double kGroundReportFeet = 33.0;

// One sounding's wind at a height.
struct WindPoint {
    int n = 0;                          // sounding number in the set
    core::HoursSince1930 hrs = 0;
    double weight = 0;                  // hours the sounding represents
    double knots = 0;                   // 0: calm
    double direction = 0;               // degrees 0..360 (the way the wind comes from); 0 for a calm
    double density = 0;                 // kg/m3 from the sounding's temperature and pressure; 0 when unknown
};

// The soundings of a set that have a wind at a height: a height above a
// sounding's top wind level has none. Soundings ignored since loading take no
// part. Speed and direction are interpolated between the levels around the
// height as the power model does (the direction along the shorter way round),
// temperature and pressure likewise when both levels hold usable values.
std::vector<WindPoint> windAtHeight(const sounding::SoundingSet& set, double heightFeet);

// Whether sounding n has a wind at level (0..10), and its stored speed there.
bool hasWindAtLevel(const sounding::SoundingSet& set, int n, int level);

// Air density (kg/m3) of dry air at a pressure in millibars and a temperature in degrees Celsius.
double airDensity(double pressureMb, double temperatureC);
// The standard atmosphere's density at a height above sea level (used when no
// sounding of the period had a usable temperature and pressure).
double standardAirDensity(double metresAboveSeaLevel);

}  // namespace skyloom::power

#pragma once

#include <array>
#include <string>

#include "core/Dates.h"

namespace skyloom::core {

constexpr int kProgramVersion = 24;
constexpr const char* kProgramVersionText = "24";
constexpr const char* kMinorRevision = "";
// Calculation level of this program; stored analyses of another level are recalculated.
constexpr int kCalcLevel = 7;
constexpr double kPi = 3.14159265358979;

// Hours since 1930 of 1 January of the years 1994 + i.
std::array<HoursSince1930, 16> yearStartHours();

// The standard atmosphere at ground and every 500 feet up to 5000 feet.
constexpr std::array<float, 11> kStandardPressure = {1013.25f, 995.112825f, 977.1783f, 959.54775f,
                                                     942.11985f, 924.995925f, 908.07465f, 891.45735f,
                                                     875.144025f, 858.932025f, 843.024f};
constexpr std::array<float, 11> kStandardTemperature = {15.2f, 14.2f, 13.2f, 12.3f, 11.2f, 10.2f,
                                                        9.3f, 8.3f, 7.3f, 6.3f, 5.3f};

// The revision note shown by "Revision History".
std::string revisionHistoryText();

// Range of the data-distribution colour slider; the colour is RGB(v + 240, v + 239, v + 240).
constexpr int kDataColorMin = -65;
constexpr int kDataColorMax = 15;
constexpr int kDataColorDefault = (kDataColorMax + kDataColorMin) / 2;

}  // namespace skyloom::core

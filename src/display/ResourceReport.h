#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/Dates.h"
#include "power/WindResource.h"

namespace skyloom::display {

// What a wind resource belongs to, for its headings.
struct ResourceHeading {
    long wmo = 0;
    std::string siteName;
    core::Days from{}, to{};
    std::string generatorName;      // empty: no generator
};

// "1000 feet", "304.8 meters": a height in feet as the display shows it.
std::string resourceHeightText(double feet, const sounding::Units& units);
// "33 feet" or "10 meters": the height of the ground report in the display unit.
double groundReportShown(const sounding::Units& units);
// A height of a shear pair in the display length unit (the ground as groundReportShown).
double shearHeightShown(double feet, const sounding::Units& units);

// "Wind resource of ALBANY at 1000 feet, Jan 1, 1990 to Jan 2, 1991"; without a
// site (nothing analysed yet) "Wind resource at 1000 feet".
std::string resourceTitle(const power::WindResource& r, const ResourceHeading& h);
// The figures a reader looks at first: soundings, calms, mean, both Weibull fits,
// power density, extreme, class. Every missing figure says why.
std::vector<std::string> resourceKeyLines(const power::WindResource& r);
// The P50/P75/P90 table: a heading row, then one row per level (label, 1-year, 10-year).
std::vector<std::array<std::string, 3>> exceedanceTable(const power::WindResource& r);
// What the launch-hour figures can and cannot tell.
std::string launchHourNote();
// The readable report of `skyloom-cli resource`.
std::vector<std::string> resourceReport(const power::WindResource& r, const ResourceHeading& h);

// Month names "Jan" .. "Dec" and launch-hour group names "00 UTC", "12 UTC", "other hours".
const std::array<const char*, 12>& monthNames();
const char* launchHourName(int group);

}  // namespace skyloom::display

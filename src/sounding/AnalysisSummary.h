#pragma once

#include <cstdint>
#include <string>

#include "sounding/LevelStatistics.h"

namespace skyloom::sounding {

// Share of the station's data points that the user ignored: deleted points over
// all points of the station's summary record, as a fraction (0 when it has none).
double ignoredShare(std::int64_t numDataPoints, std::int64_t numDeletedDataPoints);

// The one-line summary of an analysis, for example
// "ALL 3.5 years of 19-22 using 2,557 soundings with 98,004 data points, 1.2% ignored and 4.1% gaps."
// "ALL " only when the period is the station's whole range.
std::string summaryLine(const LevelStatistics& stats, const AnalysisPeriod& period, bool wholeRange,
                        double ignoredFraction);

}  // namespace skyloom::sounding

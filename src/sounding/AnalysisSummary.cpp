#include "sounding/AnalysisSummary.h"

#include <fmt/format.h>

#include "core/Formats.h"

namespace skyloom::sounding {

double ignoredShare(std::int64_t numDataPoints, std::int64_t numDeletedDataPoints) {
    const auto all = numDataPoints + numDeletedDataPoints;
    return all > 0 ? static_cast<double>(numDeletedDataPoints) / static_cast<double>(all) : 0.0;
}

std::string summaryLine(const LevelStatistics& stats, const AnalysisPeriod& period, bool wholeRange,
                        double ignoredFraction) {
    std::string line = wholeRange ? "ALL " : "";
    // One decimal below five years; from five years on the figure is whole and shown so.
    line += core::formatNumber(stats.years, stats.years < 5 ? "#.0" : "0");
    line += fmt::format(" years of {:02}-{:02}", core::yearOf(period.from) % 100, core::yearOf(period.to) % 100);
    line += " using " + core::formatNumber(stats.soundingCount, "#,###");
    line += " soundings with " + core::formatNumber(static_cast<double>(stats.totalDataPoints), "#,###,##0");
    line += " data points, " + core::formatNumber(ignoredFraction, "0.0%");
    line += " ignored and " + core::formatPlain(stats.gapPercent) + "% gaps.";
    return line;
}

}  // namespace skyloom::sounding

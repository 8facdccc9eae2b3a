#include <gtest/gtest.h>

#include "sounding/AnalysisSummary.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {
LevelStatistics figures(int days, int soundings, std::int64_t points, double gapPercent) {
    LevelStatistics s;
    s.days = days;
    s.years = yearsOfRange(days);
    s.soundingCount = soundings;
    s.totalDataPoints = points;
    s.gapPercent = gapPercent;
    return s;
}
}  // namespace

TEST(SummaryLine, underFiveYearsShowsOneDecimal) {
    const AnalysisPeriod p{core::makeDate(2019, 1, 2), core::makeDate(2022, 7, 4)};
    const auto s = figures(core::daysBetween(p.from, p.to), 2557, 98004, 4.1);
    EXPECT_EQ(summaryLine(s, p, true, 0.0123),
              "ALL 3.5 years of 19-22 using 2,557 soundings with 98,004 data points, 1.2% ignored and 4.1% gaps.");
    EXPECT_EQ(summaryLine(s, p, false, 0.0),
              "3.5 years of 19-22 using 2,557 soundings with 98,004 data points, 0.0% ignored and 4.1% gaps.");
}

TEST(SummaryLine, fiveYearsAndMoreRoundToWholeYears) {
    const AnalysisPeriod p{core::makeDate(1990, 1, 1), core::makeDate(2008, 9, 30)};
    const auto s = figures(core::daysBetween(p.from, p.to), 13702, 1234567, 12.0);
    EXPECT_EQ(summaryLine(s, p, false, 0.00049),
              "19 years of 90-08 using 13,702 soundings with 1,234,567 data points, 0.0% ignored and 12% gaps.");
}

TEST(SummaryLine, smallCountsAndNegativeGaps) {
    const AnalysisPeriod p{core::makeDate(2000, 1, 1), core::makeDate(2000, 7, 1)};
    const auto s = figures(core::daysBetween(p.from, p.to), 1, 0, -0.5);
    // Below a year the pattern drops the leading zero; no data points still show "0".
    EXPECT_EQ(summaryLine(s, p, false, 0.5),
              ".5 years of 00-00 using 1 soundings with 0 data points, 50.0% ignored and -0.5% gaps.");
}

TEST(SummaryLine, ignoredShareIsDeletedOverAllPoints) {
    EXPECT_DOUBLE_EQ(ignoredShare(900, 100), 0.1);
    EXPECT_DOUBLE_EQ(ignoredShare(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(ignoredShare(0, 5), 1.0);
}

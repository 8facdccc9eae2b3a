#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <tuple>

#include "core/Progress.h"
#include "sounding/LevelStatistics.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

const core::HoursSince1930 kJan2000 = core::hoursSince1930(core::makeDate(2000, 1, 1), 0);

// Appends a sounding at time t (hours since 1930) with the same speed and
// direction 180 at levels 0..top; levels above keep speed and direction 0.
void add(SoundingSet& set, core::HoursSince1930 t, std::int32_t speed = 100, int top = 10) {
    const int n = set.count() + 1;
    set.ensureCapacity(n);
    const auto i = static_cast<std::size_t>(n);
    set.key[i] = n;
    set.time[i][0] = t;
    for (int l = 0; l <= top; ++l) {
        set.level[i][static_cast<std::size_t>(l)][Speed] = speed;
        set.level[i][static_cast<std::size_t>(l)][Direction] = 180;
    }
    set.topWindLevel[i] = static_cast<std::int16_t>(top);
    set.pointCount[i] = 10;
    set.setCount(n);
}

SoundingSet setAt(std::initializer_list<int> hoursAfterStart) {
    SoundingSet set;
    for (int h : hoursAfterStart) add(set, kJan2000 + h);
    return set;
}

const AnalysisPeriod kYear2000{core::makeDate(2000, 1, 1), core::makeDate(2001, 1, 1)};

class CancelAfterFirstStep : public core::Progress {
public:
    void step(std::int64_t, std::int64_t, std::string_view) override { ++steps; }
    bool cancelRequested() override { return steps > 0; }
    int steps = 0;
};

class CountingVisitor : public LevelVisitor {
public:
    void visit(const SoundingSet& set, int n, int level) override {
        ++calls;
        hoursSeen += level == 0 ? set.hoursRepresented(n) : 0;
    }
    int calls = 0;
    double hoursSeen = 0;
};

}  // namespace

// A sounding's time slots: hours since 1930, hours represented, stretch marker, hours before, hours after.
using TimeRow = std::array<double, 5>;
const double kStart = static_cast<double>(kJan2000);

TEST(TimeWeights, twelveHourScheduleGivesTwelveHoursEach) {
    auto set = setAt({0, 12, 24, 36});
    EXPECT_DOUBLE_EQ(computeTimeWeights(set), 48.0);
    // The first and last sounding stand for 6 hours on their outer side; the first starts a stretch.
    EXPECT_EQ(set.time[1], (TimeRow{kStart, 12, kStart, 6, 6}));
    for (int n = 2; n <= 4; ++n) EXPECT_EQ(set.time[n], (TimeRow{kStart + 12.0 * (n - 1), 12, 0, 6, 6})) << n;
}

TEST(TimeWeights, closeSoundingsShareTheTimeBetweenThem) {
    auto set = setAt({0, 6});
    computeTimeWeights(set);
    // 6 hours apart: 3 hours towards each other.
    EXPECT_EQ(set.time[1], (TimeRow{kStart, 9, kStart, 6, 3}));
    EXPECT_EQ(set.time[2], (TimeRow{kStart + 6, 9, 0, 3, 6}));
    auto one = setAt({0});
    EXPECT_DOUBLE_EQ(computeTimeWeights(one), 12.0);   // a lone sounding: 6 hours each side
}

TEST(TimeWeights, gapsBelongToNobodyAndMarkNewStretches) {
    auto set = setAt({0, 12, 60, 72, 97});
    EXPECT_DOUBLE_EQ(computeTimeWeights(set), 12 + 12 + 12 + 12 + 12);
    // 48 hours to the next: only 6 of them. After more than 24 hours (here 48 and 25) a new stretch starts.
    const TimeRow rows[] = {{kStart, 12, kStart, 6, 6},
                            {kStart + 12, 12, 0, 6, 6},
                            {kStart + 60, 12, -(kStart + 60), 6, 6},
                            {kStart + 72, 12, 0, 6, 6},
                            {kStart + 97, 12, -(kStart + 97), 6, 6}};
    for (std::size_t n = 1; n <= 5; ++n) EXPECT_EQ(set.time[n], rows[n - 1]) << n;
}

TEST(Histogram, binsRoundHalvesToEvenAndCapAt70) {
    const std::pair<std::int32_t, int> bins[] = {{685, 68}, {695, 70}, {694, 69}, {705, 70}, {2000, 70}, {4, 0},
                                                 {5, 0},    {15, 2},   {25, 2},   {26, 3},   {0, 0}};
    for (const auto& [tenths, bin] : bins) EXPECT_EQ(histogramBin(tenths), bin) << tenths;
}

TEST(Histogram, peakIgnoresCalmAndBinsAbove60) {
    SoundingSet set;
    for (int i = 0; i < 5; ++i) add(set, kJan2000 + 12 * i, 4);        // calm: bin 0
    for (int i = 5; i < 8; ++i) add(set, kJan2000 + 12 * i, 695);      // bin 70
    add(set, kJan2000 + 96, 685);                                      // bin 68
    add(set, kJan2000 + 108, 123);                                     // bin 12
    add(set, kJan2000 + 120, 118);                                     // bin 12
    LevelStatistics s;
    ASSERT_TRUE(computeLevelStatistics(set, kYear2000, s));
    EXPECT_EQ(s.histogram[0][0], 5);
    EXPECT_EQ(s.histogram[0][70], 3);
    EXPECT_EQ(s.histogram[0][68], 1);
    EXPECT_EQ(s.histogram[0][12], 2);
    EXPECT_EQ(s.histogramPeak[0], 2);
    EXPECT_DOUBLE_EQ(s.maxSpeed[0], 695);
}

TEST(LevelStatistics, levelsAboveTheTopWindLevelTakeNoPartButCountInN) {
    SoundingSet set;
    add(set, kJan2000, 100, 10);
    add(set, kJan2000 + 12, 300, 3);
    set.level[2][5][Speed] = 999;   // a stored speed above the top wind level is not counted
    LevelStatistics s;
    ASSERT_TRUE(computeLevelStatistics(set, kYear2000, s));
    // Above level 3 only the first sounding's 100, yet over both: 100 / 2.
    EXPECT_EQ((std::array{s.averageSpeed[3], s.averageSpeed[4], s.averageSpeed[5]}), (std::array{200.0, 50.0, 50.0}));
    EXPECT_EQ((std::array{s.averageDirection[3], s.averageDirection[4]}), (std::array{180.0, 90.0}));
    EXPECT_EQ((std::array{s.maxSpeed[3], s.maxSpeed[5]}), (std::array{300.0, 100.0}));
    int level5 = 0;
    for (auto c : s.histogram[5]) level5 += c;
    EXPECT_EQ(level5, 1);
}

TEST(Median, positionIsHalfTheCountWithHalvesToEven) {
    // 1 -> 0.5 -> 0, 3 -> 1.5 -> 2, 5 -> 2.5 -> 2, 7 -> 3.5 -> 4.
    const std::pair<int, int> positions[] = {{1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 2}, {7, 4}};
    for (const auto& [count, position] : positions) EXPECT_EQ(medianPosition(count), position) << count;
}

TEST(Median, readsTheSortedSpeedsAtThatPosition) {
    auto run = [](std::initializer_list<std::int32_t> speeds) {
        SoundingSet set;
        int h = 0;
        for (auto v : speeds) { add(set, kJan2000 + h, v); h += 12; }
        LevelStatistics s;
        EXPECT_TRUE(computeLevelStatistics(set, kYear2000, s));
        return s.median[0];
    };
    EXPECT_DOUBLE_EQ(run({70}), 70);
    EXPECT_DOUBLE_EQ(run({90, 30}), 90);           // sorted 30, 90: row 1
    EXPECT_DOUBLE_EQ(run({50, 90, 10}), 90);       // sorted 10, 50, 90: row 2
    EXPECT_DOUBLE_EQ(run({50, 90, 10, 20, 40}), 40);
    EXPECT_DOUBLE_EQ(run({4095, 0, 4095, 0, 0}), 0);
    EXPECT_DOUBLE_EQ(run({4095, 0, 4095, 0, 4095, 0, 4095}), 4095);
    // Speeds no wind reaches (a damaged file) are sorted in all the same.
    EXPECT_DOUBLE_EQ(run({-5, 5000, 10}), 5000);
    EXPECT_DOUBLE_EQ(run({4096, 9, -1, 8}), 9);
    EXPECT_DOUBLE_EQ(run({-5, 30, 10, 20}), 20);
    EXPECT_DOUBLE_EQ(run({-7, -3, 12, -9, 4100}), -3);
}

TEST(Median, soundingsIgnoredSinceLoadingAreLeftOut) {
    SoundingSet set;
    add(set, kJan2000, 10);
    add(set, kJan2000 + 12, 20);
    add(set, kJan2000 + 24, 500);
    add(set, kJan2000 + 36, 30);
    set.key[3] = -set.key[3];        // ignored: the file no longer holds it
    LevelStatistics s;
    ASSERT_TRUE(computeLevelStatistics(set, kYear2000, s));
    EXPECT_DOUBLE_EQ(s.median[0], 30);   // 10, 20, 30 -> row 2
    EXPECT_EQ(s.soundingCount, 4);
}

TEST(LevelStatistics, percentagesYearsAndDataPoints) {
    SoundingSet set;
    for (int i = 0; i < 10; ++i) add(set, kJan2000 + 12 * i);
    set.badTemperature[2] = 1;
    set.badPressure[1] = -1;            // 12 hours
    set.badPressure[10] = 1;            // the last: 6 + 6
    set.pointCount[4] = 25;
    LevelStatistics s;
    const AnalysisPeriod tenDays{core::makeDate(2000, 1, 1), core::makeDate(2000, 1, 11)};
    ASSERT_TRUE(computeLevelStatistics(set, tenDays, s));
    EXPECT_DOUBLE_EQ(s.totalHours, 120);
    EXPECT_DOUBLE_EQ(s.badTemperaturePercent, 10.0);
    EXPECT_DOUBLE_EQ(s.badPressurePercent, 20.0);
    EXPECT_EQ(s.days, 10);
    EXPECT_DOUBLE_EQ(s.gapPercent, 50.0);           // 120 of 240 hours
    EXPECT_EQ(s.totalDataPoints, 9 * 10 + 25);
    EXPECT_DOUBLE_EQ(s.dataYears, 120.0 / 8766);
    EXPECT_DOUBLE_EQ(s.years, 0.0);                 // 10 / 365 = 0.027 -> 0.0
}

TEST(LevelStatistics, percentagesRoundToOneDecimalHalfToEven) {
    SoundingSet set;
    for (int i = 0; i < 3; ++i) add(set, kJan2000 + 12 * i);
    set.badTemperature[1] = 1;
    LevelStatistics s;
    // 36 hours over 24 x 2 days = 48: 25.0 % gaps; bad temperature 12 / 36 = 33.33 %.
    ASSERT_TRUE(computeLevelStatistics(set, {core::makeDate(2000, 1, 1), core::makeDate(2000, 1, 3)}, s));
    EXPECT_DOUBLE_EQ(s.gapPercent, 25.0);
    EXPECT_DOUBLE_EQ(s.badTemperaturePercent, 33.3);
    // 1 day: 36 hours of soundings over 24 hours of range cover it all: no gaps, not a negative share.
    ASSERT_TRUE(computeLevelStatistics(set, {core::makeDate(2000, 1, 1), core::makeDate(2000, 1, 2)}, s));
    EXPECT_DOUBLE_EQ(s.gapPercent, 0.0);
}

TEST(LevelStatistics, yearsOneDecimalBelowFiveWholeFromFive) {
    // 3.501, 4.986 -> 5.0, 5.548 -> 6, 10.499 -> 10.
    const std::pair<int, double> years[] = {{1278, 3.5}, {365 * 4 + 360, 5.0}, {365 * 5 + 200, 6.0},
                                            {365 * 10 + 182, 10.0}, {0, 0.0}};
    for (const auto& [days, shown] : years) EXPECT_DOUBLE_EQ(yearsOfRange(days), shown) << days;
}

TEST(YearTable, hoursGapsUsabilityAndShortYears) {
    SoundingSet set;
    const auto y1999 = core::hoursSince1930(core::makeDate(1999, 12, 31), 0);
    add(set, y1999);
    add(set, y1999 + 12);                                  // 1999-12-31 12:00
    for (int i = 0; i < 730; ++i) add(set, kJan2000 + 12 * i);     // all of 2000 but a few days
    const auto y2001 = core::hoursSince1930(core::makeDate(2001, 1, 1), 0);
    add(set, y2001);
    add(set, y2001 + 700);                                 // 700 hours apart: not usable
    computeTimeWeights(set);
    const YearTable t = buildYearTable(set);
    ASSERT_EQ(t.rows.size(), 3u);
    const auto& r = t.rows;
    EXPECT_EQ(std::make_tuple(r[0].year, r[0].soundings, r[0].hours, r[0].largestGap),
              std::make_tuple(1999, 2, 6.0 + 6 + 6 + 6, 12.0));
    EXPECT_EQ(std::make_tuple(r[1].soundings, r[1].hours), std::make_tuple(730, 730 * 12.0));
    EXPECT_EQ(r[2].largestGap, 700);
    // Usable, and short of data, year by year.
    EXPECT_EQ((std::array{r[0].usable(), r[0].shortOfData(), r[1].usable(), r[1].shortOfData(), r[2].usable(),
                          r[2].shortOfData()}),
              (std::array{true, true, true, false, false, false}));
    EXPECT_EQ(t.indexOf(kJan2000 + 5), 1);
    EXPECT_EQ(t.indexOf(y1999 - 24 * 365), -1);
    EXPECT_EQ(t.yearStart(2), y2001);
}

TEST(YearTable, atMostSixteenYearsFromTheFirstSounding) {
    SoundingSet set;
    for (int y = 1980; y < 2000; ++y) add(set, core::hoursSince1930(core::makeDate(y, 6, 1), 0));
    computeTimeWeights(set);
    const YearTable t = buildYearTable(set);
    ASSERT_EQ(t.rows.size(), 16u);
    EXPECT_EQ(t.rows.front().year, 1980);
    EXPECT_EQ(t.rows.back().year, 1995);
    EXPECT_EQ(t.rows.back().soundings, 1);
    EXPECT_EQ(t.indexOf(core::hoursSince1930(core::makeDate(1996, 6, 1), 0)), -1);
}

TEST(LevelStatistics, cancelStopsThePassAndVisitorSeesEveryLevel) {
    SoundingSet set;
    for (int i = 0; i < 3000; ++i) add(set, kJan2000 + 12 * i);
    CancelAfterFirstStep cancel;
    LevelStatistics s;
    EXPECT_FALSE(computeLevelStatistics(set, kYear2000, s, &cancel));
    EXPECT_EQ(cancel.steps, 1);

    CountingVisitor visitor;
    core::NullProgress quiet;
    ASSERT_TRUE(computeLevelStatistics(set, kYear2000, s, &quiet, &visitor));
    EXPECT_EQ(visitor.calls, 3000 * kLevelCount);
    EXPECT_DOUBLE_EQ(visitor.hoursSeen, s.totalHours);
}

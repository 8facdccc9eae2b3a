#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "TempFolder.h"
#include "sounding/GrowingLevelStatistics.h"
#include "sounding/LevelBuilder.h"
#include "sounding/LevelStatistics.h"
#include "sounding/RawTextReader.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

void expectSame(const LevelStatistics& a, const LevelStatistics& b, bool periodFigures) {
    EXPECT_EQ(a.soundingCount, b.soundingCount);
    EXPECT_EQ(a.totalHours, b.totalHours);
    EXPECT_EQ(a.maxSpeed, b.maxSpeed);
    EXPECT_EQ(a.histogram, b.histogram);
    EXPECT_EQ(a.histogramPeak, b.histogramPeak);
    EXPECT_EQ(a.averageSpeed, b.averageSpeed);
    EXPECT_EQ(a.averageDirection, b.averageDirection);
    EXPECT_EQ(a.median, b.median);
    EXPECT_EQ(a.totalDataPoints, b.totalDataPoints);
    if (!periodFigures) return;
    EXPECT_EQ(a.badTemperaturePercent, b.badTemperaturePercent);
    EXPECT_EQ(a.badPressurePercent, b.badPressurePercent);
    EXPECT_EQ(a.days, b.days);
    EXPECT_EQ(a.years, b.years);
    EXPECT_EQ(a.dataYears, b.dataYears);
    EXPECT_EQ(a.gapPercent, b.gapPercent);
    auto rows = [](const LevelStatistics& s) {
        std::vector<std::tuple<int, int, double, double>> r;
        for (const auto& y : s.yearTable.rows) r.emplace_back(y.year, y.soundings, y.hours, y.largestGap);
        return r;
    };
    EXPECT_EQ(rows(a), rows(b));
}

// The soundings of Albany 1990 (a real file with irregular hours), as loading sets them.
SoundingSet albany1990() {
    SoundingSet set;
    int n = 0;
    for (const ParsedSounding& p : rawtext::read(test::readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"))) {
        if (!p.readProblem.empty() || !p.date) continue;
        const LevelBuild b = levels::build(p);
        set.ensureCapacity(++n);
        const auto un = static_cast<std::size_t>(n);
        set.key[un] = n;
        set.time[un][0] = static_cast<double>(core::hoursSince1930(*p.date, p.hour));
        set.topWindLevel[un] = 0;
        for (int l = 0; l < kLevelCount; ++l) {
            const auto& v = b.levels[static_cast<std::size_t>(l)];
            set.level[un][static_cast<std::size_t>(l)] = {0, v.speed, v.direction, v.temperature, v.pressure};
            if (l > 0 && v.speed != 0 && v.direction != 0) set.topWindLevel[un] = static_cast<std::int16_t>(l);
        }
        set.badTemperature[un] = static_cast<std::int16_t>(b.badTemperatureData);
        set.badPressure[un] = static_cast<std::int16_t>(b.badPressureData);
        set.pointCount[un] = static_cast<std::int32_t>(b.points.size());
    }
    set.setCount(n);
    return set;
}

// Random soundings with gaps of up to three days, some flagged, some ignored since loading.
SoundingSet randomSet(int count, unsigned seed) {
    std::mt19937 rng(seed);
    SoundingSet set;
    double t = 700000;
    for (int n = 1; n <= count; ++n) {
        set.ensureCapacity(n);
        const auto un = static_cast<std::size_t>(n);
        t += std::uniform_int_distribution<int>(0, 9)(rng) == 0 ? std::uniform_int_distribution<int>(13, 80)(rng)
                                                                : std::uniform_int_distribution<int>(1, 12)(rng);
        set.time[un][0] = t;
        set.key[un] = std::uniform_int_distribution<int>(0, 19)(rng) == 0 ? -n : n;
        set.topWindLevel[un] = static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, 10)(rng));
        for (int l = 0; l < kLevelCount; ++l) {
            set.level[un][static_cast<std::size_t>(l)][Speed] = std::uniform_int_distribution<int>(0, 800)(rng);
            set.level[un][static_cast<std::size_t>(l)][Direction] = std::uniform_int_distribution<int>(0, 360)(rng);
        }
        set.badTemperature[un] = static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, 6)(rng) == 0);
        set.badPressure[un] = static_cast<std::int16_t>(std::uniform_int_distribution<int>(0, 9)(rng) == 0);
        set.pointCount[un] = std::uniform_int_distribution<int>(5, 60)(rng);
    }
    set.setCount(count);
    return set;
}

void expectGrowthMatchesWholePass(const SoundingSet& original, const AnalysisPeriod& period) {
    GrowingLevelStatistics growing(original);
    const int count = original.count();
    ASSERT_GT(count, 10);
    // Part-way the running figures are those of the soundings added so far.
    for (int k : {1, 2, 7, count / 2}) {
        while (growing.added() < k) growing.addNext();
        SoundingSet first = original;
        first.setCount(k);
        LevelStatistics whole;
        ASSERT_TRUE(computeLevelStatistics(first, period, whole));
        SCOPED_TRACE(k);
        expectSame(growing.current(), whole, false);
        EXPECT_EQ(growing.largestPeak(), *std::max_element(whole.histogramPeak.begin() + 1, whole.histogramPeak.end()));
    }
    while (!growing.complete()) growing.addNext();
    growing.addNext();   // past the end: nothing changes
    EXPECT_EQ(growing.added(), count);
    SoundingSet copy = original;
    LevelStatistics whole;
    ASSERT_TRUE(computeLevelStatistics(copy, period, whole));
    expectSame(growing.finish(period), whole, true);
    for (int n = 1; n <= count; ++n) ASSERT_EQ(growing.hoursRepresented(n), copy.hoursRepresented(n)) << n;
}

}  // namespace

TEST(GrowingLevelStatistics, realYearOfSoundingsEndsWithTheWholePassFigures) {
    const SoundingSet set = albany1990();
    expectGrowthMatchesWholePass(set, {core::makeDate(1990, 1, 1), core::makeDate(1991, 1, 2)});
}

TEST(GrowingLevelStatistics, irregularSetWithIgnoredSoundingsEndsWithTheWholePassFigures) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const SoundingSet set = randomSet(1500, seed);
        expectGrowthMatchesWholePass(set, {core::makeDate(2009, 1, 1), core::makeDate(2010, 6, 30)});
    }
}

TEST(GrowingLevelStatistics, peakLooksAtBinsOneToSixtyOnly) {
    SoundingSet set;
    // Calm (bin 0) and 65 knots (bin 65) never make a peak; 12 knots does.
    const std::int32_t speeds[] = {0, 650, 650, 120, 0, 0};
    int n = 0;
    for (std::int32_t s : speeds) {
        set.ensureCapacity(++n);
        set.key[static_cast<std::size_t>(n)] = n;
        set.time[static_cast<std::size_t>(n)][0] = 12.0 * n;
        set.level[static_cast<std::size_t>(n)][1][Speed] = s;
        set.topWindLevel[static_cast<std::size_t>(n)] = 1;
    }
    set.setCount(n);
    GrowingLevelStatistics growing(set);
    for (int peak : {0, 0, 0, 1, 1, 1}) {
        growing.addNext();
        EXPECT_EQ(growing.largestPeak(), peak) << growing.added();
    }
    EXPECT_EQ(growing.current().histogram[1][0], 3);
    EXPECT_EQ(growing.largestPeak(), 1);
}

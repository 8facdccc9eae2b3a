#include "power/PowerProduction.h"

#include <gtest/gtest.h>

#include "core/Dates.h"
#include "power/EnergyBalance.h"

using namespace skyloom::power;
using skyloom::sounding::SoundingSet;

namespace {

// Every level of every sounding gets the same speed (tenths of a knot),
// temperature (hundredths degC) and pressure (hundredths mb).
void fillUniform(SoundingSet& set, int count, int speedTenths, int tempHundredths, int pressHundredths,
                 skyloom::core::HoursSince1930 start = skyloom::core::hoursSince1930(skyloom::core::makeDate(2000, 1, 1), 0),
                 int stepHours = 12) {
    set.reset();
    set.ensureCapacity(count);
    set.setCount(count);
    for (int n = 1; n <= count; ++n) {
        set.key[n] = n;
        set.time[n][0] = start + (n - 1) * stepHours;
        set.time[n][1] = stepHours;
        set.topWindLevel[n] = 10;
        for (int l = 0; l < skyloom::sounding::kLevelCount; ++l) {
            set.level[n][l][1] = speedTenths;
            set.level[n][l][2] = 180;
            set.level[n][l][3] = tempHundredths;
            set.level[n][l][4] = pressHundredths;
        }
    }
}

GeneratorRecord mill(double temperatureTenths = 150, double pressure = 1013.25) {
    GeneratorRecord g;
    g.cutInSpeed = 6;
    g.points[0] = {8, 2};
    g.points[1] = {12, 10};
    g.points[2] = {20, 50};
    g.cutOut = 40;
    g.temperature = temperatureTenths;
    g.pressure = pressure;
    g.recomputeMaxKW();
    return g;
}

}  // namespace

TEST(PowerProduction, colderAirGivesAGainOfThreeAndAHalfPercent) {
    SoundingSet set;
    fillUniform(set, 10, 100, 500, 101325);   // 10 kn, 5.0 degC, 1013.25 mb
    const auto model = PowerModel::fromGenerator(mill());
    const auto r = computeLevelPower(set, model);

    EXPECT_DOUBLE_EQ(r.averagePower[3], 6);
    EXPECT_NEAR(r.temperatureEffect[3], 6 * (288.0 / 278.0 - 1), 1e-12);
    EXPECT_NEAR(r.pressureEffect[3], 0, 1e-12);
    EXPECT_NEAR(heightEffect(r, 250), (288.0 / 278.0 - 1) / (288.0 / 278.0), 1e-12);

    const auto a = showPowerAnalysis(r, model.maxKW, 250, 250, "feet");
    EXPECT_EQ(a.effectLine, "Temperature and pressure effect: GAIN of 3.5%");
    EXPECT_DOUBLE_EQ(a.tempPressPercent, 3.5);
    EXPECT_FALSE(r.effectsUnknown);
}

TEST(PowerProduction, warmerThinnerAirGivesALoss) {
    SoundingSet set;
    fillUniform(set, 4, 100, 2500, 95000);   // 25 degC, 950 mb
    const auto model = PowerModel::fromGenerator(mill());
    const auto r = computeLevelPower(set, model);
    const auto a = showPowerAnalysis(r, model.maxKW, 1000, 1000, "feet");
    EXPECT_EQ(a.effectLine.rfind("Temperature and pressure effect: LOSS of ", 0), 0u) << a.effectLine;
    EXPECT_LT(a.tempPressPercent, 0);
}

TEST(PowerProduction, summaryGivesCapacityFactorAndPowerToThreeFigures) {
    SoundingSet set;
    fillUniform(set, 6, 100, 1500, 101325);   // exactly the curve's air: no effect
    const auto model = PowerModel::fromGenerator(mill());
    const auto r = computeLevelPower(set, model);
    const auto a = showPowerAnalysis(r, model.maxKW, 1500, 1500, "feet");
    EXPECT_DOUBLE_EQ(a.potKW, 6);
    EXPECT_DOUBLE_EQ(a.potCF, 12);
    EXPECT_EQ(a.summary, "Power Analysis for 1500 feet results in a Potential Capacity Factor of 12% or 6 kW");
    EXPECT_EQ(a.effectLine, "Temperature and pressure losses were negligible");
    EXPECT_EQ(a.idlePercent, 0);
}

TEST(PowerProduction, summaryRoundsTheFourthFigureUp) {
    LevelPowerResults r;
    r.correctedPower[2] = 12.355;   // at 1000 feet
    const auto a = showPowerAnalysis(r, 1234.5, 1000, 304.8, "meters");
    EXPECT_DOUBLE_EQ(a.potCF, 1.0);
    EXPECT_EQ(a.summary, "Power Analysis for 304.8 meters results in a Potential Capacity Factor of 1% or 12.4 kW");
}

TEST(PowerProduction, zeroMaxKWGivesTheUnknownCapacityText) {
    SoundingSet set;
    fillUniform(set, 3, 100, 500, 101325);
    GeneratorRecord g;
    g.cutInSpeed = 5;
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(g));
    const auto a = showPowerAnalysis(r, 0, 100, 30, "meters");
    EXPECT_EQ(a.summary, "Power Analysis for 30 meters results in an unknown Potential Capacity Factor");
    EXPECT_EQ(a.potCF, 0);
    EXPECT_EQ(a.potKW, 0);
}

TEST(PowerProduction, effectsAreUnknownWhenALevelHasNoUsableTemperature) {
    SoundingSet set;
    fillUniform(set, 3, 100, 1500, 101325);
    for (int n = 1; n <= 3; ++n) set.badTemperature[n] = -1;
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(mill()));
    EXPECT_TRUE(r.effectsUnknown);
    EXPECT_EQ(showPowerAnalysis(r, 50, 0, 0, "feet").effectLine, "Temperature and pressure losses were unknown");
}

TEST(PowerProduction, idleShareAndRunsCountTimeAtOrBelowCutIn) {
    SoundingSet set;
    fillUniform(set, 6, 100, 1500, 101325);
    // Ground level: idle, idle, producing, idle, cut out, cut out.
    const int ground[] = {0, 60, 30, 100, 50, 400, 450};
    for (int n = 1; n <= 6; ++n) set.level[n][0][1] = ground[n];
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(mill()));
    EXPECT_DOUBLE_EQ(r.idleShare[0], 3.0 / 6.0);
    EXPECT_DOUBLE_EQ(r.cutOutShare[0], 2.0 / 6.0);
    EXPECT_EQ(r.idleStarts[0], 2);
    EXPECT_DOUBLE_EQ(r.maxIdleRunHours[0], 24);
    EXPECT_DOUBLE_EQ(r.idleHours[0], 36);
    EXPECT_EQ(r.cutOuts[0], 1);
    EXPECT_DOUBLE_EQ(r.maxCutOutRunHours[0], 24);
    EXPECT_DOUBLE_EQ(r.averagePower[0], 1.0);   // one of six soundings at 6 kW
    EXPECT_FLOAT_EQ(set.derived[5][0][DerivedPower], static_cast<float>(kCutOutMarker));
    EXPECT_FLOAT_EQ(set.derived[3][0][DerivedPower], 6.0f);
    // Idle percent at 250 ft lies halfway between ground (50 %) and 500 ft (0 %).
    EXPECT_DOUBLE_EQ(showPowerAnalysis(r, 50, 250, 250, "feet").idlePercent, 25);
}

TEST(PowerProduction, aGapInTheRecordStartsNoIdleSpell) {
    SoundingSet set;
    fillUniform(set, 6, 30, 1500, 101325);   // 3 kn: idle at every level
    // Two days without soundings after the third, then the wind picks up once.
    for (int n = 4; n <= 6; ++n) set.time[n][0] += 48;
    for (int l = 0; l < skyloom::sounding::kLevelCount; ++l) set.level[5][l][1] = 100;
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(mill()));
    // Idle, idle, idle, (gap), idle, running, idle: two drops into the idle zone.
    EXPECT_EQ(r.idleStarts[0], 2);
    EXPECT_DOUBLE_EQ(r.maxIdleRunHours[0], 48);
    const IdleStatistics s = idleStatisticsAtFeet(r, 100);
    EXPECT_DOUBLE_EQ(s.idleStartsPerYear, 2 / (72 / 8766.0));
    EXPECT_DOUBLE_EQ(s.maxIdleDays, 2.0);
}

TEST(PowerProduction, ignoredSoundingsTakeNoPart) {
    SoundingSet set;
    fillUniform(set, 4, 100, 1500, 101325);
    set.level[4][0][1] = 200;   // 20 kn would give 50 kW
    set.key[4] = -4;
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(mill()));
    EXPECT_EQ(r.soundings, 3);
    EXPECT_DOUBLE_EQ(r.averagePower[0], 6);
}

TEST(PowerProduction, levelValuesInterpolateOverWholeFeet) {
    LevelTable v{};
    for (int i = 0; i < 11; ++i) v[i] = i * 10.0;
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 250), 5);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 5000), 100);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 7000), 100);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 4999.9), 99.98);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 0), 0);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, -1), 0);
    EXPECT_DOUBLE_EQ(levelValueAtFeet(v, 500), 10);
}

TEST(PowerProduction, yearTableMarksShortAndGappedYears) {
    using namespace skyloom::core;
    SoundingSet set;
    // 2000 fully covered twice a day (732 soundings), then 2001 only in January.
    const int full = 732;
    const int count = full + 62;
    fillUniform(set, count, 100, 1500, 101325, hoursSince1930(makeDate(2000, 1, 1), 0), 12);
    const auto r = computeLevelPower(set, PowerModel::fromGenerator(mill()));
    ASSERT_EQ(r.years.size(), 2u);
    EXPECT_EQ(r.years[0].year, 2000);
    EXPECT_DOUBLE_EQ(r.years[0].hours, full * 12.0);
    EXPECT_DOUBLE_EQ(r.years[0].largestGapHours, 12);
    EXPECT_NEAR(r.years[0].capacityFactor[4], 12, 1e-9);      // 6 kW of 50
    EXPECT_NEAR(yearDifferenceAtHeight(r, 0, 2000), 12, 1e-9);
    EXPECT_NEAR(yearDifferenceAtHeight(r, 1, 2000), -12, 1e-9);   // short of data: negated
    EXPECT_EQ(yearDifferenceAtHeight(r, 2, 2000), 0);

    // Four weeks without soundings make a year unusable.
    SoundingSet gapped;
    fillUniform(gapped, 40, 100, 1500, 101325, hoursSince1930(makeDate(2003, 1, 1), 0), 12);
    for (int n = 21; n <= 40; ++n) gapped.time[n][0] += 672;
    const auto g = computeLevelPower(gapped, PowerModel::fromGenerator(mill()));
    EXPECT_DOUBLE_EQ(g.years[0].largestGapHours, 684);
    EXPECT_EQ(yearDifferenceAtHeight(g, 0, 1000), 0);
}

TEST(PowerProduction, soundingPowerAtHeightFollowsThePowerFunction) {
    SoundingSet set;
    fillUniform(set, 2, 100, 1500, 101325);
    set.level[2][0][1] = 0;
    set.level[2][1][1] = 400;
    const auto model = PowerModel::fromGenerator(mill());
    const auto speeds = soundingSpeedsAtFeet(set, 250);
    EXPECT_DOUBLE_EQ(speeds[1], 10);
    EXPECT_DOUBLE_EQ(speeds[2], 20);
    const auto power = soundingPowerAtFeet(set, model, 250, 1.1);
    EXPECT_DOUBLE_EQ(power[1], 6.6);
    EXPECT_DOUBLE_EQ(power[2], 55);
    EXPECT_EQ(soundingPowerAtFeet(set, model, 500, 1.0)[2], kCutOutMarker);
}

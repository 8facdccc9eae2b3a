#include <gtest/gtest.h>

#include <vector>

#include "power/EnergyBalance.h"
#include "power/PowerProduction.h"

using namespace skyloom::power;

namespace {

constexpr double kNoGridLimit = 1e9;

BalanceInputs inputs(double use, double bankMWh, double eff, double soc, double maxToGrid = kNoGridLimit) {
    return BalanceInputs{use, bankMWh, eff, maxToGrid, soc};
}

BalanceResult run(const BalanceInputs& in, const std::vector<double>& powerKw, const std::vector<double>& hours) {
    return runEnergyBalance(in, powerKw, hours);
}

}  // namespace

TEST(EnergyBalance, withoutStoreEverySurplusIsExcessAndEveryDeficitIsBought) {
    const BalanceResult r = run(inputs(10, 0, 80, 75), {0, 5, 20, 10, 30}, std::vector<double>(5, 12.0));

    EXPECT_DOUBLE_EQ(r.hoursRun, 60);
    EXPECT_DOUBLE_EQ(r.shortfallKWh, 120 + 60);
    EXPECT_DOUBLE_EQ(r.hoursInShortfall, 24);
    EXPECT_DOUBLE_EQ(r.chargeLossMWh, 0);
    EXPECT_EQ(r.series.excessRate, (std::vector<double>{0, 0, 10, 0, 20}));
    EXPECT_EQ(r.series.shortfallToDate, (std::vector<double>{120, 180, 180, 180, 180}));
    EXPECT_EQ(r.series.storedEnergy, std::vector<double>(5, 0.0));
    EXPECT_EQ(r.series.batteryRate, std::vector<double>(5, 0.0));

    // 780 kWh over 60 hours, 60 hours being 60/8766 of a year.
    EXPECT_NEAR(r.totalEPot, 0.780 * 8766 / 60, 1e-9);
    EXPECT_NEAR(r.totalEUse, 10 * 8.766, 1e-9);
    EXPECT_NEAR(r.shortE, 0.180 * 8766 / 60, 1e-9);
    EXPECT_NEAR(r.unUsedCap, r.totalEPot - r.totalEUse, 1e-9);
    // Two of the five soundings have P below U.
    EXPECT_DOUBLE_EQ(r.dieselPercent, 40);
    EXPECT_DOUBLE_EQ(r.percentNonWind, 30);

    const EnergyLines l = energyLines(r);
    EXPECT_EQ(l.potential, "114");
    EXPECT_EQ(l.used, "87.66");
    EXPECT_EQ(l.chargeLosses, "0.00");
    EXPECT_EQ(l.gridHeading, "Sold to GRID:");
    EXPECT_EQ(l.grid, "26.30");
    EXPECT_EQ(l.shortfall, "26.30");
    EXPECT_EQ(l.dieselPercent, "40.00%");
    EXPECT_EQ(l.percentNonWind, "30.0%");
}

TEST(EnergyBalance, powerAtOrAboveMaxToGridButBelowUseChangesNothing) {
    // P = 5 reaches MaxToGrid 5 but not the use of 10: neither bought nor stored.
    const BalanceResult r = run(inputs(10, 0, 80, 75, 5), {0, 5, 8}, {12, 12, 12});
    EXPECT_DOUBLE_EQ(r.shortfallKWh, 120);
    EXPECT_DOUBLE_EQ(r.hoursInShortfall, 12);
    EXPECT_NEAR(r.dieselPercent, 100.0 / 3, 1e-12);
    EXPECT_EQ(r.series.excessRate, std::vector<double>(3, 0.0));
}

TEST(EnergyBalance, fullStoreWithoutDeficitBuysNothingAndLosesNothing) {
    const BalanceResult r = run(inputs(10, 1, 80, 100), {15, 20}, {12, 12});
    EXPECT_DOUBLE_EQ(r.shortfallKWh, 0);
    EXPECT_DOUBLE_EQ(r.chargeLossMWh, 0);
    EXPECT_EQ(r.series.storedEnergy, (std::vector<double>{1000, 1000}));
    EXPECT_EQ(r.series.excessRate, (std::vector<double>{5, 10}));
    EXPECT_EQ(r.series.batteryRate, (std::vector<double>{0, 0}));
    EXPECT_DOUBLE_EQ(r.dieselPercent, 0);
    EXPECT_EQ(energyLines(r).percentNonWind, "0.0%");
}

TEST(EnergyBalance, deficitLargerThanStoreBuysOnlyTheUncoveredPartForProratedHours) {
    // 100 kWh store at 50 %: the first 120 kWh need finds 50 kWh, 70 are bought
    // for 12 x 70/120 = 7 hours; the second finds the store empty.
    const std::vector<double> h{12, 12};
    const BalanceResult r = run(inputs(10, 0.1, 80, 50), {0, 0}, h);
    EXPECT_DOUBLE_EQ(r.shortfallKWh, 190);
    EXPECT_DOUBLE_EQ(r.hoursInShortfall, 19);
    EXPECT_EQ(r.series.storedEnergy, (std::vector<double>{0, 0}));
    EXPECT_DOUBLE_EQ(r.series.batteryRate[0], -50.0 / 12);
    EXPECT_DOUBLE_EQ(r.series.batteryRate[1], 0);
    EXPECT_EQ(r.series.shortfallToDate, (std::vector<double>{70, 190}));
    EXPECT_NEAR(r.dieselPercent, 19.0 / 24 * 100, 1e-12);
    EXPECT_NEAR(r.percentNonWind, 190.0 / 240 * 100, 1e-12);

    EXPECT_EQ(energyHoverText(r, h, 0), "For 12 hrs.4.17 kW battery discharge. 5.83 kW bought. ");
    EXPECT_EQ(energyHoverText(r, h, 1), "For 12 hrs.10 kW bought. ");
}

TEST(EnergyBalance, surplusOverfillingTheStoreFillsItExactlyAndLosesOnlyOnTheRoom) {
    // Room 50 kWh, surplus 240 kWh, e = 0.8: loss 0.2 x 50 = 10, excess 240 - 10 - 50.
    const std::vector<double> h{12};
    const BalanceResult r = run(inputs(0, 0.1, 80, 50), {20}, h);
    EXPECT_DOUBLE_EQ(r.series.storedEnergy[0], 100);
    EXPECT_DOUBLE_EQ(r.chargeLossMWh, 0.010);
    EXPECT_DOUBLE_EQ(r.series.excessRate[0], 180.0 / 12);
    EXPECT_DOUBLE_EQ(r.series.chargeLossRate[0], 10.0 / 12);
    EXPECT_DOUBLE_EQ(r.series.batteryRate[0], 50.0 / 12);
    EXPECT_NEAR(r.chargeLossPerYear, 0.010 * 8766 / 12, 1e-9);
    EXPECT_NEAR(r.unUsedCap, r.totalEPot - r.chargeLossPerYear, 1e-9);
    EXPECT_EQ(energyHoverText(r, h, 0),
              "For 12 hrs.4.17 kW charging. 15 kW excess capacity. 0.83 kW charge loss. ");
}

TEST(EnergyBalance, surplusThatFitsIsStoredLessItsChargeLoss) {
    const std::vector<double> h{12};
    const BalanceResult r = run(inputs(0, 0.1, 80, 50), {2}, h);
    EXPECT_NEAR(r.series.storedEnergy[0], 50 + 19.2, 1e-12);
    EXPECT_NEAR(r.chargeLossMWh, 0.0048, 1e-15);
    EXPECT_DOUBLE_EQ(r.series.excessRate[0], 0);
    EXPECT_EQ(energyHoverText(r, h, 0), "For 12 hrs.1.60 kW charging. 0.40 kW charge loss. ");
}

TEST(EnergyBalance, cutOutSoundingIsADeficitOfTheWholeUse) {
    const BalanceResult r = run(inputs(10, 0, 80, 75, 50), {-1e-9, 12}, {12, 12});
    EXPECT_DOUBLE_EQ(r.shortfallKWh, 120);
    EXPECT_DOUBLE_EQ(r.hoursInShortfall, 12);
    EXPECT_DOUBLE_EQ(r.potentialKWh, 144);
    EXPECT_DOUBLE_EQ(r.series.excessRate[1], 2);
}

TEST(EnergyBalance, fullEfficiencyHasNoChargeLoss) {
    const BalanceResult r = run(inputs(0, 0.1, 100, 0), {20, 3}, {12, 12});
    EXPECT_DOUBLE_EQ(r.chargeLossMWh, 0);
    EXPECT_EQ(r.series.chargeLossRate, (std::vector<double>{0, 0}));
    EXPECT_DOUBLE_EQ(r.series.storedEnergy[0], 100);
    EXPECT_DOUBLE_EQ(r.series.excessRate[0], 140.0 / 12);
}

TEST(EnergyBalance, noDemandMeansNoEnergyUsedAndZeroPercentNonWind) {
    const BalanceResult r = run(inputs(0, 0, 80, 75), {0, 7}, {12, 12});
    EXPECT_FALSE(r.energyUsed);
    EXPECT_DOUBLE_EQ(r.percentNonWind, 0);
    EXPECT_DOUBLE_EQ(r.totalEUse, 0);
    EXPECT_EQ(energyLines(r).percentNonWind, "0%");
}

TEST(EnergyBalance, capacityShortfallShowsItsMagnitude) {
    const BalanceResult r = run(inputs(2, 0, 80, 75), {1, 1}, {12, 12});
    EXPECT_LT(r.unUsedCap, 0);
    const EnergyLines l = energyLines(r);
    EXPECT_EQ(l.gridHeading, "Capacity Shortfall:");
    EXPECT_EQ(l.grid, "8.77");  // (8.766 - 17.532) MWh per year
}

TEST(EnergyBalance, emptyPeriodGivesZeroResults) {
    const BalanceResult r = runEnergyBalance(inputs(10, 1, 80, 75), {}, {});
    EXPECT_DOUBLE_EQ(r.totalEPot, 0);
    EXPECT_DOUBLE_EQ(r.dieselPercent, 0);
    EXPECT_TRUE(r.series.storedEnergy.empty());
    EXPECT_EQ(energyHoverText(r, {}, 0), "");
}

TEST(EnergyBalance, mismatchedSeriesAreRejected) {
    EXPECT_THROW(run(inputs(1, 0, 80, 75), {1, 2}, {12}), std::invalid_argument);
}

TEST(EnergyBalance, energyFiguresSwitchFormatAtOneHundred) {
    EXPECT_EQ(formatEnergy(99.994), "99.99");
    EXPECT_EQ(formatEnergy(99.995), "100.00");
    EXPECT_EQ(formatEnergy(100), "100");
    EXPECT_EQ(formatEnergy(1234567.5), "1,234,568");
    EXPECT_EQ(formatGridEnergy(0.5), "0.50");
    EXPECT_EQ(formatGridEnergy(12345), "12,345");
}

TEST(EnergyBalance, hoverTextThresholdsAndValueFormats) {
    // A discharge of 0.009 kW is not shown, 0.0091 kW is; excess shows from 0.005.
    BalanceResult r;
    r.series = BalanceSeries{{0, 0}, {0, 0}, {-0.009, -0.0091}, {0.0049, 0.005}, {0.009, 9.999}};
    const std::vector<double> h{6, 4.5};
    EXPECT_EQ(energyHoverText(r, h, 0), "For 6 hrs.");
    EXPECT_EQ(energyHoverText(r, h, 1),
              "For 4.5 hrs.0.01 kW battery discharge. 0.01 kW excess capacity. 10.00 kW charge loss. ");
}

TEST(EnergyBalance, bothRunsAgreeSoTheLastShortfallToDateIsTheTotal) {
    std::vector<double> p, h;
    for (int i = 0; i < 200; ++i) {
        p.push_back((i * 37) % 23);
        h.push_back(i % 3 == 0 ? 6 : 12);
    }
    const BalanceResult r = run(inputs(9, 0.2, 70, 40), p, h);
    EXPECT_GT(r.shortfallKWh, 0);
    EXPECT_DOUBLE_EQ(r.series.shortfallToDate.back(), r.shortfallKWh);
    for (double s : r.series.storedEnergy) {
        EXPECT_GE(s, 0);
        EXPECT_LE(s, 200);
    }
}

namespace {
// Runs counted at the ground and at 500 feet over two years of soundings.
LevelPowerResults twoLevelRuns() {
    LevelPowerResults r;
    r.totalHours = 2 * 8766;
    r.maxIdleRunHours[0] = 48;
    r.maxIdleRunHours[1] = 24;
    r.idleHours[0] = 480;
    r.idleHours[1] = 120;
    r.idleStarts[0] = 20;
    r.idleStarts[1] = 10;
    r.maxCutOutRunHours[1] = 12;
    r.cutOuts[1] = 4;
    return r;
}
}  // namespace

TEST(IdleStatistics, figuresAtAHeightLieBetweenThoseOfItsLevels) {
    const LevelPowerResults r = twoLevelRuns();
    IdleStatistics s = idleStatisticsAtFeet(r, 0);
    EXPECT_DOUBLE_EQ(s.maxIdleDays, 2.0);
    EXPECT_DOUBLE_EQ(s.averageIdleDays, 1.0);
    EXPECT_DOUBLE_EQ(s.idleStartsPerYear, 10);
    EXPECT_DOUBLE_EQ(s.maxCutOutDays, 0);
    // 250 feet lies halfway between the ground and 500 feet.
    s = idleStatisticsAtFeet(r, 250);
    EXPECT_DOUBLE_EQ(s.maxIdleDays, 1.5);
    EXPECT_DOUBLE_EQ(s.averageIdleDays, 0.75);
    EXPECT_DOUBLE_EQ(s.maxCutOutDays, 0.25);
    EXPECT_DOUBLE_EQ(s.idleStartsPerYear, 7.5);
    EXPECT_DOUBLE_EQ(s.cutOutsPerYear, 1);
    EXPECT_EQ(idleDaysLine(s),
              "Max idle days in a row was 1.5 days.  Idle times average 0.8 days.  Max cutout days in a row was "
              "0.3 days");
    EXPECT_EQ(idleStartsLine(s), "Annual Idle starts: 8 Cut-Outs: 1");
    // Above the levels with runs nothing idles; with no hours there are no yearly counts.
    EXPECT_DOUBLE_EQ(idleStatisticsAtFeet(r, 1000).idleStartsPerYear, 0);
    EXPECT_DOUBLE_EQ(idleStatisticsAtFeet(LevelPowerResults{}, 0).idleStartsPerYear, 0);
}

TEST(EnergyBalance, rerunIntoAnEarlierResultMatchesAFreshRun) {
    const std::vector<double> p1{0, 20, 5, 30}, h1{12, 12, 12, 12};
    const std::vector<double> p2{3, 25}, h2{12, 6};
    const BalanceInputs in = inputs(10, 0.1, 80, 50);
    BalanceResult reused = runEnergyBalance(in, p1, h1);
    runEnergyBalance(in, p2, h2, reused);
    const BalanceResult fresh = runEnergyBalance(in, p2, h2);
    EXPECT_EQ(reused.series.storedEnergy, fresh.series.storedEnergy);
    EXPECT_EQ(reused.series.shortfallToDate, fresh.series.shortfallToDate);
    EXPECT_EQ(reused.series.excessRate, fresh.series.excessRate);
    EXPECT_EQ(reused.series.chargeLossRate, fresh.series.chargeLossRate);
    EXPECT_EQ(reused.series.batteryRate, fresh.series.batteryRate);
    EXPECT_DOUBLE_EQ(reused.shortfallKWh, fresh.shortfallKWh);
    EXPECT_DOUBLE_EQ(reused.hoursRun, 18);
}

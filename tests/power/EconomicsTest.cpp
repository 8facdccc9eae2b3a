#include <gtest/gtest.h>

#include <vector>

#include "power/Economics.h"
#include "power/EnergyBalance.h"

using namespace skyloom::power;

namespace {

MoneyInputs money(double use, double bank, double batCost, double buy, double sell, double genCost) {
    return MoneyInputs{use, bank, batCost, buy, sell, genCost};
}

}  // namespace

TEST(Economics, noUseAndNoStoreGivesTheBreakEvenSellPrice) {
    // 100 MWh a year potential, all sold; 5000 $ a year: 5000 / 100,000 kWh.
    const MoneyInputs in = money(0, 0, 0, 0.2, 0.1, 5000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{100, 0, 100, 0});
    EXPECT_TRUE(m.breakEven);
    EXPECT_DOUBLE_EQ(m.netEnergyCost, 0.05);
    EXPECT_DOUBLE_EQ(m.usedEnergyCost, 0);
    EXPECT_DOUBLE_EQ(m.income, 10000);
    EXPECT_DOUBLE_EQ(m.netCashFlow, 5000);

    const NetCostLine line = netCostLine(in, m);
    EXPECT_EQ(line.label, "Break Even Sell Price if sell all");
    EXPECT_EQ(line.value, "0.0500");
    EXPECT_FALSE(line.showLocalLines);
}

TEST(Economics, sellPriceZeroEarnsNothingAndCostsTheWindEnergyUsed) {
    const MoneyInputs in = money(11.4, 0, 0, 0.2, 0, 10000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{200, 100, 100, 10});
    EXPECT_DOUBLE_EQ(m.buyE, 10);
    EXPECT_DOUBLE_EQ(m.shortfallCost, 2000);
    EXPECT_DOUBLE_EQ(m.totalCost, 12000);
    EXPECT_DOUBLE_EQ(m.income, 0);
    EXPECT_DOUBLE_EQ(m.netCashFlow, -12000);
    EXPECT_DOUBLE_EQ(m.usedEnergyCost, 0.12);
    EXPECT_DOUBLE_EQ(m.netEnergyCost, 0.12);
    EXPECT_DOUBLE_EQ(m.netSave, 100000 * 0.2 - 12000);

    const NetCostLine line = netCostLine(in, m);
    EXPECT_EQ(line.label, "Net COST of wind energy used");
    EXPECT_EQ(line.value, "0.1200");
    EXPECT_TRUE(line.showLocalLines);

    const MoneyLines l = moneyLines(m);
    EXPECT_EQ(l.bought, "10.00");
    EXPECT_EQ(l.shortfallCost, "$2,000");
    EXPECT_EQ(l.netCashHeading, "Net COST (-ve is expense):");
    EXPECT_EQ(l.netCash, "-$12,000");
    EXPECT_EQ(l.usedEnergyCost, "0.1200");
    EXPECT_EQ(l.netSave, "$8,000");
}

TEST(Economics, surplusEarningMoreThanTheCostReadsAsProfitOnUnusedCapacity) {
    const MoneyInputs in = money(11.4, 0, 0, 0.2, 0.5, 10000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{200, 100, 100, 10});
    EXPECT_DOUBLE_EQ(m.income, 50000);
    EXPECT_DOUBLE_EQ(m.netEnergyCost, -0.38);
    const NetCostLine line = netCostLine(in, m);
    EXPECT_EQ(line.label, "Net PROFIT if Unused Capacity is sold for $0.5 per kWhr:");
    EXPECT_EQ(line.value, "0.3800");
    const MoneyLines l = moneyLines(m);
    EXPECT_EQ(l.netCashHeading, "Net PROFIT (-ve is expense):");
    EXPECT_EQ(l.netCash, "$38,000");
}

TEST(Economics, sellingAtALossReadsAsCostIfExcessIsSold) {
    const MoneyInputs in = money(11.4, 0, 0, 0.2, 0.0123, 10000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{200, 100, 100, 10});
    EXPECT_DOUBLE_EQ(m.income, 1230);
    EXPECT_EQ(netCostLine(in, m).label, "Net COST if excess wind energy is sold for $0.0123 per kWhr:");
    EXPECT_EQ(netCostLine(in, m).value, "0.1077");
}

TEST(Economics, capacityShortfallSellsNothingAndNetCostIsUsedCost) {
    const MoneyInputs in = money(30, 0.5, 0.1, 0.25, 0.5, 20000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{200, 262.98, -62.98, 80});
    EXPECT_DOUBLE_EQ(m.income, 0);
    EXPECT_DOUBLE_EQ(m.storageCost, 50);
    EXPECT_DOUBLE_EQ(m.totalCost, 20000 + 50 + 20000);
    EXPECT_DOUBLE_EQ(m.usedEnergyCost, 0.1523);  // 40050 / 262980 = 0.152293...
    EXPECT_DOUBLE_EQ(m.netEnergyCost, m.usedEnergyCost);
    EXPECT_EQ(netCostLine(in, m).label, "Net COST if excess wind energy is sold for $0.5 per kWhr:");
}

TEST(Economics, perKilowattHourCostsRoundToFourDecimalsHalfAwayFromZero) {
    // 1 $ over 20,000 kWh is exactly 0.00005 $/kWh.
    const MoneyResult m = computeEconomics(money(1, 0, 0, 0, 0, 1), EnergyFigures{0, 20, -20, 20});
    EXPECT_DOUBLE_EQ(m.usedEnergyCost, 0.0001);
    const MoneyResult below = computeEconomics(money(1, 0, 0, 0, 0, 0.99), EnergyFigures{0, 20, -20, 20});
    EXPECT_DOUBLE_EQ(below.usedEnergyCost, 0);
}

TEST(Economics, nothingUsedAndNothingProducedCostsNothingPerKilowattHour) {
    const MoneyInputs in = money(0, 0, 0, 0.2, 0, 5000);
    const MoneyResult m = computeEconomics(in, EnergyFigures{0, 0, 0, 0});
    EXPECT_FALSE(m.breakEven);
    EXPECT_DOUBLE_EQ(m.netEnergyCost, 0);
    EXPECT_DOUBLE_EQ(m.netCashFlow, -5000);
    EXPECT_EQ(netCostLine(in, m).label, "Net COST of wind energy used");
}

TEST(Economics, profitWordingWhenEverythingGoesToTheGrid) {
    MoneyResult m;
    m.netEnergyCost = -0.0125;
    const NetCostLine line = netCostLine(money(0, 0, 0, 0, 0.25, 0), m);
    EXPECT_EQ(line.label, "Net PROFIT if excess wind energy is sold for $0.25 per kWhr:");
    EXPECT_EQ(line.value, "0.0125");
    EXPECT_FALSE(line.showLocalLines);
    // A store alone keeps the local lines and the unused-capacity wording.
    const NetCostLine stored = netCostLine(money(0, 2, 0, 0, 0.25, 0), m);
    EXPECT_EQ(stored.label, "Net PROFIT if Unused Capacity is sold for $0.25 per kWhr:");
    EXPECT_TRUE(stored.showLocalLines);
}

TEST(Economics, shortfallCostShowsDollarsOnlyFromOneHundred) {
    MoneyResult m;
    m.shortfallCost = 99.99;
    EXPECT_EQ(moneyLines(m).shortfallCost, "99.99");
    m.shortfallCost = 100;
    EXPECT_EQ(moneyLines(m).shortfallCost, "$100");
    m.buyE = 1234.5;
    EXPECT_EQ(moneyLines(m).bought, "1,235");
    m.netCashFlow = 0;
    EXPECT_EQ(moneyLines(m).netCashHeading, "Net PROFIT (-ve is expense):");
}

TEST(Economics, moneyFollowsTheBalanceResults) {
    const std::vector<double> p{0, 20};
    const std::vector<double> h{12, 12};
    const BalanceResult r = runEnergyBalance(BalanceInputs{10, 0, 80, 1e9, 75}, p, h);
    const EnergyFigures e = energyFigures(r);
    EXPECT_DOUBLE_EQ(e.totalEPot, r.totalEPot);
    EXPECT_DOUBLE_EQ(e.unUsedCap, r.unUsedCap);
    const MoneyResult m = computeEconomics(money(10, 0, 0, 0.3, 0.1, 0), e);
    // The balance bought 120 kWh over 24 hours, i.e. 43.83 MWh a year.
    EXPECT_NEAR(m.buyE, 0.120 * 8766 / 24, 1e-9);
    EXPECT_NEAR(m.shortfallCost, 120 * 8766 / 24 * 0.3, 1e-6);
}

TEST(Economics, recalledAnalysisGetsTheSameWordingFromItsStoredFigures) {
    const MoneyInputs in = money(0, 0, 0, 0.2, 0.1, 5000);
    EXPECT_EQ(netCostLine(in, 0.05, 0, 100).label, "Break Even Sell Price if sell all");
    EXPECT_EQ(netCostLine(in, 0.05, 0, 0).label, "Net COST if excess wind energy is sold for $0.1 per kWhr:");
    EXPECT_EQ(netCostLine(money(3, 0, 0, 0.2, 0.1, 0), -0.0301, 26.3, 100).value, "0.0301");
}

#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "power/EnergyInputs.h"

using namespace skyloom::power;
using skyloom::test::ScriptedPrompter;

TEST(EnergyInputs, storeEfficiencyBelowOneFifthIsRefusedAndOneFifthAccepted) {
    PowerPageInputs in;
    in.storeEff = 80;
    ScriptedPrompter p;
    p.answer("0.1");
    EXPECT_EQ(editStoreEff(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Too small a value, just set Local Storage Capacity to 0 instead.");
    EXPECT_DOUBLE_EQ(in.storeEff, 80);
    EXPECT_EQ(p.prompts.at(0), " How many kWhr comes out of the Storage System if you put 100 kWhr into it?");
    EXPECT_EQ(p.defaults.at(0), "80");

    p.answer("0.2");
    EXPECT_EQ(editStoreEff(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.storeEff, 0.2);
    EXPECT_EQ(p.messages.size(), 1u);

    p.answer("100.04");
    EXPECT_EQ(editStoreEff(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Too big a value.");
    p.answer("65.45");
    EXPECT_EQ(editStoreEff(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.storeEff, 65.5);
    EXPECT_TRUE(p.allAnswersUsed());
}

TEST(EnergyInputs, pricesUpToOneHundredAreAcceptedAndKeptToFourDecimals) {
    PowerPageInputs in;
    ScriptedPrompter p;
    p.answer("100").answer("100.0001").answer("-0.0001").answer("0.12345");
    EXPECT_EQ(editBuyPrice(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.buyPrice, 100);
    EXPECT_EQ(editBuyPrice(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "You must enter a $/kwhr that is less than or equal to 100.");
    EXPECT_EQ(editBuyPrice(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "You must enter a $/kwhr that is greater than or equal to 0.");
    EXPECT_DOUBLE_EQ(in.buyPrice, 100);
    EXPECT_EQ(editBuyPrice(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.buyPrice, 0.1235);
    EXPECT_EQ(p.prompts.at(0), "What is the cost of the energy that will be used during periods of shortfall ($/kwhrs)?");
    EXPECT_EQ(p.defaults.at(3), "100");

    p.answer("100").answer("100.0001");
    EXPECT_EQ(editSellPrice(p, in), InputOutcome::Changed);
    EXPECT_EQ(editSellPrice(p, in), InputOutcome::Refused);
    EXPECT_DOUBLE_EQ(in.sellPrice, 100);
    EXPECT_EQ(p.prompts.back(), "How much can the Unused Capacity energy be sold for? ($/kwhrs)");
    EXPECT_EQ(p.lastMessage(), "You must enter a $/kwhr that is less than or equal to 100.");
}

TEST(EnergyInputs, usageIsWholeFromTenKilowattsAndTwoDecimalsBelow) {
    PowerPageInputs in;
    in.aveUsed = 5;
    ScriptedPrompter p;
    p.answer("-1").answer("12.6").answer("2.345").answer("9.996").answer("0");
    EXPECT_EQ(editUsage(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "You must enter a kW that is greater than 0.");
    EXPECT_DOUBLE_EQ(in.aveUsed, 5);
    EXPECT_EQ(editUsage(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.aveUsed, 13);
    EXPECT_EQ(editUsage(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.aveUsed, 2.35);
    EXPECT_EQ(editUsage(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.aveUsed, 10);
    EXPECT_EQ(editUsage(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.aveUsed, 0);
    EXPECT_EQ(p.prompts.at(0), "New Total Average Power Used by Power Grid (kW)?");
    EXPECT_EQ(p.defaults, (std::vector<std::string>{"5", "5", "13", "2.35", "10"}));
    EXPECT_EQ(usageText(12.4), "12");
    EXPECT_EQ(usageText(2.5), "2.50");
}

TEST(EnergyInputs, emptyAnswerCancelsAndTheSameValueDoesNothing) {
    PowerPageInputs in;
    in.bankSize = 2.5;
    ScriptedPrompter p;
    p.answer("").cancel().answer("   ").answer("2.5").answer("2.50 MWh").answer("2.501");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Cancelled);
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Cancelled);
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Cancelled);
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Unchanged);
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Unchanged);
    // Kept to 2 decimals, 2.501 is still the stored 2.5.
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Unchanged);
    EXPECT_DOUBLE_EQ(in.bankSize, 2.5);
    EXPECT_TRUE(p.messages.empty());
}

TEST(EnergyInputs, storageSizeAndCostAreLimitedToAMillion) {
    PowerPageInputs in;
    ScriptedPrompter p;
    p.answer("1000000").answer("1000000.01").answer("3.14159");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.bankSize, 1000000);
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Too big a value.");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.bankSize, 3.14);
    EXPECT_EQ(p.prompts.at(0), "What is the total capacity of the energy storage system (Mwhrs)?");

    p.answer("1000001").answer("12.345");
    EXPECT_EQ(editStorageCost(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Too big a value.");
    EXPECT_EQ(editStorageCost(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.batDollarsPerYr, 12.35);
    EXPECT_EQ(p.prompts.back(),
              "What is the cost of local storage capacity in Dollars per Year (including capital and maintenance "
              "costs)?");
}

TEST(EnergyInputs, generatorCostIsWholeDollarsAndNotNegative) {
    PowerPageInputs in;
    in.generatorCost = 12000;
    ScriptedPrompter p;
    p.answer("-1").answer("1234.5");
    EXPECT_EQ(editGeneratorCost(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Must be greater than or equal to 0");
    EXPECT_EQ(editGeneratorCost(p, in), InputOutcome::Changed);
    EXPECT_DOUBLE_EQ(in.generatorCost, 1235);
    EXPECT_EQ(p.prompts.at(0),
              "Cost of Wind Generator amortized to a yearly cost for Capital and Maintenance (Dollars/year)");
    EXPECT_EQ(p.defaults.at(0), "12000");
}

TEST(EnergyInputs, inputsFeedTheBalanceAndTheMoney) {
    PowerPageInputs in{7, 1.5, 20, 85, 0.3, 0.1, 9000};
    const BalanceInputs b = balanceInputs(in, 250, 60);
    EXPECT_DOUBLE_EQ(b.aveUsed, 7);
    EXPECT_DOUBLE_EQ(b.bankSize, 1.5);
    EXPECT_DOUBLE_EQ(b.storeEff, 85);
    EXPECT_DOUBLE_EQ(b.maxToGrid, 250);
    EXPECT_DOUBLE_EQ(b.stateOfCharge, 60);
    const MoneyInputs m = moneyInputs(in);
    EXPECT_DOUBLE_EQ(m.batDollarsPerKWh, 20);
    EXPECT_DOUBLE_EQ(m.buyPrice, 0.3);
    EXPECT_DOUBLE_EQ(m.sellPrice, 0.1);
    EXPECT_DOUBLE_EQ(m.generatorCost, 9000);
}

TEST(EnergyInputs, lettersAndNumbersPastSenseAreRefusedInOneLineAndChangeNothing) {
    PowerPageInputs in;
    in.aveUsed = 25;
    in.bankSize = 2;
    in.buyPrice = 0.1;
    ScriptedPrompter p;
    p.answer("abc").answer("1e12").answer("1e400").answer("-1");
    EXPECT_EQ(editUsage(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 1,000,000 kW.");
    EXPECT_EQ(editUsage(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 1,000,000 kW.");
    EXPECT_EQ(editUsage(p, in), InputOutcome::Refused);   // no double holds it: not "greater than 0"
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 1,000,000 kW.");
    EXPECT_EQ(editUsage(p, in), InputOutcome::Refused);   // the fixed rule keeps its fixed message
    EXPECT_EQ(p.lastMessage(), "You must enter a kW that is greater than 0.");
    EXPECT_DOUBLE_EQ(in.aveUsed, 25);

    p.answer("two").answer("-5").answer("2000000");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 1,000,000 MWh.");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 1,000,000 MWh.");
    EXPECT_EQ(editBankSize(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Too big a value.");
    EXPECT_DOUBLE_EQ(in.bankSize, 2);

    p.answer("cheap");
    EXPECT_EQ(editBuyPrice(p, in), InputOutcome::Refused);
    EXPECT_EQ(p.lastMessage(), "Please enter a number from 0 to 100 $/kWh.");
    EXPECT_DOUBLE_EQ(in.buyPrice, 0.1);
    EXPECT_TRUE(p.allAnswersUsed());
}

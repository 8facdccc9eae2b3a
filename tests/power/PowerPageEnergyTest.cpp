#include <gtest/gtest.h>

#include <map>

#include "ScriptedPrompter.h"
#include "power/PowerPageEnergy.h"
#include "sounding/SoundingSet.h"

using namespace skyloom::power;
using skyloom::test::ScriptedPrompter;

namespace {

PowerPageEnergy page() {
    PowerPageEnergy e;
    e.inputs = PowerPageInputs{10, 0, 0, 80, 0.2, 0.05, 1000};
    e.maxToGrid = 1e9;
    e.setSoundings({0, 20, 5, 30}, {12, 12, 12, 12});
    e.run();
    return e;
}

}  // namespace

TEST(PowerPageEnergy, validChangeRerunsBalanceAndMoneyAtOnce) {
    PowerPageEnergy e = page();
    // 660 kWh potential and 480 kWh use over 48 hours.
    EXPECT_NEAR(e.balance().totalEUse, 87.66, 1e-9);
    const double incomeBefore = e.money().income;

    ScriptedPrompter p;
    p.answer("5");
    EXPECT_EQ(e.edit(EnergyField::Usage, p), InputOutcome::Changed);
    EXPECT_NEAR(e.balance().totalEUse, 43.83, 1e-9);
    EXPECT_GT(e.money().income, incomeBefore);

    p.answer("0.1");
    EXPECT_EQ(e.edit(EnergyField::SellPrice, p), InputOutcome::Changed);
    EXPECT_NEAR(e.money().income, 0.1 * 1000 * e.balance().unUsedCap, 1e-6);
    EXPECT_EQ(e.netCostLine().label.rfind("Net ", 0), 0u);
}

TEST(PowerPageEnergy, refusedOrCancelledInputLeavesTheResults) {
    PowerPageEnergy e = page();
    const double shortE = e.balance().shortE;
    ScriptedPrompter p;
    p.answer("-3").answer("");
    EXPECT_EQ(e.edit(EnergyField::Usage, p), InputOutcome::Refused);
    EXPECT_EQ(e.edit(EnergyField::BankSize, p), InputOutcome::Cancelled);
    EXPECT_DOUBLE_EQ(e.balance().shortE, shortE);
    EXPECT_DOUBLE_EQ(e.inputs.aveUsed, 10);
    EXPECT_FALSE(e.storageInputsVisible());
}

TEST(PowerPageEnergy, everyFieldHasItsOwnHandler) {
    PowerPageInputs in;
    const std::map<EnergyField, std::string> prompts{
        {EnergyField::Usage, "New Total Average Power Used by Power Grid (kW)?"},
        {EnergyField::BankSize, "What is the total capacity of the energy storage system (Mwhrs)?"},
        {EnergyField::StoreEff, " How many kWhr comes out of the Storage System if you put 100 kWhr into it?"},
        {EnergyField::SellPrice, "How much can the Unused Capacity energy be sold for? ($/kwhrs)"},
    };
    for (const auto& [field, prompt] : prompts) {
        ScriptedPrompter p;
        p.cancel();
        EXPECT_EQ(editEnergyField(field, p, in), InputOutcome::Cancelled);
        EXPECT_EQ(p.prompts.at(0), prompt);
    }
}

TEST(PowerPageEnergy, storeMakesTheStorageInputsVisibleAndChangesTheHoverText) {
    PowerPageEnergy e = page();
    ScriptedPrompter p;
    p.answer("0.1");
    EXPECT_EQ(e.edit(EnergyField::BankSize, p), InputOutcome::Changed);
    EXPECT_TRUE(e.storageInputsVisible());
    // The store starts at 75 kWh and covers the first 120 kWh need in part.
    EXPECT_EQ(e.hoverText(0), "For 12 hrs.6.25 kW battery discharge. 3.75 kW bought. ");
}

TEST(PowerPageEnergy, recordValuesAreRoundedAsTheAnalysisRecordStoresThem) {
    BalanceResult b;
    b.totalEPot = 1234.5;
    b.totalEUse = 999.7;
    b.unUsedCap = -9876;
    b.shortE = 5678;
    b.dieselPercent = 0.955;
    b.percentNonWind = 99.6;
    MoneyResult m;
    m.netEnergyCost = -0.12345;
    const auto values = energyRecordValues(b, m);
    std::map<std::string, double> v(values.begin(), values.end());
    EXPECT_EQ(values.size(), 11u);
    EXPECT_DOUBLE_EQ(v.at("TotalEPot"), 1230);
    EXPECT_DOUBLE_EQ(v.at("TotalEUse"), 1000);
    EXPECT_DOUBLE_EQ(v.at("UnusedCap"), -9880);
    EXPECT_DOUBLE_EQ(v.at("ShortE"), 5700);
    EXPECT_DOUBLE_EQ(v.at("DieselPercent"), 0.96);
    EXPECT_DOUBLE_EQ(v.at("PercentNonWind"), 100);
    EXPECT_DOUBLE_EQ(v.at("NetEnergyCost"), -0.123);
    EXPECT_DOUBLE_EQ(v.at("BuyE"), 0);
}

TEST(PowerPageEnergy, takesTheSoundingsOfTheSetThatAreNotIgnored) {
    skyloom::sounding::SoundingSet set;
    set.setCount(4);
    for (int n = 1; n <= 4; ++n) {
        set.key[n] = n;
        set.time[n][0] = 1000 + 12 * n;
        set.time[n][1] = 12;
    }
    set.key[3] = -3;
    const std::vector<double> power{0, 0, 20, 99, 30};
    const std::vector<double> speed{0, 2, 20, 30, 40};
    PowerPageEnergy e;
    e.inputs.aveUsed = 10;
    e.maxToGrid = 1e9;
    e.setSoundings(set, power, speed);
    EXPECT_EQ(e.powerKw(), (std::vector<double>{0, 20, 30}));
    EXPECT_EQ(e.hours(), (std::vector<double>{12, 12, 12}));
    EXPECT_EQ(e.times(), (std::vector<skyloom::core::HoursSince1930>{1012, 1024, 1048}));
    e.run();
    EXPECT_DOUBLE_EQ(e.balance().shortfallKWh, 120);
    EXPECT_DOUBLE_EQ(e.balance().hoursRun, 36);

    const std::vector<double> tooShort{0, 1};
    EXPECT_THROW(e.setSoundings(set, tooShort, speed), std::invalid_argument);
}

#include <gtest/gtest.h>

#include "ScriptedPrompter.h"
#include "session/EnergyListener.h"
#include "session/PowerListener.h"
#include "sounding/LevelStatistics.h"

using namespace skyloom;

namespace {

// Two soundings of 12 hours with the same wind at every level: 2 kn (idle) and
// 20 kn, where the curve (10 kn 50 kW, 30 kn 150 kW) gives 100 kW. The generator
// and the soundings are at 0 degC and no pressure is known, so no correction.
struct Fixture {
    Fixture() {
        set.setCount(2);
        const int speeds[] = {0, 20, 200};
        for (int n = 1; n <= 2; ++n) {
            set.key[n] = n;
            set.time[n][0] = 100000 + 12 * n;
            set.time[n][1] = 12;
            set.topWindLevel[n] = 10;
            for (int L = 0; L < sounding::kLevelCount; ++L) set.level[n][L][sounding::Speed] = speeds[n];
        }
        set.resetDerived();
        power::GeneratorRecord g;
        g.name = "Test 150";
        g.cutInSpeed = 5;
        g.points[0] = {10, 50};
        g.points[1] = {30, 150};
        g.maxKW = 150;
        g.maxToGrid = 1000;
        g.cutOut = 60;
        powerListener.setGenerator(g);
        energy.setHeightFeet(262);
        energy.inputs().aveUsed = 60;
        energy.onChanged = [this] { ++changes; };
    }
    void analyse() {
        powerListener.powerPass(set, stats, true);
        energy.energyBalance(set, stats);
    }
    sounding::SoundingSet set;
    sounding::LevelStatistics stats;
    session::PowerListener powerListener;
    session::EnergyListener energy{powerListener};
    int changes = 0;
};

}  // namespace

TEST(EnergyListener, everyAnalysisRunsTheBalanceAtTheHeightOfInterest) {
    Fixture f;
    f.analyse();
    ASSERT_TRUE(f.energy.computed());
    EXPECT_EQ(f.changes, 1);
    const auto& b = f.energy.energy().balance();
    EXPECT_EQ(f.energy.energy().powerKw(), (std::vector<double>{0, 100}));
    EXPECT_DOUBLE_EQ(b.shortfallKWh, 720);
    EXPECT_EQ(b.series.excessRate, (std::vector<double>{0, 40}));
    EXPECT_NEAR(b.totalEPot, 1.2 * 8766 / 24, 1e-9);
    EXPECT_DOUBLE_EQ(f.energy.energy().idle().maxIdleDays, 0.5);
}

TEST(EnergyListener, validInputChangeRerunsAtOnceAndARefusalDoesNot) {
    Fixture f;
    f.analyse();
    test::ScriptedPrompter p;
    p.answer("40").answer("-1");
    EXPECT_EQ(f.energy.edit(power::EnergyField::Usage, p), power::InputOutcome::Changed);
    EXPECT_EQ(f.changes, 2);
    EXPECT_DOUBLE_EQ(f.energy.energy().balance().shortfallKWh, 480);
    EXPECT_EQ(f.energy.edit(power::EnergyField::Usage, p), power::InputOutcome::Refused);
    EXPECT_EQ(f.changes, 2);
    EXPECT_DOUBLE_EQ(f.energy.energy().balance().shortfallKWh, 480);
}

TEST(EnergyListener, withoutAGeneratorNothingIsComputed) {
    Fixture f;
    f.powerListener.setGenerator(std::nullopt);
    f.analyse();
    EXPECT_FALSE(f.energy.computed());
    EXPECT_EQ(f.changes, 0);
    test::ScriptedPrompter p;
    p.answer("5");
    EXPECT_EQ(f.energy.edit(power::EnergyField::Usage, p), power::InputOutcome::Changed);
    EXPECT_EQ(f.changes, 0);
}

// The energy balance over a real station-year: Ezeiza (87576) 2019 from the
// NOAA/ESRL text, with a supplied generator at 80 m.
#include <gtest/gtest.h>

#include "StartedFolder.h"
#include "core/Prompter.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "power/PowerProduction.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

TEST(EnergyBalanceSample, yearlyPotentialIsTheHourWeightedMeanPowerOverAYear) {
    test::StartedFolder folder;
    session::Session& s = *folder.s;
    core::SilentPrompter prompter;
    sounding::ImportOptions options;
    options.mainDb = &s.mainDb();
    const auto imported = sounding::importFile(folder.tmp.dir(),
        test::sample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl").string(), options, prompter, 87576L);
    ASSERT_FALSE(imported.failed);
    ASSERT_GT(imported.added, 250);
    s.reloadStationIndex();

    session::SiteAnalysis analysis(s.mainDb(), s.settings(), prompter, s.stations());
    analysis.setHeightOfInterestFeet(262);
    analysis.setSiteString(analysis.siteEntryText(87576));
    ASSERT_EQ(analysis.reanalyseSite(true), session::AnalysisOutcome::Analysed);
    sounding::SoundingSet& set = analysis.soundings();

    const auto generator = power::GeneratorStore(s.mainDb().db()).findByName("Vestas V82 (1.65 MW)");
    ASSERT_TRUE(generator);
    const auto model = power::PowerModel::fromGenerator(*generator);
    const auto levels = power::computeLevelPower(set, model);
    const auto powers = power::soundingPowerAtFeet(set, model, 262, 1.0 + power::heightEffect(levels, 262));
    const auto speeds = power::soundingSpeedsAtFeet(set, 262);

    power::PowerPageEnergy e;
    e.inputs.aveUsed = 500;
    e.maxToGrid = generator->maxToGrid;
    e.setSoundings(set, powers, speeds, model.curve.speed[0], model.curve.cutOut);
    e.run();

    // Worked out here straight from the set: the mean power weighted by the hours
    // each sounding represents, over an average year of 8766 hours, in MWh.
    double energy = 0, hours = 0;
    int counted = 0;
    for (int n = 1; n <= set.count(); ++n) {
        if (set.key[n] < 0) continue;
        const double p = powers[n] > 0 ? powers[n] : 0.0;
        energy += p * set.time[n][1];
        hours += set.time[n][1];
        ++counted;
    }
    ASSERT_GT(counted, 250);
    ASSERT_GT(energy, 0);
    const double yearly = energy / hours * 8766 / 1000;
    EXPECT_NEAR(e.balance().totalEPot, yearly, yearly * 1e-12);
    EXPECT_EQ(e.energyLines().potential, power::formatEnergy(yearly));
    EXPECT_NEAR(e.balance().totalEUse, 500 * 8.766, 1e-9);
    EXPECT_DOUBLE_EQ(e.balance().hoursRun, hours);
    // A 1.65 MW generator against a 500 kW demand over a real year both buys and sells.
    EXPECT_GT(e.balance().shortE, 0);
    EXPECT_GT(e.balance().dieselPercent, 0);
    EXPECT_LT(e.balance().dieselPercent, 100);
}

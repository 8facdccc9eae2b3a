// The energy balance over a real station-year: Ezeiza (87576) 2019 from the
// NOAA/ESRL text, with a supplied generator at 80 m.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "StartedFolder.h"
#include "core/Prompter.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "power/PowerProduction.h"
#include "session/PowerPage.h"
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
    e.setSoundings(set, powers, speeds);
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

TEST(EnergyBalanceSample, idleStartsAtALevelCountEveryDropIntoTheIdleZoneAndNoGap) {
    test::StartedFolder folder;
    session::Session& s = *folder.s;
    core::SilentPrompter prompter;
    sounding::ImportOptions options;
    options.mainDb = &s.mainDb();
    ASSERT_FALSE(sounding::importFile(folder.tmp.dir(), test::sample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl").string(),
                                      options, prompter, 87576L)
                     .failed);
    s.reloadStationIndex();

    // The whole road of an analysis at 500 feet, a level of its own.
    session::PowerPage page(s);
    page.saveAfterEachRun = false;
    const auto generator = power::GeneratorStore(s.mainDb().db()).first();
    ASSERT_TRUE(generator);
    ASSERT_TRUE(page.chooseGenerator(generator->name, false));
    page.setHeightFeet(500);
    page.site().setSiteString(page.site().siteEntryText(87576));
    ASSERT_EQ(page.site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    const power::IdleStatistics& idle = page.energy().energy().idle();

    // Straight from the soundings: every sounding at or below cut-in that follows
    // one above it starts a spell, whatever the time between them.
    const sounding::SoundingSet& set = page.site().soundings();
    const double cutIn = generator->cutInSpeed;
    int starts = 0, gapsOverADay = 0;
    double hours = 0, run = 0, longest = 0;
    bool wasIdle = false;
    for (int n = 1; n <= set.count(); ++n) {
        const bool idleNow = set.speed(n, 1) / 10.0 <= cutIn;
        if (idleNow && !wasIdle) {
            ++starts;
            run = 0;
        }
        if (idleNow) longest = std::max(longest, run += set.hoursRepresented(n));
        wasIdle = idleNow;
        hours += set.hoursRepresented(n);
        if (n > 1 && set.hrs(n) - set.hrs(n - 1) > 24) ++gapsOverADay;
    }
    ASSERT_GT(gapsOverADay, 0);   // the record has gaps, which start nothing
    ASSERT_GT(starts, 10);
    EXPECT_NEAR(idle.idleStartsPerYear, starts / (hours / 8766), 1e-9);
    EXPECT_NEAR(idle.maxIdleDays, longest / 24, 1e-9);
    // The analysis record takes the same figure.
    EXPECT_DOUBLE_EQ(page.current().result(analysis::ActCF), idle.idleStartsPerYear);

    // Between levels the figure lies between theirs.
    const auto& levels = page.power().results();
    const double at0 = power::idleStatisticsAtFeet(levels, 0).idleStartsPerYear;
    EXPECT_NEAR(power::idleStatisticsAtFeet(levels, 250).idleStartsPerYear, (at0 + idle.idleStartsPerYear) / 2, 1e-9);
    std::printf("Ezeiza 2019, %s (cut-in %.2f kn): idle starts a year %.1f at the ground, %.1f at 262 ft, %.1f at "
                "500 ft; longest idle spell at 500 ft %.1f days\n",
                generator->name.c_str(), cutIn, at0, power::idleStatisticsAtFeet(levels, 262).idleStartsPerYear,
                idle.idleStartsPerYear, idle.maxIdleDays);
}

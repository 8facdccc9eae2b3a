#include <gtest/gtest.h>

#include <SQLiteCpp/Statement.h>

#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "core/StationIndex.h"
#include "core/Text.h"
#include "session/SiteAnalysis.h"

using namespace skyloom;
using namespace skyloom::session;
using test::StationFileBuilder;

namespace {

constexpr long kWmo = 72518;
const core::Days kFileFrom = core::makeDate(2019, 1, 1);
const core::Days kFileTo = core::makeDate(2022, 12, 31);

class RecordingListener : public AnalysisListener {
public:
    GeneratorSettings generatorSettings() const override { return generator; }
    void powerPass(sounding::SoundingSet& set, sounding::LevelStatistics&, bool reloaded) override {
        passes.push_back(reloaded);
        derivedSize = set.derived.size();
    }
    void energyBalance(const sounding::SoundingSet&, const sounding::LevelStatistics&) override { ++balances; }
    void heightOfInterestChanged(double feet) override { heights.push_back(feet); }
    GeneratorSettings generator;
    std::vector<bool> passes;
    std::size_t derivedSize = 0;
    int balances = 0;
    std::vector<double> heights;
};

class CancelNow : public core::Progress {
public:
    void step(std::int64_t, std::int64_t, std::string_view text) override {
        if (!text.empty()) captions.emplace_back(text);
    }
    bool cancelRequested() override { return cancel; }
    std::vector<std::string> captions;
    bool cancel = false;
};

class SiteAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(db.open(prompter));
        db.db().exec("INSERT INTO countries (country, abrev, region) VALUES ('United States', 'US', 'North America')");
        // Twice daily through 2019..2022, with a hole in March 2020.
        auto builder = StationFileBuilder(StationFileBuilder::pathFor(folder.dir(), kWmo), kWmo);
        builder.addTwiceDaily(kFileFrom, core::makeDate(2020, 2, 29));
        builder.addTwiceDaily(core::makeDate(2020, 4, 1), kFileTo, [](int n) { return n % 7 == 0 ? 0 : 30 + n % 90; });
        have = builder.write(250);
        test::registerStation(db, have, "ALBANY", "US", 42.75, -73.8);
        stations.load(db);
        analysis = std::make_unique<SiteAnalysis>(db, settings, prompter, stations);
        analysis->setListener(&listener);
        analysis->setSiteString(analysis->siteEntryText(kWmo));
    }

    std::string dbText(const std::string& sql) {
        SQLite::Statement q(db.db(), sql);
        if (!q.executeStep() || q.getColumn(0).isNull()) return "(null)";
        return q.getColumn(0).getString();
    }
    std::pair<core::Days, core::Days> pickedRange() {
        return {analysis->fromPicker().value(), analysis->toPicker().value()};
    }
    void storeLastRange(const std::string& from, const std::string& to) {
        db.db().exec("UPDATE stations SET lastfromdate = '" + from + "', lasttodate = '" + to + "'");
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    core::MainDatabase db{folder.dir()};
    core::Settings settings{db};
    core::StationIndex stations;
    sounding::HaveDataRow have;
    RecordingListener listener;
    std::unique_ptr<SiteAnalysis> analysis;
};

}  // namespace

TEST_F(SiteAnalysisTest, siteTextsCarryNameAndStationNumber) {
    const std::string& s = analysis->siteString();
    ASSERT_GT(s.size(), 200u);
    EXPECT_EQ(s.substr(200), "42.75, -73.80#72518");
    EXPECT_EQ(wmoOfSiteText(s), kWmo);
    EXPECT_EQ(siteNameOfSiteText(s), "ALBANY, United States North America");
    EXPECT_EQ(core::trim(s.substr(0, 200)),
              "ALBANY, United States North America from 01-Jan-2019 to 31-Dec-2022 ALL 4.0 yrs of 19-22 with "
              "02860 soundings, 085800 data points, 0.3% ignored and 0.0% gaps.");
    EXPECT_EQ(wmoOfSiteText("no key here"), 0);
}

TEST_F(SiteAnalysisTest, firstAnalysisUsesTheWholeRangeAndRecordsIt) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_EQ(analysis->currentWmo(), kWmo);
    EXPECT_EQ(pickedRange(), std::pair(kFileFrom, kFileTo));
    EXPECT_EQ(analysis->fromPicker().minimum(), kFileFrom);
    EXPECT_EQ(analysis->toPicker().maximum(), kFileTo);
    EXPECT_TRUE(analysis->wholeRange());
    EXPECT_EQ(analysis->soundings().count(), 2860);
    EXPECT_EQ(analysis->summaryLine(),
              "ALL 4.0 years of 19-22 using 2,860 soundings with 85,800 data points, 0.3% ignored and 2.1% gaps.");
    EXPECT_EQ(analysis->siteName(), "ALBANY, United States North America");
    EXPECT_EQ(analysis->firstSoundingText(), "Jan 1, 2019");
    EXPECT_EQ(analysis->lastSoundingText(), "Dec 31, 2022");
    EXPECT_EQ(dbText("SELECT lastfromdate FROM stations WHERE wmo = 72518"), "2019-01-01");
    EXPECT_EQ(dbText("SELECT lasttodate FROM stations WHERE wmo = 72518"), "2022-12-31");
    EXPECT_EQ(dbText("SELECT NumSoundings FROM havedata WHERE wmo = 72518"), "2860");
    EXPECT_EQ(dbText("SELECT TimeGaps FROM havedata WHERE wmo = 72518"), "2.1");
    ASSERT_EQ(listener.passes, std::vector<bool>{true});
    EXPECT_EQ(listener.derivedSize, 2861u);
    EXPECT_EQ(listener.balances, 1);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SiteAnalysisTest, sameStationAndDatesDoNotReadTheFileAgain) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_EQ(analysis->fileReads(), 1);
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::EnergyOnly);
    EXPECT_EQ(analysis->fileReads(), 1);
    EXPECT_EQ(listener.balances, 2);

    listener.generator.pointSpeed[9] = 40;      // the last thing compared
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::GeneratorRerun);
    EXPECT_EQ(analysis->fileReads(), 1);
    EXPECT_EQ(listener.passes, (std::vector<bool>{true, false}));
    EXPECT_EQ(listener.derivedSize, 2861u);
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::EnergyOnly);

    analysis->fromPicker().setValue(core::makeDate(2021, 1, 1));
    EXPECT_EQ(analysis->retrieveAndAnalyse(analysis->siteString(), "2021-01-01", "2022-12-31"),
              AnalysisOutcome::Analysed);
    EXPECT_EQ(analysis->fileReads(), 2);
    EXPECT_FALSE(analysis->wholeRange());
    EXPECT_EQ(analysis->summaryLine().substr(0, 17), "2.0 years of 21-2");
    EXPECT_EQ(analysis->siteName(), "ALBANY, United States North America");
}

TEST_F(SiteAnalysisTest, generatorSettingsAreComparedInTheirOrder) {
    GeneratorSettings a, b;
    EXPECT_EQ(firstGeneratorDifference(a, b), -1);
    b.cutOut = 50;
    b.pointKw[0] = 1;
    EXPECT_EQ(firstGeneratorDifference(a, b), 5);
    b.cutIn = 6;
    EXPECT_EQ(firstGeneratorDifference(a, b), 3);
    b = a;
    b.pointSpeed[0] = 7;
    EXPECT_EQ(firstGeneratorDifference(a, b), 7);
    b = a;
    b.pointKw[9] = 7;
    EXPECT_EQ(firstGeneratorDifference(a, b), 24);
    b.hubHeight = 80;
    EXPECT_EQ(firstGeneratorDifference(a, b), 0);
}

TEST_F(SiteAnalysisTest, storedRangePartlyOutsideTheFileIsClipped) {
    storeLastRange("2018-06-01", "2020-01-31");
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_EQ(pickedRange(), std::pair(kFileFrom, core::makeDate(2020, 1, 31)));
    EXPECT_FALSE(analysis->wholeRange());
    storeLastRange("2020-06-01", "2024-01-31");
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_EQ(pickedRange(), std::pair(core::makeDate(2020, 6, 1), kFileTo));
    EXPECT_EQ(dbText("SELECT lasttodate FROM stations"), "2022-12-31");
}

TEST_F(SiteAnalysisTest, wholeRangeRequestIgnoresTheStoredRange) {
    storeLastRange("2020-06-01", "2021-01-31");
    ASSERT_EQ(analysis->reanalyseSite(true), AnalysisOutcome::Analysed);
    EXPECT_EQ(pickedRange(), std::pair(kFileFrom, kFileTo));
    EXPECT_EQ(analysis->summaryLine().substr(0, 4), "ALL ");
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::EnergyOnly);   // the list click: stored range
    EXPECT_EQ(analysis->fromPicker().value(), kFileFrom);                     // it was just rewritten
}

TEST_F(SiteAnalysisTest, noSiteOrUnknownStationDoesNothing) {
    analysis->setSiteString("");
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::NoSite);
    analysis->setSiteString("Somewhere from 01-Jan-2000                     1.00, 2.00#99999");
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::NoSite);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(analysis->fileReads(), 0);
}

TEST_F(SiteAnalysisTest, emptyRangeKeepsThePreviousAnalysis) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    const std::string summary = analysis->summaryLine();
    EXPECT_EQ(analysis->retrieveAndAnalyse(analysis->siteString(), "2020-03-05", "2020-03-20"),
              AnalysisOutcome::NoSoundings);
    EXPECT_EQ(prompter.lastMessage(), "No soundings in that date range");
    EXPECT_EQ(analysis->soundings().count(), 2860);
    EXPECT_EQ(analysis->summaryLine(), summary);
    EXPECT_EQ(analysis->loadedSetKey().from, kFileFrom);
    EXPECT_EQ(dbText("SELECT lastfromdate FROM stations"), "2019-01-01");
}

TEST_F(SiteAnalysisTest, missingDataFileKeepsThePreviousAnalysis) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kWmo);
    std::filesystem::remove(path);
    analysis->invalidateLoadedSet();
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::FileMissing);
    EXPECT_EQ(prompter.lastMessage(), "Unable to Display Data, File '" + path + "' is missing.");
    EXPECT_EQ(analysis->soundings().count(), 2860);
}

TEST_F(SiteAnalysisTest, cancelKeepsThePreviousAnalysis) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    CancelNow progress;
    progress.cancel = true;
    analysis->setProgress(&progress);
    EXPECT_EQ(analysis->retrieveAndAnalyse(analysis->siteString(), "2019-01-01", "2020-12-31"),
              AnalysisOutcome::Cancelled);
    EXPECT_EQ(analysis->soundings().count(), 2860);
    EXPECT_EQ(analysis->loadedSetKey().to, kFileTo);
    ASSERT_FALSE(progress.captions.empty());
    EXPECT_EQ(progress.captions.front(),
              "          ALBANY, United States North America\n          Please wait retrieving data!");
    progress.cancel = false;
    progress.captions.clear();
    EXPECT_EQ(analysis->retrieveAndAnalyse(analysis->siteString(), "2019-01-01", "2019-01-10"),
              AnalysisOutcome::Analysed);
    EXPECT_EQ(progress.captions.back(),
              "          ALBANY, United States North America\n          Opened 20 soundings, analysing now.");
}

TEST_F(SiteAnalysisTest, dateOrderNeedsAWholeDay) {
    analysis->fromPicker().setValue(core::makeDate(2020, 5, 5));
    analysis->toPicker().setValue(core::makeDate(2020, 5, 5));
    EXPECT_FALSE(analysis->checkDateOrder());
    EXPECT_EQ(prompter.lastMessage(), "'To' date must be after 'From' date");
    analysis->toPicker().setValue(core::makeDate(2020, 5, 6));
    EXPECT_TRUE(analysis->checkDateOrder());
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(SiteAnalysisTest, pickerRangesWidenBeforeTheyNarrow) {
    DatePicker from, to;
    setPickerRanges(from, to, core::makeDate(1990, 1, 1), core::makeDate(1991, 1, 2));
    from.setValue(core::makeDate(1990, 6, 1));
    // A station whose whole range lies after the present one.
    setPickerRanges(from, to, core::makeDate(2019, 1, 1), core::makeDate(2022, 12, 31));
    EXPECT_EQ(from.minimum(), core::makeDate(2019, 1, 1));
    EXPECT_EQ(from.maximum(), core::makeDate(2022, 12, 31));
    EXPECT_EQ(to.minimum(), core::makeDate(2019, 1, 1));
    EXPECT_EQ(from.value(), core::makeDate(2019, 1, 1));
    to.setValue(core::makeDate(2030, 1, 1));
    EXPECT_EQ(to.value(), core::makeDate(2022, 12, 31));
    setPickerRanges(from, to, core::makeDate(1990, 1, 1), core::makeDate(1991, 1, 2));
    EXPECT_EQ(to.value(), core::makeDate(1991, 1, 2));
    EXPECT_EQ(from.minimum(), core::makeDate(1990, 1, 1));
}

TEST_F(SiteAnalysisTest, recalledDatesAreClippedWithAMessageForTheFromDate) {
    analysis->dataSites() = {"Other place from x" + std::string(200, ' ') + "1.00, 2.00#11111",
                             "old entry" + std::string(200, ' ') + "42.75, -73.80#72518"};
    analysis->applyAnalysisDates(kWmo, core::makeDate(2017, 3, 4), core::makeDate(2025, 1, 1));
    EXPECT_EQ(prompter.lastMessage(),
              "The ALBANY data file is only from 01-Jan-2019\nThis analysis wanted to use a from date of "
              "04-Mar-2017.  From date is now set to 01-Jan-2019");
    EXPECT_EQ(pickedRange(), std::pair(kFileFrom, kFileTo));
    EXPECT_EQ(dbText("SELECT lastfromdate FROM stations"), "2019-01-01");
    EXPECT_EQ(analysis->currentWmo(), kWmo);
    EXPECT_EQ(analysis->dataSites()[1], analysis->siteString());
    EXPECT_EQ(analysis->dataSites()[0].substr(0, 11), "Other place");

    analysis->applyAnalysisDates(kWmo, core::makeDate(2020, 1, 1), core::makeDate(2020, 12, 31));
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(dbText("SELECT lasttodate FROM stations"), "2020-12-31");
    EXPECT_NE(analysis->dataSites()[1].find(" to 31-Dec-2022     4.0 yrs of 19-22"),
              std::string::npos) << analysis->dataSites()[1];
}

TEST_F(SiteAnalysisTest, heightOfInterestIsAskedStoredAndReusesTheSet) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    prompter.answer("100m").answer("").answer("328.1");
    EXPECT_TRUE(analysis->setHeightOfInterest());
    EXPECT_DOUBLE_EQ(analysis->heightOfInterestFeet(), 328.1);
    EXPECT_EQ(listener.heights, std::vector<double>{328.1});
    EXPECT_EQ(analysis->fileReads(), 1);
    EXPECT_EQ(listener.balances, 2);
    EXPECT_FALSE(analysis->setHeightOfInterest());      // empty answer
    EXPECT_FALSE(analysis->setHeightOfInterest());      // unchanged
    EXPECT_EQ(listener.balances, 2);
    ASSERT_EQ(prompter.prompts.size(), 3u);
    EXPECT_EQ(prompter.prompts[0].substr(prompter.prompts[0].size() - 21), "current units (feet)?");
    EXPECT_EQ(prompter.defaults[1], "328.1");
}

TEST_F(SiteAnalysisTest, ignoringZeroGroundWindsSelectsTheSoundingsAgain) {
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    analysis->setIgnoreZeroGroundWind(true);
    EXPECT_EQ(analysis->fileReads(), 2);
    EXPECT_EQ(analysis->soundings().count(), 2860 - 288);   // every 7th of the 2010 in the second stretch
    for (int n = 1; n <= analysis->soundings().count(); ++n) ASSERT_NE(analysis->soundings().speed(n, 0), 0);
    EXPECT_EQ(settings.get("IgnoreZ"), "-1");
    analysis->setIgnoreZeroGroundWind(false);
    EXPECT_EQ(analysis->soundings().count(), 2860);
}

TEST_F(SiteAnalysisTest, missingSummaryRowIsRebuiltOnceThenReported) {
    db.db().exec("DELETE FROM havedata");
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_TRUE(prompter.messages.empty());                      // the rebuild found the file
    EXPECT_EQ(dbText("SELECT NumSoundings FROM havedata WHERE wmo = 72518"), "2860");

    {   // A file whose summary names another station leaves no row for this one.
        auto file = core::openGuardedDatabase(StationFileBuilder::pathFor(folder.dir(), kWmo), false);
        file.exec("UPDATE HaveData SET wmo = 1");
    }
    db.db().exec("DELETE FROM havedata");
    analysis->invalidateLoadedSet();
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0], "Error, no dhavedata record for 72518");
    EXPECT_EQ(prompter.messages[1], "Error, no allhavedata record for 72518");
}

TEST_F(SiteAnalysisTest, listenerChainHandsEveryStepToEachListener) {
    RecordingListener power, energy;
    energy.generator.hubHeight = 80;
    AnalysisListenerChain chain;
    chain.add(&power);
    chain.add(&energy);
    analysis->setListener(&chain);
    ASSERT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::Analysed);
    EXPECT_EQ(analysis->loadedSetKey().generator.hubHeight, 0);      // no source named: defaults
    chain.setGeneratorSource(&energy);
    EXPECT_EQ(analysis->reanalyseSite(false), AnalysisOutcome::GeneratorRerun);
    EXPECT_EQ(analysis->loadedSetKey().generator.hubHeight, 80);
    EXPECT_EQ(power.passes, (std::vector<bool>{true, false}));
    EXPECT_EQ(energy.passes, (std::vector<bool>{true, false}));
    EXPECT_EQ(power.balances, 2);
    EXPECT_EQ(energy.balances, 2);
    EXPECT_EQ(listener.balances, 0);
}

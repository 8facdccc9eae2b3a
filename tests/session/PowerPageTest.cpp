// The whole road of one analysis: site, generator at the height of interest,
// energy balance, money, saved record; and a stored analysis computed again.
#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "analysis/AnalysisStore.h"
#include "core/Progress.h"
#include "session/PowerPage.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

using namespace skyloom;

class PowerPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::NullProgress progress;
        test::ScriptedPrompter setup;
        ASSERT_TRUE(session::initProgramFolder(tmp.dir(), setup, progress));
        {
            core::MainDatabase db(tmp.dir());
            ASSERT_TRUE(db.open(setup));
            test::StationFileBuilder b(test::StationFileBuilder::pathFor(tmp.dir(), kWmo), kWmo);
            b.addTwiceDaily(core::makeDate(2001, 1, 1), core::makeDate(2002, 12, 31),
                            [](int n) { return 40 + (n * 37) % 160; });
            test::registerStation(db, b.write(), "Testville", "US", 40.0, -100.0);
        }
        s = std::make_unique<session::Session>(tmp.dir(), prompter);
        ASSERT_EQ(s->startUp(), session::Session::StartResult::Ready);
        page = std::make_unique<session::PowerPage>(*s);
        ASSERT_TRUE(page->chooseGenerator("Bergey Excel 10 (8.9 kW)"));
        page->energy().inputs().aveUsed = 2;
        page->site().setSiteString(page->site().siteEntryText(kWmo));
    }
    int rows() { return s->mainDb().db().execAndGet("SELECT count(*) FROM datapoints").getInt(); }

    static constexpr long kWmo = 72999;
    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    std::unique_ptr<session::Session> s;
    std::unique_ptr<session::PowerPage> page;
};

TEST_F(PowerPageTest, everyFinishedRunIsSavedOnceUnderOneId) {
    ASSERT_EQ(page->site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    const long long key = page->lastSavedKey();
    ASSERT_GT(key, 0);
    EXPECT_EQ(rows(), 1);
    analysis::AnalysisStore store(s->mainDb().db());
    auto saved = store.load(key);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->generatorName(), "Bergey Excel 10 (8.9 kW)");
    EXPECT_EQ(saved->wmo, kWmo);
    EXPECT_EQ(saved->fromDate, "2001-01-01");
    EXPECT_EQ(saved->toDate, "2002-12-31");
    EXPECT_GT(saved->result(analysis::TotalEPot), 0);
    EXPECT_GT(saved->result(analysis::PotCF), 0);
    EXPECT_LE(saved->result(analysis::PotCF), 100);
    EXPECT_EQ(saved->seeSoundings, page->site().soundings().count());
    // The same inputs again: the same row, no second one.
    ASSERT_NE(page->site().reanalyseSite(true), session::AnalysisOutcome::NoSoundings);
    EXPECT_EQ(page->lastSavedKey(), key);
    EXPECT_EQ(rows(), 1);   // another usage is another analysis: the changed-input test
}

TEST_F(PowerPageTest, aStoredAnalysisComputesAgainToTheSameFigures) {
    ASSERT_EQ(page->site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    const long long key = page->lastSavedKey();
    analysis::AnalysisStore store(s->mainDb().db());
    auto before = store.load(key);
    ASSERT_TRUE(before);
    // A fresh page (another run of the program) recalls it by its ID.
    session::PowerPage other(*s);
    test::ScriptedPrompter answers;
    answers.answer(std::to_string(key));
    other.analyses().dialogue = &answers;
    ASSERT_TRUE(other.analyses().recallAnalysisByNumber());
    EXPECT_EQ(other.analyses().currentAnalysisId, key);
    EXPECT_EQ(rows(), 1);
    auto after = store.load(key);
    ASSERT_TRUE(after);
    for (int r = 0; r < analysis::kResultCount; ++r)
        EXPECT_DOUBLE_EQ(after->results[static_cast<std::size_t>(r)], before->results[static_cast<std::size_t>(r)]) << r;
    // The height comes back exactly as it was analysed.
    EXPECT_EQ(other.heightFeet(), page->heightFeet());
}

TEST_F(PowerPageTest, theHeightAnalysedIsTheHeightRecalledAfterARestart) {
    // Heights that used to drift through a tenth of a metre: 45 -> 44.9, 121 -> 121.1, 262 -> 262.2.
    for (double feet : {45.0, 121.0, 262.0, 328.1, 262.5}) {
        page->setHeightFeet(feet);
        const auto outcome = page->site().reanalyseSite(true);
        ASSERT_TRUE(outcome == session::AnalysisOutcome::Analysed || outcome == session::AnalysisOutcome::EnergyOnly ||
                    outcome == session::AnalysisOutcome::GeneratorRerun);
        const long long key = page->lastSavedKey();
        const auto before = analysis::AnalysisStore(s->mainDb().db()).load(key);
        ASSERT_TRUE(before);
        session::PowerPage restarted(*s);
        test::ScriptedPrompter answers;
        answers.answer(std::to_string(key));
        restarted.analyses().dialogue = &answers;
        ASSERT_TRUE(restarted.analyses().recallAnalysisByNumber());
        EXPECT_EQ(restarted.heightFeet(), feet);
        EXPECT_EQ(restarted.lastSavedKey(), key);   // the same inputs: the same record, not a new one
        const auto after = analysis::AnalysisStore(s->mainDb().db()).load(key);
        EXPECT_EQ(after->result(analysis::IdlePercent), before->result(analysis::IdlePercent)) << feet;
        EXPECT_EQ(after->result(analysis::PotkW), before->result(analysis::PotkW)) << feet;
    }
}

TEST_F(PowerPageTest, aChangedInputReRunsTheMoneyAndSavesAnotherAnalysis) {
    ASSERT_EQ(page->site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    const long long first = page->lastSavedKey();
    const int reads = page->site().fileReads();
    test::ScriptedPrompter p;
    p.answer("5").answer("-1").answer("5");
    EXPECT_EQ(page->editInput(power::EnergyField::Usage, p), power::InputOutcome::Changed);
    EXPECT_NE(page->lastSavedKey(), first);          // usage is part of the identity: a new row
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(page->site().fileReads(), reads);      // the soundings in memory, not a reload
    const long long second = page->lastSavedKey();
    EXPECT_EQ(page->editInput(power::EnergyField::Usage, p), power::InputOutcome::Refused);
    EXPECT_EQ(page->editInput(power::EnergyField::Usage, p), power::InputOutcome::Unchanged);
    EXPECT_EQ(page->lastSavedKey(), second);
    EXPECT_EQ(rows(), 2);
}

TEST_F(PowerPageTest, withoutAGeneratorNothingIsSaved) {
    page->setGenerator(std::nullopt);
    ASSERT_EQ(page->site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
    EXPECT_EQ(page->lastSavedKey(), 0);
    EXPECT_EQ(rows(), 0);
}

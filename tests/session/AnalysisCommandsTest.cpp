#include "session/AnalysisCommands.h"

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <stdexcept>

#include "AnalysisCommandsFake.h"
#include "core/Progress.h"

using namespace skyloom;
using analysis::AnalysisRecord;
using test::AnalysisCommandsFixture;

namespace {

class RecordingProgress : public core::Progress {
public:
    void step(std::int64_t, std::int64_t, std::string_view text) override {
        if (!text.empty()) texts.emplace_back(text);
    }
    bool cancelRequested() override { return cancelAfter > 0 && texts.size() >= cancelAfter; }
    std::vector<std::string> texts;
    std::size_t cancelAfter = 0;   // steps after which the user cancels; 0: never
};

void link(SQLite::Database& db, long long study, long long key) {
    SQLite::Statement q(db, "INSERT INTO studykeys (studyKey, datapointkey, dateadded) VALUES (?, ?, '2026-01-01')");
    q.bind(1, static_cast<int64_t>(study));
    q.bind(2, static_cast<int64_t>(key));
    q.exec();
}

}  // namespace

TEST_F(AnalysisCommandsFixture, savingTheSameAnalysisTwiceKeepsOneRowAndItsId) {
    const long long key = commands->saveCurrentAnalysis();
    ASSERT_GT(key, 0);
    EXPECT_EQ(commands->currentAnalysisId, key);
    EXPECT_EQ(session->settings().get("LastKey"), std::to_string(key));
    EXPECT_EQ(live.shown, std::vector<long long>{key});

    live.next.generatorCost = 35000;
    live.next.result(analysis::Income) = -10987.6;
    live.next.result(analysis::NetSave) = 555.5;
    live.next.dodate = "2026-03-06 11:00:00";
    EXPECT_EQ(commands->saveCurrentAnalysis(), key);
    EXPECT_EQ(rows(), 1);
    auto back = store().load(key).value();
    EXPECT_EQ(back.dodate, "2026-03-06 11:00:00");
    EXPECT_DOUBLE_EQ(back.generatorCost, 35000);
    EXPECT_DOUBLE_EQ(back.result(analysis::Income), -11000);
    EXPECT_DOUBLE_EQ(back.result(analysis::NetSave), 560);
    EXPECT_TRUE(live.recomputed.empty());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(AnalysisCommandsFixture, nothingIsSavedWithoutSoundings) {
    live.next.seeSoundings = 0;
    EXPECT_EQ(commands->saveCurrentAnalysis(), 0);
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(AnalysisCommandsFixture, aNewRowStoresSpeedsInMetresPerSecondAndResetsTheTrigger) {
    live.next.units = "knots";
    live.next.aveWind = 10;
    live.next.meanWind = 5;
    commands->printTrigger = 13;
    const long long key = commands->saveCurrentAnalysis();
    auto back = store().load(key).value();
    EXPECT_DOUBLE_EQ(back.aveWind, 5.144);
    EXPECT_DOUBLE_EQ(back.meanWind, 2.572);
    EXPECT_EQ(back.print, 13);
    EXPECT_EQ(back.deleted, "0");
    EXPECT_EQ(back.calcVer, "24");
    EXPECT_EQ(commands->printTrigger, 0);
}

TEST_F(AnalysisCommandsFixture, duplicatesMergeOnSaveAndTheHelpFileAnalysisSurvives) {
    const long long a = store().insert(live.next);
    const long long b = store().insert(live.next);
    const long long c = store().insert(live.next);
    link(db(), 1, a);
    link(db(), 1, b);
    link(db(), 2, c);
    session->helpKey = b;
    commands->shownAnalysisId = b;   // shown already: no recall
    EXPECT_EQ(commands->saveCurrentAnalysis(), b);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studykeys WHERE datapointkey = " + std::to_string(b)).getInt(), 3);

    // Without the help-file analysis among them, the last row is left.
    session->helpKey = 0;
    const long long d = store().insert(live.next);
    const long long e = store().insert(live.next);
    commands->shownAnalysisId = e;
    EXPECT_EQ(commands->saveCurrentAnalysis(), e);
    EXPECT_FALSE(store().exists(b));
    EXPECT_FALSE(store().exists(d));
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studykeys WHERE datapointkey = " + std::to_string(e)).getInt(), 3);
}

TEST_F(AnalysisCommandsFixture, aCommentIsMergedIntoAnAnalysisComputedAgain) {
    const long long key = store().insert(live.next);
    store().setComment(key, "Good site");
    const long long other = store().insert(test::sampleRecord(1));
    commands->shownAnalysisId = other;
    live.comment = " check tower ";
    EXPECT_EQ(commands->saveCurrentAnalysis(), key);
    EXPECT_EQ(store().load(key)->comment, "Good site.  check tower");
    // Found again under other inputs, the analysis is recalled from its own inputs once.
    EXPECT_EQ(live.recomputed, std::vector<long long>{key});
    EXPECT_EQ(commands->recallAnalysisId, key);
    EXPECT_EQ(commands->shownAnalysisId, key);

    // The same comment in other letter case changes nothing.
    commands->shownAnalysisId = other;
    live.comment = "CHECK TOWER";
    commands->saveCurrentAnalysis();
    EXPECT_EQ(store().load(key)->comment, "Good site.  check tower");

    // A stored comment ending in a full stop gets only the two blanks.
    commands->shownAnalysisId = other;
    live.comment = "Road access poor";
    commands->saveCurrentAnalysis();
    EXPECT_EQ(store().load(key)->comment, "Good site.  check tower.  Road access poor");
    EXPECT_EQ(live.recomputed.size(), 1u);
}

TEST_F(AnalysisCommandsFixture, anOutputCommandSaveDoesNotRecall) {
    const long long key = store().insert(live.next);
    commands->shownAnalysisId = 0;
    commands->printTrigger = 5;
    EXPECT_EQ(commands->saveCurrentAnalysis(), key);
    EXPECT_TRUE(live.recomputed.empty());
    EXPECT_EQ(store().load(key)->print, 5);
}

TEST_F(AnalysisCommandsFixture, aRecallFromTheGridReportsOnlyTheChangedResult) {
    const long long key = store().insert(live.next);
    live.recalculation = [](AnalysisRecord& r) { r.result(analysis::TotalEPot) = 130.4; };
    EXPECT_TRUE(commands->recallFromGrid(key));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0],
              "Errors found: Analysis ID " + std::to_string(key) +
                  " was last calculated on 3/5/2026 5:13:48 PM and a current recalculation of the analysis has "
                  "resulted in the following changes to the results:\n\n"
                  "     Wind Generator Potential MWhr/yr should be 130.\n"
                  "                        but in ID 000001 it was 123.\n\n"
                  "I am updating the results of Analysis ID 1 to the current values.  If you have used the results "
                  "of this ID in any external document please update the document accordingly.");
    EXPECT_DOUBLE_EQ(store().load(key)->result(analysis::TotalEPot), 130);
    EXPECT_FALSE(commands->recallingFromGrid);

    // Computed again with the same results: nothing to report.
    EXPECT_TRUE(commands->recallFromGrid(key));
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(session->settings().get("LastKey"), std::to_string(key));
}

TEST_F(AnalysisCommandsFixture, aDeletedAnalysisComputedAgainIsListedUnderItsOldId) {
    const long long key = commands->saveCurrentAnalysis();
    store().insert(test::sampleRecord(1));
    ASSERT_TRUE(store().markDeleted(key));
    EXPECT_FALSE(store().isPresent(key));
    EXPECT_EQ(commands->saveCurrentAnalysis(), key);
    EXPECT_TRUE(store().isPresent(key));
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM anals WHERE deleted <> 'x'").getInt(), 2);
}

TEST_F(AnalysisCommandsFixture, recallByNumberAsksAgainUntilFoundOrNotAboveZero) {
    const long long key = store().insert(live.next);
    prompter.answer("99").answer(std::to_string(key));
    EXPECT_TRUE(commands->recallAnalysisByNumber());
    EXPECT_EQ(prompter.prompts,
              std::vector<std::string>(2, "What Analysis Number would you like to recall?"));
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"The is no analysis with an ID of 99"});
    EXPECT_EQ(live.recomputed, std::vector<long long>{key});
    EXPECT_EQ(session->settings().get("LastKey"), std::to_string(key));

    prompter.answer("0");
    EXPECT_FALSE(commands->recallAnalysisByNumber());
    prompter.answer("-3");
    EXPECT_FALSE(commands->recallAnalysisByNumber());
    prompter.cancel();
    EXPECT_FALSE(commands->recallAnalysisByNumber());
    // A deleted analysis is not among the present rows.
    store().markDeleted(key);
    // Letters are no ID: the user hears what the box takes and is asked again.
    prompter.answer(std::to_string(key)).answer("abc").cancel();
    EXPECT_FALSE(commands->recallAnalysisByNumber());
    ASSERT_GE(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[prompter.messages.size() - 2], "The is no analysis with an ID of " + std::to_string(key));
    EXPECT_EQ(prompter.lastMessage(), "Please enter a whole number from 1 to 999,999,999.");
    EXPECT_EQ(live.recomputed.size(), 1u);
    EXPECT_TRUE(prompter.allAnswersUsed());
}

TEST_F(AnalysisCommandsFixture, aRecalledAnalysisRecreatesItsMissingGenerator) {
    live.next.generator = test::sampleGenerator("Gone 10kW", 4321);
    const long long key = store().insert(live.next);
    commands->recallAnalysisId = key;
    EXPECT_TRUE(commands->recallAnalysis());
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"I am unable to find a Power Curve in the current list called 'Gone 10kW'.\n\n"
                                       "I am recreating the power curve from the information in this analysis and I "
                                       "am adding it to the current list."});
    EXPECT_EQ(store().generatorBlock("Gone 10kW").value(), live.next.generator);
    EXPECT_EQ(live.generatorReloads, 1);
    // Listed now: a second recall says nothing.
    EXPECT_TRUE(commands->recallAnalysis());
    EXPECT_EQ(prompter.messages.size(), 1u);

    commands->recallAnalysisId = 555;
    EXPECT_FALSE(commands->recallAnalysis());
    EXPECT_EQ(prompter.lastMessage(), "Analysis 555 is missing.");
}

TEST_F(AnalysisCommandsFixture, recalculationIsOfferedAtStartUntilAccepted) {
    // A new database has no analyses: the level is stored without a question.
    EXPECT_EQ(session->settings().get("ReCalcLevel"), "7");
    EXPECT_TRUE(prompter.questions.empty());

    AnalysisRecord b = test::sampleRecord(2);
    b.siteName = "BRAVO";
    AnalysisRecord a = test::sampleRecord(1);
    a.siteName = "ALPHA";
    const long long kb = store().insert(b);
    const long long ka = store().insert(a);
    session->settings().set("ReCalcLevel", "6");

    // No: the level stays, so the question comes again at the next start.
    prompter.no();
    start();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0],
              "We are sorry but a program revision has been made that necessitates the recalculation of all your 2 "
              "analysis.\n\nThis means that output values, which you have used  or taken from this program, may be "
              "incorrect.\n\nWould you like me to recalculate these analysis now? (If you say no, only new analysis "
              "will have correct output data, you will be given an opportunity to do this recalcuation every time you "
              "start the program until you do it.");
    EXPECT_EQ(session->settings().get("ReCalcLevel"), "6");
    EXPECT_TRUE(live.recomputed.empty());

    prompter.yes();
    start();
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(live.recomputed, (std::vector<long long>{ka, kb}));
    EXPECT_EQ(session->settings().get("ReCalcLevel"), "7");
    EXPECT_FALSE(commands->recalculating);
    EXPECT_EQ(rows(), 2);

    // At level 7 nothing is asked (the scripted prompter has no answer queued).
    start();
    EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST_F(AnalysisCommandsFixture, recalculationShowsItsProgressAndReportsNothing) {
    const long long k1 = store().insert(test::sampleRecord(1));
    const long long k2 = store().insert(test::sampleRecord(2));
    live.recalculation = [](AnalysisRecord& r) { r.result(analysis::PotkW) = 99; };
    RecordingProgress progress;
    prompter.yes();
    EXPECT_TRUE(commands->recalculateAllAnalyses(&progress).levelStored);
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Recalculating Analysis ID " + std::to_string(k1) + " => 1 of 2",
                                                        "Recalculating Analysis ID " + std::to_string(k2) + " => 2 of 2"}));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_DOUBLE_EQ(store().load(k2)->result(analysis::PotkW), 99);
}

TEST_F(AnalysisCommandsFixture, aSaveThatFailsLeavesTheStoredAnalysisAsItWas) {
    const long long key = store().insert(live.next);
    store().setComment(key, "Good site");
    commands->shownAnalysisId = 0;
    live.comment = "new remark";
    live.next.generatorCost = 77777;
    live.recalculation = [](AnalysisRecord&) { throw std::runtime_error("station data file unreadable"); };
    EXPECT_THROW(commands->saveCurrentAnalysis(), std::runtime_error);
    auto back = store().load(key).value();
    EXPECT_DOUBLE_EQ(back.generatorCost, 20000);
    EXPECT_EQ(back.comment, "Good site");
    // The connection is usable again and nothing is left open.
    EXPECT_TRUE(db().getHandle() != nullptr);
    live.recalculation = nullptr;
    commands->shownAnalysisId = key;
    EXPECT_EQ(commands->saveCurrentAnalysis(), key);
    EXPECT_DOUBLE_EQ(store().load(key)->generatorCost, 77777);
    EXPECT_EQ(sqlite3_get_autocommit(db().getHandle()), 1);
}

TEST_F(AnalysisCommandsFixture, aCancelledRecalculationDoesNotStoreTheLevel) {
    RecordingProgress progress;
    progress.cancelAfter = 1;
    session->settings().set("ReCalcLevel", "6");
    store().insert(test::sampleRecord(1));
    store().insert(test::sampleRecord(2));
    prompter.yes();
    EXPECT_TRUE(commands->recalculateAllAnalyses(&progress).cancelled);
    EXPECT_EQ(live.recomputed.size(), 1u);
    EXPECT_EQ(session->settings().get("ReCalcLevel"), "6");
    EXPECT_FALSE(commands->recalculating);
}

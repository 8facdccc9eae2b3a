#include "session/StudyCommands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <SQLiteCpp/Statement.h>

#include "AnalysisCommandsFake.h"
#include "core/Text.h"

using namespace skyloom;
using session::StudyCommands;

namespace {

constexpr const char* kNewStudyPrompt = "What Name would you like to give this new study?";
constexpr const char* kSaveAsPrompt =
    "What Name would you like to Save the current study as (You are making a copy of the Current Study with this "
    "new name)?";
constexpr const char* kBadName = "Bad name, please do not include / ? < > \\ : * | or double quote";

class StudyCommandsFixture : public test::AnalysisCommandsFixture {
protected:
    void SetUp() override {
        AnalysisCommandsFixture::SetUp();
        studies = std::make_unique<StudyCommands>(*session, *commands);
        for (int i = 1; i <= 4; ++i) store().insert(test::sampleRecord(100 + i));
        studies->showStudy();
    }
    std::vector<long long> gridKeys() {
        std::vector<long long> keys;
        for (const auto& r : studies->gridRows) keys.push_back(std::get<long long>(r[0]));
        return keys;
    }
    long long newStudy(const std::string& name) {
        prompter.answer(name);
        EXPECT_TRUE(studies->beginNewStudy());
        return studies->currentStudyKey;
    }
    // Makes each analysis current in turn and adds it to the current study.
    void addToStudy(std::initializer_list<long long> keys) {
        for (long long k : keys) {
            commands->currentAnalysisId = k;
            studies->addAnalysisToCurrentStudy();
        }
    }

    std::unique_ptr<StudyCommands> studies;
};

}  // namespace

TEST_F(StudyCommandsFixture, studyZeroShowsEveryPresentAnalysisNewestFirst) {
    EXPECT_EQ(studies->studyLab, " List of all previous Analysis");
    EXPECT_EQ(studies->studyNumLab, " This is Study 0");
    EXPECT_EQ(studies->studyFilter, "");
    EXPECT_EQ(gridKeys(), (std::vector<long long>{4, 3, 2, 1}));
    EXPECT_EQ(studies->ninLab, "4 in list");
    EXPECT_FALSE(studies->indicator.addButtonVisible);
    EXPECT_EQ(studies->indicator.csLab, "");
    store().markDeleted(3);
    studies->refreshStudyGrid();
    EXPECT_EQ(gridKeys(), (std::vector<long long>{4, 2, 1}));
}

TEST_F(StudyCommandsFixture, aNewStudyStartsEmptyAndTakesTheCurrentAnalysis) {
    prompter.answer("   ");
    EXPECT_FALSE(studies->beginNewStudy());
    prompter.answer("A/B");
    EXPECT_FALSE(studies->beginNewStudy());
    EXPECT_EQ(prompter.lastMessage(), kBadName);
    // A line break or a tab inside the name would split the lines of the CSV export.
    for (const char* name : {"North\nCoast", "North\tCoast", "Bell\x07"}) {
        prompter.answer(name);
        EXPECT_FALSE(studies->beginNewStudy()) << name;
        EXPECT_EQ(prompter.lastMessage(), kBadName);
    }
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studies").getInt(), 0);

    const long long study = newStudy("Coast");
    EXPECT_EQ(prompter.prompts, std::vector<std::string>(6, kNewStudyPrompt));
    EXPECT_EQ(studies->studyFilter, " and (key = 0)");
    EXPECT_TRUE(studies->gridRows.empty());
    EXPECT_EQ(studies->ninLab, "0 in list");
    EXPECT_EQ(studies->studyLab, " Coast");
    EXPECT_EQ(studies->studyNumLab, " This is Study " + std::to_string(study));
    EXPECT_EQ(session->settings().get("LastStudy"), std::to_string(study));
    EXPECT_TRUE(studies->indicator.addButtonVisible);
    EXPECT_EQ(studies->indicator.csLab, "Current Study is:");
    EXPECT_EQ(studies->indicator.curStLab, " Coast");
    ASSERT_EQ(studies->studyList.size(), 2u);
    EXPECT_EQ(studies->studyList[0], "Study #0 = ALL previous analysis");
    EXPECT_EQ(studies->studyList[1].rfind("Study #1 = Coast, created on ", 0), 0u) << studies->studyList[1];
    EXPECT_TRUE(core::endsWith(studies->studyList[1], " with 0 analysis.")) << studies->studyList[1];

    prompter.answer("COAST");
    EXPECT_FALSE(studies->beginNewStudy());
    EXPECT_EQ(prompter.lastMessage(), "A study by than exists already, try a different name.");

    commands->currentAnalysisId = 3;
    studies->addAnalysisToCurrentStudy(false);   // no soundings used: nothing happens
    EXPECT_TRUE(studies->gridRows.empty());
    studies->addAnalysisToCurrentStudy();
    EXPECT_EQ(gridKeys(), std::vector<long long>{3});
    EXPECT_EQ(studies->studyFilter, " and ( key = 3)");
    EXPECT_FALSE(studies->indicator.addButtonVisible);
    EXPECT_EQ(studies->indicator.csLab, "This analysis is already in the Current Study:");

    // Study 0 takes nothing.
    studies->showAllStudies();
    studies->addAnalysisToCurrentStudy();
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studykeys").getInt(), 1);
}

TEST_F(StudyCommandsFixture, renamingToTheSameNameInOtherCaseChangesNothing) {
    const long long study = newStudy("Coast");
    db().exec("UPDATE studies SET dateupdated = '2000-01-01 00:00:00'");
    prompter.answer("COAST");
    EXPECT_FALSE(studies->renameStudy());
    EXPECT_EQ(prompter.defaults.back(), "Coast");
    EXPECT_EQ(prompter.prompts.back(), "What Name would you like to give this current study?");
    EXPECT_EQ(db().execAndGet("SELECT StudyName || dateupdated FROM studies").getString(), "Coast2000-01-01 00:00:00");

    prompter.answer("North|South");
    EXPECT_FALSE(studies->renameStudy());
    EXPECT_EQ(prompter.lastMessage(), kBadName);

    prompter.answer("North coast");
    EXPECT_TRUE(studies->renameStudy());
    EXPECT_EQ(db().execAndGet("SELECT StudyName FROM studies WHERE studyKey = " + std::to_string(study)).getString(),
              "North coast");
    EXPECT_NE(db().execAndGet("SELECT dateupdated FROM studies").getString(), "2000-01-01 00:00:00");
    EXPECT_EQ(studies->studyLab, " North coast");
    EXPECT_NE(studies->studyList[1].find("= North coast,"), std::string::npos);

    // Study 0 is not renamed.
    studies->showAllStudies();
    EXPECT_FALSE(studies->renameStudy());
}

TEST_F(StudyCommandsFixture, saveAsCopiesTheMembersWithNewDates) {
    const long long first = newStudy("Coast");
    studies->store().now = [] { return std::string("2026-04-01 08:00:00"); };
    addToStudy({1, 2, 4});
    studies->store().now = [] { return std::string("2026-05-02 09:00:00"); };
    prompter.answer("coast").answer("Coast copy");
    EXPECT_TRUE(studies->saveStudyAs());
    EXPECT_EQ(prompter.prompts.back(), kSaveAsPrompt);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"Please give it a different name or Cancel"});
    const long long copy = studies->currentStudyKey;
    EXPECT_NE(copy, first);
    EXPECT_EQ(studies->studyLab, " Coast copy");
    EXPECT_EQ(gridKeys(), (std::vector<long long>{4, 2, 1}));
    SQLite::Statement q(db(), "SELECT datapointkey, dateadded FROM studykeys WHERE studyKey = ? ORDER BY id");
    q.bind(1, static_cast<int64_t>(copy));
    std::vector<std::string> members;
    while (q.executeStep()) members.push_back(q.getColumn(0).getString() + " " + q.getColumn(1).getString());
    EXPECT_EQ(members, (std::vector<std::string>{"1 2026-05-02 09:00:00", "2 2026-05-02 09:00:00",
                                                 "4 2026-05-02 09:00:00"}));
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studykeys WHERE studyKey = " + std::to_string(first) +
                              " AND dateadded = '2026-04-01 08:00:00'").getInt(), 3);
    prompter.cancel();
    EXPECT_FALSE(studies->saveStudyAs());
}

TEST_F(StudyCommandsFixture, deletingAStudyAsksAndStudyZeroIsRefused) {
    studies->deleteStudy();
    EXPECT_EQ(prompter.lastMessage(), "This study can not be deleted.");
    newStudy("Coast");
    addToStudy({2});
    prompter.no();
    EXPECT_FALSE(studies->deleteStudy());
    EXPECT_EQ(prompter.questions.back(), "Are you sure you want to delete the Study 'Coast'?");
    prompter.yes();
    EXPECT_TRUE(studies->deleteStudy());
    EXPECT_EQ(studies->currentStudyKey, 0);
    EXPECT_EQ(studies->studyLab, " List of all previous Analysis");
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM studykeys").getInt(), 0);
    EXPECT_EQ(studies->studyList, std::vector<std::string>{"Study #0 = ALL previous analysis"});
    EXPECT_EQ(session->settings().get("LastStudy"), "0");
}

TEST_F(StudyCommandsFixture, pickingALineShowsThatStudy) {
    const long long coast = newStudy("Coast");
    addToStudy({1});
    newStudy("Hills");
    studies->fillStudyList();
    ASSERT_EQ(studies->studyList.size(), 3u);
    EXPECT_TRUE(studies->pickStudy(studies->studyList[1]));
    EXPECT_EQ(studies->currentStudyKey, coast);
    EXPECT_EQ(gridKeys(), std::vector<long long>{1});
    EXPECT_TRUE(studies->pickStudy(studies->studyList[0]));
    EXPECT_EQ(studies->currentStudyKey, 0);
    EXPECT_EQ(gridKeys().size(), 4u);
}

TEST_F(StudyCommandsFixture, typingInTheGrid) {
    session->helpKey = 1;
    EXPECT_EQ(studies->typeInGrid(1, 1, 'a'), StudyCommands::Typing::Refused);
    EXPECT_EQ(prompter.lastMessage(), "You are not allowed to delete this row or change its comment.");
    EXPECT_EQ(studies->typeInGrid(2, 1, 'x'), StudyCommands::Typing::Accepted);   // a comment letter
    EXPECT_EQ(studies->typeInGrid(2, analysis::kDeleteColumn, 'k'), StudyCommands::Typing::Accepted);

    const long long study = newStudy("Coast");
    addToStudy({2, 3});
    // In a study the analysis only leaves the study.
    EXPECT_EQ(studies->typeInGrid(3, analysis::kDeleteColumn, 'q'), StudyCommands::Typing::LeftStudy);
    EXPECT_EQ(gridKeys(), std::vector<long long>{2});
    EXPECT_TRUE(store().isPresent(3));
    EXPECT_EQ(studies->typeInGrid(3, analysis::kDeleteColumn, 'x'), StudyCommands::Typing::NotFound);
    EXPECT_EQ(prompter.lastMessage(), "Error 342, No record");

    // In study 0 an analysis used by a study is kept; others are deleted.
    studies->showAllStudies();
    EXPECT_EQ(studies->typeInGrid(2, analysis::kDeleteColumn, 'x'), StudyCommands::Typing::Refused);
    EXPECT_EQ(prompter.lastMessage(), "Can't delete this row as it is used in Study #" + std::to_string(study));
    EXPECT_EQ(studies->typeInGrid(4, analysis::kDeleteColumn, 'x'), StudyCommands::Typing::Deleted);
    EXPECT_FALSE(store().exists(4));
    EXPECT_EQ(gridKeys(), (std::vector<long long>{3, 2, 1}));
    EXPECT_EQ(studies->typeInGrid(77, analysis::kDeleteColumn, 'x'), StudyCommands::Typing::NotFound);
    EXPECT_EQ(prompter.lastMessage(), "Cant find 77");
}

TEST_F(StudyCommandsFixture, headingClicksSortTheGrid) {
    db().exec("UPDATE datapoints SET SiteName = CASE key WHEN 1 THEN 'C' WHEN 2 THEN 'A' WHEN 3 THEN 'D' ELSE 'B' END");
    EXPECT_TRUE(studies->sortByColumn(2));
    EXPECT_EQ(gridKeys(), (std::vector<long long>{2, 4, 1, 3}));
    EXPECT_TRUE(studies->sortByColumn(2));
    EXPECT_EQ(gridKeys(), (std::vector<long long>{3, 1, 4, 2}));
    EXPECT_FALSE(studies->sortByColumn(25));
    EXPECT_EQ(gridKeys(), (std::vector<long long>{3, 1, 4, 2}));
    // A refresh lists newest first again.
    studies->refreshStudyGrid();
    EXPECT_EQ(gridKeys(), (std::vector<long long>{4, 3, 2, 1}));
    EXPECT_EQ(studies->gridSort.mark(2), "SRT^");
}

TEST_F(StudyCommandsFixture, orphanMembershipsGoWhenTheirAnalysisIsGone) {
    newStudy("Coast");
    addToStudy({1, 2});
    store().remove(1);
    EXPECT_EQ(studies->removeOrphans(), 1);
    EXPECT_EQ(db().execAndGet("SELECT datapointkey FROM studykeys").getInt(), 2);
}

TEST_F(StudyCommandsFixture, exportTellsWhereTheFileIs) {
    newStudy("Coast");
    addToStudy({2});
    studies->exportCsv();
    EXPECT_EQ(prompter.lastMessage(),
              "An Excel .csv file by the name of 'Analysis_Coast.csv' in the directory " + folder.dir());
    const std::string text = test::readFile(folder / "Analysis_Coast.csv");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST_F(StudyCommandsFixture, aStudyOfSitesAboveASpeed) {
    live.sites = {"Site A", "Site B", "Site C", "Site D"};
    live.windOf = {{"Site A", 7.5}, {"Site B", 4}, {"Site D", 9.25}};   // C has no data
    prompter.yes().answer("40").answer("6.5").yes().yes().no();
    EXPECT_EQ(studies->studySitesAbove(), 2);
    EXPECT_EQ(prompter.questions[0],
              "This function may take a little time, before you do this, make sure you have the wind generator "
              "selected that you wish to use and the appropriate variables for everything but height of "
              "interest.\n\nShall I continue?");
    EXPECT_EQ(prompter.prompts[0], "What height are you interested in? (meters)");
    EXPECT_EQ(prompter.defaults[0], "30");
    EXPECT_EQ(prompter.prompts[1],
              "What average wind speed do you want to evaluate? Enter 0 to include all sites in study. (m/sec)");
    EXPECT_EQ(prompter.questions[1],
              "I am about to calculate the percentage of your purchased sites that have wind speeds above 6.5 m/sec "
              "at 40 meters above the ground.  Is this correct?");
    EXPECT_EQ(prompter.questions[2], "Would you like to have a study created of this search?");
    EXPECT_EQ(prompter.questions[3],
              "Would you like to pause between each site to view it and have the option to cancel the rest?");
    EXPECT_EQ(prompter.lastMessage(),
              "Of your 4 purchased sites, 2 have average windspeeds at 40 meters that are above 6.5 m/sec, or 50.0%");
    EXPECT_EQ(live.analysed.size(), 4u);
    EXPECT_DOUBLE_EQ(live.analysed[0].second, 40);
    EXPECT_EQ(studies->studyLab, " Sites of 4 having average wind speeds above 6.5 m~sec at 40 meters");
    EXPECT_EQ(studies->gridRows.size(), 2u);
    EXPECT_TRUE(prompter.allAnswersUsed());

    // Again with the same name: overwriting makes the old study current; pausing lets the user stop.
    const long long study = studies->currentStudyKey;
    live.analysed.clear();
    prompter.yes().answer("40").answer("6.5").yes().yes().yes().yes().no().yes();
    EXPECT_EQ(studies->studySitesAbove(), 1);
    EXPECT_EQ(studies->currentStudyKey, study);
    EXPECT_EQ(prompter.questions[7], "This study already exists, would you like to overwrite it");
    EXPECT_EQ(prompter.questions[9],
              "So far, I found 1 reviewed sites above your speed.  There are a total of 4 sites to review. Cancel "
              "the rest?");
    EXPECT_EQ(live.analysed.size(), 2u);
    EXPECT_EQ(prompter.lastMessage(),
              "Of your 4 purchased sites, 1 have average windspeeds at 40 meters that are above 6.5 m/sec, or 25.0%");
    EXPECT_TRUE(prompter.allAnswersUsed());

    // No at the first question ends at once.
    prompter.no();
    EXPECT_EQ(studies->studySitesAbove(), -1);
}

TEST(StudyName, slashesBecomeTildesAndCommasGo) {
    EXPECT_EQ(session::sitesAboveStudyName(1200, "mean", "5,5", "m/sec", "100", "feet"),
              "Sites of 1200 having mean wind speeds above 55 m~sec at 100 feet");
}

TEST_F(StudyCommandsFixture, aSavedAnalysisUpdatesTheGridAndTheIndicator) {
    newStudy("Coast");
    live.next = test::sampleRecord(555);
    const long long key = commands->saveCurrentAnalysis();
    EXPECT_EQ(key, 5);
    EXPECT_TRUE(studies->indicator.addButtonVisible);
    EXPECT_EQ(studies->indicator.csLab, "Current Study is:");
    studies->addAnalysisToCurrentStudy();
    EXPECT_EQ(gridKeys(), std::vector<long long>{5});
    EXPECT_EQ(studies->gridRow, 0);
    EXPECT_EQ(studies->indicator.csLab, "This analysis is already in the Current Study:");
    EXPECT_EQ(db().execAndGet("SELECT instudy FROM datapoints WHERE key = 5").getInt(), -1);

    // Study 0 is positioned on the current analysis; leaving the study clears the flag.
    studies->showAllStudies();
    commands->currentAnalysisId = 2;
    studies->refreshStudyGrid();
    EXPECT_EQ(studies->gridRow, 3);
    studies->pickStudy("Study #1 = Coast, created on ...");
    EXPECT_EQ(studies->typeInGrid(5, analysis::kDeleteColumn, 'x'), StudyCommands::Typing::LeftStudy);
    EXPECT_EQ(db().execAndGet("SELECT instudy FROM datapoints WHERE key = 5").getInt(), 0);

    // A row picked in the grid is computed again and reports nothing when unchanged.
    studies->showAllStudies();
    EXPECT_TRUE(commands->recallFromGrid(3));
    EXPECT_EQ(live.recomputed, std::vector<long long>{3});
    EXPECT_EQ(commands->currentAnalysisId, 3);
    EXPECT_EQ(studies->gridRow, 2);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(StudyCommandsFixture, startUpRestoresTheLastStudyAndAnalysis) {
    const long long study = newStudy("Coast");
    addToStudy({2});
    session->lastStudy = study;
    session->lastKey = 2;
    commands->recallAnalysisId = 9;
    StudyCommands again(*session, *commands);
    again.restoreFromSettings();
    EXPECT_EQ(again.currentStudyKey, study);
    EXPECT_EQ(commands->currentAnalysisId, 2);
    EXPECT_EQ(commands->recallAnalysisId, 0);
    EXPECT_EQ(again.studyLab, " Coast");
    EXPECT_EQ(again.studyList.size(), 2u);
    EXPECT_EQ(again.indicator.csLab, "This analysis is already in the Current Study:");

    // A study deleted meanwhile shows as study 0.
    session->lastStudy = 42;
    again.restoreFromSettings();
    EXPECT_EQ(again.currentStudyKey, 0);
    EXPECT_EQ(again.studyLab, " List of all previous Analysis");
    EXPECT_EQ(session->settings().get("LastStudy"), "0");
}

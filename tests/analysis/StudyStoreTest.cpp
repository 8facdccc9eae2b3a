#include "analysis/StudyStore.h"

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "analysis/AnalysisStore.h"
#include "core/MainDatabase.h"
#include "ScriptedPrompter.h"
#include "SampleRecords.h"
#include "TempFolder.h"

using namespace skyloom;
using analysis::StudyStore;

namespace {

class StudyStoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(main.open(prompter));
        analyses = std::make_unique<analysis::AnalysisStore>(main.db());
        studies = std::make_unique<StudyStore>(main.db());
        studies->now = [this] { return "2026-03-05 10:00:" + std::to_string(10 + tick++); };
    }
    // Analyses 1..n, one per station.
    void addAnalyses(int n) {
        for (int i = 1; i <= n; ++i) analyses->insert(test::sampleRecord(1000 + i));
    }
    std::vector<long long> keysOf(const std::vector<analysis::AnalsRow>& rows) {
        std::vector<long long> keys;
        for (const auto& r : rows) keys.push_back(std::get<long long>(r[0]));
        return keys;
    }
    std::vector<std::string> dateAdded(long long study) {
        SQLite::Statement q(main.db(), "SELECT dateadded FROM studykeys WHERE studyKey = ? ORDER BY id");
        q.bind(1, static_cast<int64_t>(study));
        std::vector<std::string> out;
        while (q.executeStep()) out.push_back(q.getColumn(0).getString());
        return out;
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    core::MainDatabase main{folder.dir()};
    std::unique_ptr<analysis::AnalysisStore> analyses;
    std::unique_ptr<StudyStore> studies;
    int tick = 0;
};

}  // namespace

TEST(StudyFilter, runsOfConsecutiveKeysBecomeRanges) {
    // A run with a repeated key and a study without members: aStudyListsExactlyItsMembers.
    EXPECT_EQ(analysis::studyFilterFromKeys({5}), " and ( key = 5)");
    EXPECT_EQ(analysis::studyFilterFromKeys({2, 2, 3, 5, 6, 8}),
              " and ( (key >= 2 and key <= 3) or (key >= 5 and key <= 6) or key = 8)");
}

TEST_F(StudyStoreFixture, aStudyListsExactlyItsMembers) {
    addAnalyses(13);
    const long long study = studies->create("Coast");
    for (long long k : {12, 7, 9, 8, 12}) studies->addMember(study, k);
    const std::string filter = studies->filterFor(study);
    EXPECT_EQ(filter, " and ( (key >= 7 and key <= 9) or key = 12)");
    EXPECT_EQ(keysOf(studies->rows(filter)), (std::vector<long long>{12, 9, 8, 7}));
    EXPECT_EQ(studies->countRows(filter), 4);

    // An empty study shows nothing; study 0 every present analysis, newest first.
    const long long empty = studies->create("Empty");
    EXPECT_EQ(studies->filterFor(empty), " and (key = 0)");
    EXPECT_TRUE(studies->rows(studies->filterFor(empty)).empty());
    analyses->markDeleted(13);
    auto all = keysOf(studies->rows(studies->filterFor(0)));
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(all.front(), 12);
    EXPECT_EQ(all.back(), 1);
}

TEST_F(StudyStoreFixture, createRenameCopyAndRemove) {
    addAnalyses(3);
    const long long a = studies->create("Customer's sites");
    EXPECT_TRUE(studies->nameExists("CUSTOMER'S SITES"));
    studies->addMember(a, 1);
    studies->addMember(a, 3);
    auto info = studies->study(a).value();
    EXPECT_EQ(info.name, "Customer's sites");
    EXPECT_EQ(info.dateCreated, "2026-03-05 10:00:10");
    EXPECT_EQ(info.dateUpdated, "2026-03-05 10:00:12");   // last member added
    EXPECT_EQ(info.members, 2);

    studies->rename(a, "North");
    EXPECT_EQ(studies->study(a)->name, "North");
    EXPECT_EQ(studies->study(a)->dateUpdated, "2026-03-05 10:00:13");

    const long long b = studies->copy(a, "North copy");
    EXPECT_NE(a, b);
    EXPECT_EQ(studies->filterFor(b), studies->filterFor(a));
    EXPECT_EQ(dateAdded(b), (std::vector<std::string>{"2026-03-05 10:00:15", "2026-03-05 10:00:15"}));
    EXPECT_EQ(dateAdded(a), (std::vector<std::string>{"2026-03-05 10:00:11", "2026-03-05 10:00:12"}));

    EXPECT_EQ(analysis::studyListLine(studies->study(b).value()),
              "Study #2 = North copy, created on 3/5/2026 10:00:14 AM with 2 analysis.");
    studies->remove(a);
    EXPECT_FALSE(studies->study(a));
    EXPECT_TRUE(dateAdded(a).empty());
    EXPECT_EQ(studies->studies().size(), 1u);
}

TEST_F(StudyStoreFixture, membershipQueriesAndOrphans) {
    addAnalyses(4);
    const long long s1 = studies->create("One");
    const long long s2 = studies->create("Two");
    studies->addMember(s2, 2);
    studies->addMember(s1, 2);
    studies->addMember(s1, 3);
    studies->addMember(s1, 3);
    EXPECT_EQ(studies->studyHolding(2), s2);
    EXPECT_FALSE(studies->studyHolding(4));
    EXPECT_TRUE(studies->isMember(s1, 3));
    // A repeated member leaves one membership at a time.
    EXPECT_TRUE(studies->removeMember(s1, 3));
    EXPECT_TRUE(studies->isMember(s1, 3));
    EXPECT_TRUE(studies->removeMember(s1, 3));
    EXPECT_FALSE(studies->removeMember(s1, 3));

    studies->refreshInStudy();
    EXPECT_EQ(main.db().execAndGet("SELECT instudy FROM datapoints WHERE key = 2").getInt(), -1);
    EXPECT_EQ(main.db().execAndGet("SELECT instudy FROM datapoints WHERE key = 4").getInt(), 0);

    analyses->remove(2);
    EXPECT_EQ(studies->removeOrphans(), 2);
    EXPECT_FALSE(studies->studyHolding(2));
}

TEST(StudyList, numberIsReadAfterTheMark) {
    EXPECT_EQ(analysis::studyNumberFromLine("Study #0 = ALL previous analysis"), 0);
    EXPECT_EQ(analysis::studyNumberFromLine("Study #17 = Coast #3, created on 1/1/2026 with 4 analysis."), 17);
    EXPECT_FALSE(analysis::studyNumberFromLine("nothing here"));
}

TEST(StudyGrid, columnsFollowTheViewAndFormatTheirValues) {
    for (std::size_t i = 0; i < analysis::kGridColumns.size(); ++i)
        EXPECT_EQ(analysis::kGridColumns[i].column, core::kAnalsColumns[i]) << i;
    EXPECT_EQ(analysis::kGridColumns[analysis::kDeleteColumn].caption, "Row Delete if X'd");
    EXPECT_EQ(analysis::kGridColumns[2].caption, "  Radiosonde Location");

    analysis::AnalsRow row;
    row[0] = 42LL;
    row[4] = 30.48;
    row[8] = 1234567.4;
    row[10] = 0.18765;
    row[18] = 2.5;
    row[23] = 311.6;
    row[28] = std::string("2019-03-01");
    EXPECT_EQ(analysis::gridText(row, 0), "42");
    EXPECT_EQ(analysis::gridText(row, 1), "");
    EXPECT_EQ(analysis::gridText(row, 4), "30.5");
    EXPECT_EQ(analysis::gridText(row, 8), "1,234,567");
    EXPECT_EQ(analysis::gridText(row, 10), ".1877");
    EXPECT_EQ(analysis::gridText(row, 18), "2.5");
    EXPECT_EQ(analysis::gridText(row, 23), "312");
    EXPECT_EQ(analysis::gridText(row, 28), "01-Mar-2019");
}

TEST(StudyGrid, headingClicksAlternateEachColumnOnItsOwn) {
    analysis::GridSort sort;
    EXPECT_EQ(sort.mark(13), "");
    EXPECT_EQ(sort.click(13), "TotalEPot ASC");
    EXPECT_EQ(sort.mark(13), "SRTv");
    EXPECT_EQ(sort.click(2), "Sitename ASC");
    EXPECT_EQ(sort.click(13), "TotalEPot DESC");
    EXPECT_EQ(sort.mark(13), "SRT^");
    EXPECT_EQ(sort.click(13), "TotalEPot ASC");
    EXPECT_EQ(sort.click(2), "Sitename DESC");
    EXPECT_FALSE(sort.click(25));
    EXPECT_FALSE(sort.click(30));
    EXPECT_FALSE(sort.click(31));
    EXPECT_EQ(sort.click(17), "AveUsed ASC");
}

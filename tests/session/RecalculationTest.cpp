// The bulk recalculation over real stored analyses: real soundings of three
// stations, several analyses at each, their stored figures made stale.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "StartedFolder.h"
#include "analysis/AnalysisStore.h"
#include "core/Prompter.h"
#include "power/GeneratorStore.h"
#include "session/PowerPage.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {

struct Sample {
    const char* file;
    long wmo;
};
const Sample kSamples[] = {
    {"fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", 72518},
    {"fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl", 74494},
    {"fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", 87576},
};

class RecalculationTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::SilentPrompter quiet;
        sounding::FixedReviewDecider accept(true);
        sounding::ImportOptions options;
        options.decider = &accept;
        options.mainDb = &s().mainDb();
        for (const Sample& sample : kSamples)
            ASSERT_FALSE(sounding::importFile(folder.tmp.dir(), test::sample(sample.file).string(), options, quiet,
                                              sample.wmo)
                             .failed);
        s().reloadStationIndex();

        // Two generators at two heights at every station: twelve analyses.
        const auto names = power::GeneratorStore(db()).namesTallestFirst();
        ASSERT_GE(names.size(), 2u);
        session::PowerPage page(s());
        page.energy().inputs().aveUsed = 50;
        for (const Sample& sample : kSamples)
            for (std::size_t g = 0; g < 2; ++g)
                // 30 m and 90 m: heights whose stored metres (one decimal) give the same feet back.
                for (double feet : {98.4, 295.3}) {
                    ASSERT_TRUE(page.chooseGenerator(names[g], false));
                    page.setHeightFeet(feet);
                    page.site().setSiteString(page.site().siteEntryText(sample.wmo));
                    ASSERT_NE(page.site().reanalyseSite(true), session::AnalysisOutcome::NoSite);
                    ASSERT_GT(page.lastSavedKey(), 0);
                    fresh[page.lastSavedKey()] = results(page.lastSavedKey());
                }
        ASSERT_EQ(fresh.size(), 12u);
    }

    session::Session& s() { return *folder.s; }
    SQLite::Database& db() { return s().mainDb().db(); }
    std::vector<double> results(long long key) {
        const auto r = analysis::AnalysisStore(db()).load(key).value().results;
        return {r.begin(), r.end()};
    }
    // Figures of an earlier calculation: every stored result changed, level 6.
    void makeStale() {
        db().exec("UPDATE datapoints SET TotalEPot = TotalEPot + 1, PotkW = -1, ActCF = -1, IdlePercent = -1, "
                  "ShortE = -1, NetSave = -1, dodate = '2020-01-01 00:00:00'");
        s().settings().set("ReCalcLevel", "6");
    }
    long long rows() { return db().execAndGet("SELECT count(*) FROM datapoints").getInt64(); }

    test::StartedFolder folder;
    std::map<long long, std::vector<double>> fresh;
};

}  // namespace

TEST_F(RecalculationTest, everyStaleAnalysisOfEveryStationIsComputedAgainUnderItsOwnId) {
    makeStale();
    session::PowerPage page(s());
    folder.prompter.yes();
    const auto run = page.analyses().recalculateAllAnalyses();
    EXPECT_TRUE(run.levelStored);
    EXPECT_EQ(run.count, 12);
    EXPECT_EQ(run.recalculated, 12);
    EXPECT_TRUE(run.failed.empty());
    EXPECT_EQ(s().settings().get("ReCalcLevel"), "7");
    EXPECT_EQ(rows(), 12);
    for (const auto& [key, figures] : fresh) {
        const auto back = results(key);
        for (std::size_t r = 0; r < figures.size(); ++r) EXPECT_DOUBLE_EQ(back[r], figures[r]) << key << " " << r;
    }
    EXPECT_EQ(db().execAndGet("SELECT count(*) FROM datapoints WHERE dodate LIKE '2020%'").getInt64(), 0);
    EXPECT_TRUE(folder.prompter.messages.empty());
}

TEST_F(RecalculationTest, anAnalysisThatCannotBeComputedKeepsTheOldLevelAndIsNamed) {
    makeStale();
    // Its station no longer has data on this computer.
    const long long lost = fresh.begin()->first;
    SQLite::Statement move(db(), "UPDATE datapoints SET wmo = 99999 WHERE key = ?");
    move.bind(1, static_cast<std::int64_t>(lost));
    move.exec();

    session::PowerPage page(s());
    folder.prompter.yes();
    const auto run = page.analyses().recalculateAllAnalyses();
    EXPECT_FALSE(run.levelStored);
    EXPECT_EQ(run.recalculated, 11);
    EXPECT_EQ(run.failed, std::vector<long long>{lost});
    EXPECT_EQ(s().settings().get("ReCalcLevel"), "6");
    EXPECT_EQ(folder.prompter.lastMessage(), session::recalculationFailureMessage(1, 12, {lost}));
    EXPECT_EQ(session::recalculationFailureMessage(2, 12, {5, 40}),
              "2 of 12 analyses could not be recalculated (Analysis ID 000005, 000040); their stored results are "
              "from the earlier calculation.  The calculation level was not stored, so the recalculation will be "
              "offered again at the next start.");
    // The others were recalculated all the same; the lost one keeps its stale figures.
    for (const auto& [key, figures] : fresh)
        EXPECT_EQ(results(key)[static_cast<std::size_t>(analysis::PotkW)] == -1, key == lost) << key;
    EXPECT_EQ(rows(), 12);
}

#include "analysis/AnalysisStore.h"

#include <gtest/gtest.h>

#include <memory>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/MainDatabase.h"
#include "ScriptedPrompter.h"
#include "SampleRecords.h"
#include "TempFolder.h"

using namespace skyloom;
using analysis::AnalysisRecord;
using analysis::AnalysisStore;

namespace {

class AnalysisStoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(folder.dir() + core::MainDatabase::kFileName);
        ASSERT_TRUE(main.open(prompter));
        store = std::make_unique<AnalysisStore>(main.db());
    }
    SQLite::Database& db() { return main.db(); }
    long long studyLinks(long long key) {
        SQLite::Statement q(db(), "SELECT count(*) FROM studykeys WHERE datapointkey = ?");
        q.bind(1, static_cast<int64_t>(key));
        q.executeStep();
        return q.getColumn(0).getInt64();
    }
    void link(long long study, long long key) {
        SQLite::Statement q(db(), "INSERT INTO studykeys (studyKey, datapointkey, dateadded) VALUES (?, ?, '2026-01-01')");
        q.bind(1, static_cast<int64_t>(study));
        q.bind(2, static_cast<int64_t>(key));
        q.exec();
    }

    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    core::MainDatabase main{folder.dir()};
    std::unique_ptr<AnalysisStore> store;
};

}  // namespace

TEST(ResultRounding, variantsFollowTheirColumns) {
    AnalysisRecord r = test::sampleRecord();
    r.result(analysis::TotalEPot) = 1234.5;     // A
    r.result(analysis::ActCF) = 9876;           // A
    r.result(analysis::PotCF) = 5678;           // B, first digit 5 or more: two digits
    r.result(analysis::PotkW) = 1234.5;         // B, otherwise as A
    r.result(analysis::NetEnergyCost) = 0.955;  // B
    r.result(analysis::Income) = 99.6;          // B, carry into a new place
    r.result(analysis::UnusedCap) = -0.0012345; // A keeps the sign
    analysis::applyResultRounding(r);
    EXPECT_DOUBLE_EQ(r.result(analysis::TotalEPot), 1230);
    EXPECT_DOUBLE_EQ(r.result(analysis::ActCF), 9880);
    EXPECT_DOUBLE_EQ(r.result(analysis::PotCF), 5700);
    EXPECT_DOUBLE_EQ(r.result(analysis::PotkW), 1230);
    EXPECT_DOUBLE_EQ(r.result(analysis::NetEnergyCost), 0.96);
    EXPECT_DOUBLE_EQ(r.result(analysis::Income), 100);
    EXPECT_DOUBLE_EQ(r.result(analysis::UnusedCap), -0.00123);
}

TEST(ResultRounding, speedsAreStoredInMetresPerSecond) {
    EXPECT_DOUBLE_EQ(analysis::toMetresPerSecond(10, "m/sec"), 10);
    EXPECT_DOUBLE_EQ(analysis::toMetresPerSecond(10, "knots"), 5.144);
    // 6000 feet to the mile, not 6076.
    EXPECT_DOUBLE_EQ(analysis::toMetresPerSecond(10, "mph"), 10 * 5280.0 / 6000.0 * 0.5144);
    EXPECT_EQ(analysis::generalDateText("2026-03-05 17:13:48"), "3/5/2026 5:13:48 PM");
    EXPECT_EQ(analysis::generalDateText("2026-12-25 00:05:09"), "12/25/2026 12:05:09 AM");
    EXPECT_EQ(analysis::generalDateText("2019-01-31"), "1/31/2019");
}

TEST_F(AnalysisStoreFixture, aNewRowKeepsEveryValueAndIsRounded) {
    AnalysisRecord r = test::sampleRecord();
    r.result(analysis::TotalEPot) = 999.7;
    r.print = 11;
    const long long key = store->insert(r);
    auto back = store->load(key);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->key, key);
    EXPECT_EQ(back->generator, r.generator);
    EXPECT_EQ(back->generatorName(), "TestGen 100");
    EXPECT_EQ(back->fromDate, "2019-01-01");
    EXPECT_EQ(back->selline, r.selline);
    EXPECT_EQ(back->units, "m/sec");
    EXPECT_EQ(back->ignoreZ, -1);
    EXPECT_DOUBLE_EQ(back->result(analysis::TotalEPot), 1000);
    EXPECT_DOUBLE_EQ(back->result(analysis::Income), 4100);
    EXPECT_DOUBLE_EQ(back->aveWind, 6.2);
    EXPECT_EQ(back->seePoints, 8030);
    EXPECT_EQ(back->print, 11);
    EXPECT_EQ(back->deleted, "0");
    EXPECT_EQ(back->calcVer, "24");
    EXPECT_FALSE(back->comment.has_value());
    // The grid's view shows the row.
    EXPECT_EQ(db().execAndGet("SELECT genname FROM anals WHERE key = " + std::to_string(key)).getString(),
              "TestGen 100");
}

TEST_F(AnalysisStoreFixture, identityIgnoresMoneyButNotInputs) {
    const long long key = store->insert(test::sampleRecord());
    AnalysisRecord same = test::sampleRecord();
    same.generatorCost = 99999;
    same.result(analysis::Income) = -5;
    same.generator[0] = std::string("testgen 100 ");   // the name as the old query wrote it, other case
    EXPECT_EQ(store->findSame(same), std::vector<long long>{key});

    for (auto change : std::vector<void (*)(AnalysisRecord&)>{
             [](AnalysisRecord& r) { r.aveused = 51; },        [](AnalysisRecord& r) { r.bankSize = 3; },
             [](AnalysisRecord& r) { r.batDollarsPerkWhr = 1; }, [](AnalysisRecord& r) { r.storeEff = 79; },
             [](AnalysisRecord& r) { r.shortCost = 0.13; },   [](AnalysisRecord& r) { r.lookHeight = 30.4; },
             [](AnalysisRecord& r) { r.fromDate = "2019-01-02"; }, [](AnalysisRecord& r) { r.toDate = "2019-12-30"; },
             [](AnalysisRecord& r) { r.wmo = 1; },            [](AnalysisRecord& r) { r.sellPrice = 0.06; },
             [](AnalysisRecord& r) { r.generator[0] = std::string("TestGen 10"); }}) {
        AnalysisRecord other = test::sampleRecord();
        change(other);
        EXPECT_TRUE(store->findSame(other).empty());
    }
}

TEST_F(AnalysisStoreFixture, threeDuplicatesBecomeTheLastWithAllStudyLinks) {
    const long long a = store->insert(test::sampleRecord());
    const long long b = store->insert(test::sampleRecord());
    const long long c = store->insert(test::sampleRecord());
    link(1, a);
    link(2, b);
    link(2, c);
    auto keys = store->findSame(test::sampleRecord());
    ASSERT_EQ(keys, (std::vector<long long>{a, b, c}));
    const long long survivor = store->mergeDuplicates(keys, 0);
    EXPECT_EQ(survivor, c);
    EXPECT_FALSE(store->exists(a));
    EXPECT_FALSE(store->exists(b));
    EXPECT_EQ(studyLinks(c), 3);
    EXPECT_EQ(studyLinks(-1), 0);
    EXPECT_EQ(store->findSame(test::sampleRecord()).size(), 1u);
}

TEST_F(AnalysisStoreFixture, theHelpFileAnalysisIsNeverTheOneDeleted) {
    const long long a = store->insert(test::sampleRecord());
    const long long help = store->insert(test::sampleRecord());
    const long long c = store->insert(test::sampleRecord());
    link(4, c);
    EXPECT_EQ(store->mergeDuplicates({a, help, c}, help), help);
    EXPECT_TRUE(store->exists(help));
    EXPECT_FALSE(store->exists(a));
    EXPECT_FALSE(store->exists(c));
    EXPECT_EQ(studyLinks(help), 1);
    // The help row first in line: the walk passes over it.
    const long long d = store->insert(test::sampleRecord());
    EXPECT_EQ(store->mergeDuplicates({help, d}, help), help);
    EXPECT_FALSE(store->exists(d));
}

TEST_F(AnalysisStoreFixture, updateRewritesInPlaceAndRevivesADeletedRow) {
    AnalysisRecord first = test::sampleRecord();
    const long long key = store->insert(first);
    store->setComment(key, "Windy hill");
    ASSERT_TRUE(store->markDeleted(key));
    EXPECT_FALSE(store->isPresent(key));
    EXPECT_EQ(store->countPresent(), 0);

    AnalysisRecord again = test::sampleRecord();
    again.generatorCost = 30000;
    again.result(analysis::Income) = 2345.6;
    again.aveWind = 99;   // kept from the first save
    again.dodate = "2026-03-06 08:00:00";
    store->update(key, again);
    auto back = store->load(key);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->deleted, "0");
    EXPECT_TRUE(store->isPresent(key));
    EXPECT_DOUBLE_EQ(back->generatorCost, 30000);
    EXPECT_DOUBLE_EQ(back->result(analysis::Income), 2350);
    EXPECT_DOUBLE_EQ(back->aveWind, 6.2);
    EXPECT_EQ(back->comment.value_or(""), "Windy hill");
    EXPECT_EQ(back->dodate, "2026-03-06 08:00:00");
}

TEST_F(AnalysisStoreFixture, aTableWithoutTheVersionColumnIsTolerated) {
    store.reset();
    db().exec("DROP VIEW anals");
    db().exec("ALTER TABLE datapoints DROP COLUMN CalcVer");
    store = std::make_unique<AnalysisStore>(db());
    EXPECT_FALSE(store->hasCalcVerColumn());
    const long long key = store->insert(test::sampleRecord());
    store->update(key, test::sampleRecord());
    EXPECT_EQ(store->load(key)->calcVer, "");
}

TEST_F(AnalysisStoreFixture, aMissingGeneratorIsRecreatedFromTheStoredBlock) {
    auto block = test::sampleGenerator("Lost 5kW", 1234);
    EXPECT_FALSE(store->generatorListed("Lost 5kW"));
    store->recreateGenerator(block);
    EXPECT_TRUE(store->generatorListed("LOST 5KW"));
    EXPECT_EQ(store->generatorBlock("Lost 5kW").value(), block);
}

TEST_F(AnalysisStoreFixture, recalculationOrderIsBySiteDatesAndGenerator) {
    AnalysisRecord x = test::sampleRecord(1);
    x.siteName = "ZULU";
    AnalysisRecord y = test::sampleRecord(2);
    y.siteName = "ALPHA";
    y.generator[0] = std::string("B gen");
    AnalysisRecord z = test::sampleRecord(3);
    z.siteName = "ALPHA";
    z.generator[0] = std::string("A gen");
    const long long kx = store->insert(x), ky = store->insert(y), kz = store->insert(z);
    const long long gone = store->insert(test::sampleRecord(4));
    store->markDeleted(gone);
    EXPECT_EQ(store->keysForRecalculation(), (std::vector<long long>{kz, ky, kx}));
    EXPECT_EQ(store->countPresent(), 3);
}

TEST(ChangeReport, onlyTheChangedPairIsListed) {
    AnalysisRecord stored = test::sampleRecord();
    AnalysisRecord fresh = stored;
    EXPECT_EQ(analysis::changeReportLines(stored, fresh, 42), "");
    fresh.result(analysis::TotalEPot) = 1234567.8;   // A: 1230000
    fresh.result(analysis::Income) = 4104;            // rounds to the stored 4100: no line
    const std::string lines = analysis::changeReportLines(stored, fresh, 42);
    EXPECT_EQ(lines,
              "     Wind Generator Potential MWhr/yr should be 1,230,000.\n"
              "                        but in ID 000042 it was 123.\n\n");
    EXPECT_EQ(analysis::changeReportMessage(42, "2026-03-05 17:13:48", lines),
              "Errors found: Analysis ID 42 was last calculated on 3/5/2026 5:13:48 PM and a current recalculation "
              "of the analysis has resulted in the following changes to the results:\n\n" +
                  lines +
                  "I am updating the results of Analysis ID 42 to the current values.  If you have used the results "
                  "of this ID in any external document please update the document accordingly.");
}

TEST(ChangeReport, idleStartsCompareWithVariantBInTheirOrder) {
    AnalysisRecord stored = test::sampleRecord();
    AnalysisRecord fresh = stored;
    stored.result(analysis::ActCF) = 5540;   // B: 5500
    fresh.result(analysis::ActCF) = 5460;    // B: 5500, although A would tell them apart
    fresh.result(analysis::NetSave) = 1500.25;
    fresh.result(analysis::PotCF) = 0.125;
    EXPECT_EQ(analysis::changeReportLines(stored, fresh, 7),
              "          Potential Capacity Factor % should be .125\n"
              "                        but in ID 000007 it was 14.\n\n"
              "                     Net Savings $/yr should be 1,500.\n"
              "                        but in ID 000007 it was 1,200.\n\n");
}

TEST(CommentMerge, rules) {
    // No full stop at the end: one is added, then two blanks.
    EXPECT_EQ(analysis::mergedComment("Good site", "check tower"), "Good site.  check tower");
    // Already ending in a full stop: only the two blanks.
    EXPECT_EQ(analysis::mergedComment("Good site.", "check tower"), "Good site.  check tower");
    // The same comment in other case, or one already contained: unchanged.
    EXPECT_FALSE(analysis::mergedComment("Good site", "GOOD SITE"));
    EXPECT_FALSE(analysis::mergedComment("Good site.  Check tower", "check TOWER"));
    EXPECT_FALSE(analysis::mergedComment("Good site", "   "));
    // Trimmed on both sides; an empty stored comment simply takes the new one.
    EXPECT_EQ(analysis::mergedComment("  Good site  ", " windy "), "Good site.  windy");
    EXPECT_EQ(analysis::mergedComment("", "windy"), "windy");
}

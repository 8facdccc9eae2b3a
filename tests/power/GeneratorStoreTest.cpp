#include "power/GeneratorStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include "core/MainSchema.h"
#include "power/SuppliedGenerators.h"
#include "TempFolder.h"

using namespace skyloom::power;

namespace {

std::string suppliedCurves() { return skyloom::test::readFile(skyloom::test::projectData("generators.csv")); }

GeneratorRecord curve(const std::string& name, double height = 100) {
    GeneratorRecord g;
    g.name = name;
    g.height = height;
    g.cutInSpeed = 6;
    g.temperature = 150;
    g.pressure = 1013.25;
    g.points[0] = {8, 2};
    g.points[1] = {12, 10};
    g.cutOut = 40;
    g.costPerYear = 900;
    g.maxToGrid = 10;
    g.recomputeMaxKW();
    return g;
}

// A database with the generator table alone, as before any analysis table existed.
void createGeneratorsOnly(SQLite::Database& db) {
    std::string sql = "CREATE TABLE generators (";
    for (const auto& c : skyloom::core::kGeneratorColumns)
        sql += std::string(c.name == "ID" ? "" : ", ") + "\"" + std::string(c.name) + "\" " + std::string(c.type);
    db.exec(sql + ")");
}

class GeneratorStoreTest : public ::testing::Test {
protected:
    GeneratorStoreTest() : db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE), store(db) {
        skyloom::core::createMainSchema(db);
    }
    // Saves an analysis carrying g's generator block, as an analysis save copies it.
    void saveAnalysis(const GeneratorRecord& g) {
        std::string cols, marks;
        for (int pos = 1; pos < kGeneratorColumnCount; ++pos) {
            cols += std::string(pos > 1 ? ", " : "") + "\"" + std::string(skyloom::core::kDatapointGeneratorColumns[pos].name) + "\"";
            marks += pos > 1 ? ", ?" : "?";
        }
        SQLite::Statement q(db, "INSERT INTO datapoints (" + cols + ") VALUES (" + marks + ")");
        q.bind(1, g.name);
        for (int pos = 2; pos < kGeneratorColumnCount; ++pos) q.bind(pos, g.column(pos));
        q.exec();
    }
    SQLite::Database db;
    GeneratorStore store;
};

}  // namespace

TEST_F(GeneratorStoreTest, addedRowsReadBackInEveryColumnAndListTallestFirst) {
    auto a = curve("Low", 40);
    auto b = curve("O'Brien \"Tall\"", 260);
    b.orgData = -1;
    store.add(a);
    store.add(b);
    EXPECT_GT(b.id, a.id);
    EXPECT_EQ(store.findById(b.id), b);
    EXPECT_EQ(store.findByName("o'brien \"TALL\""), b);
    EXPECT_EQ(store.namesTallestFirst(), (std::vector<std::string>{"O'Brien \"Tall\"", "Low"}));
    EXPECT_EQ(store.first()->id, a.id);

    b.points[5] = {30, 12};
    b.name = "Renamed";
    store.update(b);
    EXPECT_EQ(store.findById(b.id), b);
    store.remove(a.id);
    EXPECT_FALSE(store.findByName("Low"));
    EXPECT_FALSE(store.empty());
}

TEST_F(GeneratorStoreTest, analysesDecideWhetherACurveIsUsedAndMatches) {
    auto g = curve("Mill");
    store.add(g);
    EXPECT_EQ(store.curveUsedInAnalysis("MILL", g), 0);
    saveAnalysis(g);
    EXPECT_EQ(store.curveUsedInAnalysis("mill", g), -1);

    auto other = g;
    other.maxKW = 99;      // not compared
    other.orgData = -1;    // not compared
    EXPECT_EQ(store.curveUsedInAnalysis("Mill", other), -1);
    other.points[1].kw = 11;
    EXPECT_EQ(store.curveUsedInAnalysis("Mill", other), -2);
    other = g;
    other.cutOut = 41;
    EXPECT_EQ(store.curveUsedInAnalysis("Mill", other), -2);
}

TEST_F(GeneratorStoreTest, curveFromAnalysisTakesTheFirstAnalysisAndRenameMovesAnalyses) {
    auto first = curve("Mill");
    first.points[1].kw = 15;
    saveAnalysis(first);
    saveAnalysis(curve("Mill"));
    const auto back = store.curveFromAnalysis("MILL");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->points[1].kw, 15);
    EXPECT_EQ(back->name, "Mill");

    store.renameInAnalyses("mill", "Windy");
    EXPECT_FALSE(store.nameInAnalyses("Mill"));
    EXPECT_TRUE(store.nameInAnalyses("windy"));
}

TEST_F(GeneratorStoreTest, copyNumbersSkipGeneratorsAndAnalyses) {
    auto t = curve("T");
    store.add(t);
    EXPECT_EQ(store.nextCopyNumber("T"), 1);
    auto t1 = curve("T~1");
    store.add(t1);
    EXPECT_EQ(store.nextCopyNumber("T"), 2);
    auto t2 = curve("T~2");
    store.add(t2);
    EXPECT_EQ(store.nextCopyNumber("T~1"), 3);
    saveAnalysis(curve("t~3"));
    EXPECT_EQ(store.nextCopyNumber("T~2"), 4);
    EXPECT_EQ(copyBase("A~B~C"), "A");
    EXPECT_EQ(copyBase("Plain"), "Plain");
}

TEST(GeneratorStoreWithoutAnalyses, aDatabaseWithoutDatapointsHasNoAnalyses) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    createGeneratorsOnly(db);
    GeneratorStore store(db);
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(store.curveUsedInAnalysis("x", GeneratorRecord{}), 0);
    EXPECT_FALSE(store.curveFromAnalysis("x"));
    EXPECT_EQ(store.nextCopyNumber("x"), 1);
}

TEST(SuppliedGenerators, reductionKeepsFirstAndRatedPointsAndTheShape) {
    std::vector<CurvePoint> c;
    for (int s = 3; s <= 25; ++s) c.push_back({double(s), s >= 14 ? 2000.0 : 2000.0 * (s - 2) * (s - 2) * (s - 2) / 1331});
    const auto r = reduceCurve(c, 10);
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r.front().speed, 3);
    EXPECT_EQ(r.back().speed, 13);     // 13 m/s: first reaches 2000 kW, the flat tail is gone
    EXPECT_EQ(r.back().kw, 2000);
    for (std::size_t i = 1; i < r.size(); ++i) {
        EXPECT_GT(r[i].speed, r[i - 1].speed);
        EXPECT_GT(r[i].kw, r[i - 1].kw);
    }
}

TEST(SuppliedGenerators, theSuppliedFileGivesEightLockedCurvesFromSmallToUtilityScale) {
    const auto gens = parseSuppliedGenerators(suppliedCurves());
    ASSERT_EQ(gens.size(), 8u);
    double smallest = 1e9, largest = 0;
    for (const auto& g : gens) {
        SCOPED_TRACE(g.name);
        EXPECT_TRUE(isLegalGeneratorName(g.name));
        EXPECT_EQ(g.orgData, -1);
        EXPECT_GT(g.maxKW, 0);
        EXPECT_EQ(g.temperature, 150);
        EXPECT_EQ(g.pressure, 1013.25);
        EXPECT_GE(g.cutOut, g.speedAtMaxPower());
        EXPECT_LT(g.cutInSpeed, g.points[0].speed);
        for (int i = 1; i < g.lastUsedPoint(); ++i) {
            EXPECT_GT(g.points[i].speed, g.points[i - 1].speed);
            EXPECT_GT(g.points[i].kw, g.points[i - 1].kw);
        }
        smallest = std::min(smallest, g.maxKW);
        largest = std::max(largest, g.maxKW);
    }
    EXPECT_LE(smallest, 20);
    EXPECT_GE(largest, 2000);
    // Vestas V90-2.0: cut-in 3.5 m/s = 6.80 knots, top power 2000 kW reached at 14 m/s = 27.21 knots.
    const auto& v90 = gens[4];
    EXPECT_EQ(v90.name, "Vestas V90-2.0");
    EXPECT_EQ(v90.cutInSpeed, 6.8);
    EXPECT_EQ(v90.speedAtMaxPower(), 27.21);
    EXPECT_EQ(v90.maxKW, 2000);
    EXPECT_EQ(v90.height, 262);
    EXPECT_EQ(v90.cutOut, 48.6);
}

TEST(SuppliedGenerators, installAddsOnlyMissingNames) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    createGeneratorsOnly(db);
    GeneratorStore store(db);
    const auto gens = parseSuppliedGenerators(suppliedCurves());
    EXPECT_EQ(installSuppliedGenerators(store, gens), 8);
    EXPECT_EQ(installSuppliedGenerators(store, gens), 0);
    EXPECT_EQ(store.findByName("GE 1.5SLE")->orgData, -1);
}

TEST(SuppliedGenerators, unreadableLinesAreSkipped) {
    const auto gens = parseSuppliedGenerators(
        "# comment\nA,10,3,25,15,1013.25,0,5,4:1 5:2\nB,ten,3,25,15,1013.25,0,5,4:1\nC,10,3,25,15,1013.25,0,5,4-1\n\n");
    ASSERT_EQ(gens.size(), 1u);
    EXPECT_EQ(gens[0].name, "A");
    EXPECT_EQ(gens[0].points[1].speed, 9.72);
}

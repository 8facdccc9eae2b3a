#include "power/GeneratorStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include "core/MainSchema.h"
#include "TempFolder.h"

using namespace skyloom::power;

namespace {

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

// Giving a folder the library's generators, once each, beside the user's own.
#include "power/GeneratorInfoStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "core/MainSchema.h"
#include "power/GeneratorStore.h"

using namespace skyloom;
using namespace skyloom::power;

namespace {

LibraryGenerator libraryCurve(const std::string& name, double top) {
    LibraryGenerator g;
    g.record.name = name;
    g.record.height = 262;
    g.record.cutInSpeed = 6;
    g.record.points[0] = {10, top / 4};
    g.record.points[1] = {20, top};
    g.record.cutOut = 48.6;
    g.record.orgData = -1;
    g.record.recomputeMaxKW();
    g.info.name = name;
    g.info.source = "data/Onshore/" + name + ".csv";
    g.info.turbineClass = "onshore";
    g.info.rotorMetres = 82;
    g.info.fullCurveMs = {{3, 0}, {5, top / 4}, {10, top}};
    g.info.largestError = 0.0012;
    return g;
}

class LibraryInstall : public ::testing::Test {
protected:
    LibraryInstall() : db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE), store(db) {
        core::createMainSchema(db);
    }
    std::size_t count() { return store.namesTallestFirst().size(); }
    SQLite::Database db;
    GeneratorStore store;
    std::vector<LibraryGenerator> library{libraryCurve("Alpha (2 MW)", 2000), libraryCurve("Beta (1 MW)", 1000)};
};

}  // namespace

TEST_F(LibraryInstall, aNewFolderGetsEveryCurveOnceWithItsFacts) {
    EXPECT_EQ(installLibraryGenerators(db, library), 2);
    EXPECT_EQ(installLibraryGenerators(db, library), 0);
    EXPECT_EQ(count(), 2u);
    const auto alpha = store.findByName("alpha (2 mw)");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->orgData, -1);
    EXPECT_EQ(alpha->maxKW, 2000);
    const auto facts = GeneratorInfoStore(db).factsOf(*alpha);
    ASSERT_TRUE(facts);
    EXPECT_EQ(*facts, library[0].info);
}

TEST_F(LibraryInstall, anOlderFolderGainsTheNewCurvesAndKeepsWhatItHas) {
    // An older folder: its own curve under a library name, a hand-typed supplied
    // curve, and an analysis of a generator since removed that bears the other name.
    GeneratorRecord mine = libraryCurve("Alpha (2 MW)", 1500).record;
    mine.orgData = 0;
    store.add(mine);
    GeneratorRecord old = libraryCurve("Northern Power 100", 100).record;
    store.add(old);
    db.exec("INSERT INTO datapoints (genname, kw1) VALUES ('Beta (1 MW)', 5)");
    EXPECT_EQ(installLibraryGenerators(db, library), 0);
    EXPECT_EQ(count(), 2u);
    EXPECT_EQ(store.findByName("Alpha (2 MW)")->maxKW, 1500);
    EXPECT_EQ(store.findByName("Northern Power 100")->orgData, -1);
    EXPECT_EQ(db.execAndGet("SELECT kw1 FROM datapoints").getDouble(), 5);
    // The user's own curve shows no library facts.
    EXPECT_FALSE(GeneratorInfoStore(db).factsOf(*store.findByName("Alpha (2 MW)")));
    // A curve published later arrives at the next start.
    library.push_back(libraryCurve("Gamma (3 MW)", 3000));
    EXPECT_EQ(installLibraryGenerators(db, library), 1);
}

TEST_F(LibraryInstall, aSuppliedCurveTheUserRemovedIsNotGivenAgain) {
    installLibraryGenerators(db, library);
    store.remove(store.findByName("Beta (1 MW)")->id);
    EXPECT_EQ(installLibraryGenerators(db, library), 0);
    EXPECT_FALSE(store.findByName("Beta (1 MW)"));
}

TEST(GeneratorInfoStore, aFolderWithoutTheTableHasNoFacts) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    GeneratorInfoStore info(db);
    EXPECT_FALSE(info.find("x"));
    EXPECT_TRUE(info.names().empty());
}

#include <gtest/gtest.h>

#include <filesystem>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/FileOps.h"
#include "core/HeaderGuard.h"
#include "core/MainDatabase.h"

using namespace skyloom;
namespace fs = std::filesystem;

TEST(MainDatabase, missingFileGivesTheMissingMessage) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    core::MainDatabase db(tmp.dir());
    EXPECT_FALSE(db.open(p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "The file '" + tmp.dir() + "Skyloom.dat' is missing.");
    EXPECT_FALSE(db.isOpen());
}

TEST(MainDatabase, emptyTruncatedAndForeignFilesGiveTheDatabaseError) {
    test::TempFolder tmp;
    const std::string path = tmp.dir() + "Skyloom.dat";
    core::MainDatabase::create(path);
    std::string whole = test::readFile(path);
    std::vector<std::string> bad = {"", whole.substr(0, 10), whole.substr(0, 100), std::string(8192, '\x7f')};
    {  // a database of another program opens in the engine but is not ours
        fs::remove(path);
        SQLite::Database other(path, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE x (y)");
    }
    bad.push_back(test::readFile(path));
    for (const auto& content : bad) {
        test::writeFile(path, content);
        test::ScriptedPrompter p;
        core::MainDatabase db(tmp.dir());
        EXPECT_FALSE(db.open(p)) << content.size();
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_EQ(p.messages[0].rfind("Database Error = ", 0), 0u) << p.messages[0];
    }
}

TEST(MainDatabase, newFileIsGuardedAndHoldsTheWholeSchema) {
    test::TempFolder tmp;
    core::MainDatabase::create(tmp.dir() + "Skyloom.dat");
    EXPECT_FALSE(core::fileHeaderIsPlain(tmp.dir() + "Skyloom.dat"));
    test::ScriptedPrompter p;
    core::MainDatabase db(tmp.dir());
    ASSERT_TRUE(db.open(p));
    for (const char* t : {"urls", "stations", "countries", "havedata", "datapoints", "generators", "studies",
                          "studykeys", "paidfor", "Inventory"})
        EXPECT_TRUE(db.db().tableExists(t)) << t;
    // anals: the 31 grid columns then four more.
    SQLite::Statement q(db.db(), "SELECT * FROM anals");
    EXPECT_EQ(q.getColumnCount(), 35);
    EXPECT_STREQ(q.getColumnName(0), "key");
    EXPECT_STREQ(q.getColumnName(30), "CalcVer");
    // The generator block stands at the same positions in both tables.
    SQLite::Statement g(db.db(), "SELECT * FROM generators");
    SQLite::Statement d(db.db(), "SELECT * FROM datapoints");
    EXPECT_EQ(g.getColumnCount(), 31);
    for (int i = 2; i <= 30; ++i) EXPECT_STREQ(g.getColumnName(i), d.getColumnName(i)) << i;
}

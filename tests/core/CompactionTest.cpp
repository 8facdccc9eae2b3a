#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <SQLiteCpp/SQLiteCpp.h>

#include "DiskFull.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/Compaction.h"
#include "core/DatabaseFile.h"
#include "core/MainDatabase.h"
#include "core/Prompter.h"

using namespace skyloom;
namespace fs = std::filesystem;
using Result = core::MainDatabase::RepairResult;

namespace {

constexpr std::uint64_t kPlenty = std::uint64_t(1) << 40;
core::FreeSpaceSource freeBytes(std::uint64_t n) {
    return [n](const std::string&) { return n; };
}

// A main database with 300 analyses of which 200 were deleted since (room to compact) and a setting.
void fill(core::MainDatabase& db) {
    auto& d = db.db();
    SQLite::Transaction tx(d);
    for (int i = 0; i < 300; ++i)
        d.exec("INSERT INTO datapoints (sitename, deleted) VALUES ('" + std::string(400, 'a' + i % 26) + "', '0')");
    d.exec("DELETE FROM datapoints WHERE key % 3 <> 0");
    d.exec("INSERT INTO urls (Name, Link) VALUES ('Keep', 'me')");
    tx.commit();
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Compaction : public ::testing::Test {
protected:
    void SetUp() override {
        core::MainDatabase::create(path);
        ASSERT_TRUE(db.open(p));
        fill(db);
        before = test::readFile(path);
    }
    long long analyses() { return db.db().execAndGet("SELECT count(*) FROM datapoints").getInt64(); }

    test::TempFolder tmp;
    const std::string path = tmp.dir() + "Skyloom.dat";
    test::ScriptedPrompter p;
    core::MainDatabase db{tmp.dir()};
    std::string before;
};

}  // namespace

TEST_F(Compaction, compactsKeepingEveryRowAndClearsWhatEarlierRepairsLeft) {
    test::writeFile(tmp / "temp.mdb", "stale temp from an earlier failed repair");
    test::writeFile(tmp / "Skyloom.dat.compacting-a1B2c3", "a copy a killed compaction left");
    ASSERT_EQ(db.repair(p, freeBytes(kPlenty)), Result::Done);
    EXPECT_LT(core::fileSize(path), before.size());
    EXPECT_EQ(analyses(), 100);
    EXPECT_EQ(db.db().execAndGet("SELECT Link FROM urls WHERE Name = 'Keep'").getString(), "me");
    EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"Skyloom.dat"});
    EXPECT_TRUE(p.messages.empty());
}

TEST_F(Compaction, aDiskThatFillsAtAnyWriteLeavesTheDatabaseAsItWas) {
    int failures = 0;
    for (long n = 1;; ++n) {
        Result r;
        {
            test::DiskFillsAt full(n);
            r = db.repair(p, freeBytes(kPlenty));
        }
        ASSERT_NE(r, Result::NotOpen) << "write " << n;
        if (r == Result::Done) break;
        ++failures;
        ASSERT_EQ(test::readFile(path), before) << "write " << n;
        EXPECT_EQ(analyses(), 100);
        EXPECT_EQ(namesIn(tmp.path()), std::vector<std::string>{"Skyloom.dat"}) << "write " << n;
        ASSERT_EQ(p.messages.size(), 1u);
        EXPECT_EQ(p.messages[0],
                  "The data structure was not repaired: database or disk is full. The file '" + path +
                      "' was left as it was.");
        p.messages.clear();
        ASSERT_LT(n, 10000) << "the compaction never completed";
    }
    EXPECT_GT(failures, 2);
    EXPECT_EQ(analyses(), 100);
}

TEST_F(Compaction, theSpaceCheckAsksUntilThereIsRoomOrTheUserGivesUp) {
    const auto needed = "Skyloom needs ";
    p.giveUp();
    EXPECT_EQ(db.repair(p, freeBytes(0)), Result::NotDone);
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0].rfind(needed, 0), 0u);
    EXPECT_EQ(p.messages[1], "The data structure was not repaired: there is not enough free space on the disk for "
                             "its compacted copy. The file '" + path + "' was left as it was.");
    EXPECT_EQ(test::readFile(path), before);
    EXPECT_EQ(analyses(), 100);

    // Room is made while the question stands.
    p.messages.clear();
    p.ok();
    std::uint64_t free = 0;
    auto space = [&free](const std::string&) { return std::exchange(free, kPlenty); };
    EXPECT_EQ(db.repair(p, space), Result::Done);
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_TRUE(p.allAnswersUsed());
}

TEST_F(Compaction, whereNoOneCanFreeSpaceTheCheckEndsAtOnce) {
    core::SilentPrompter nobody;
    EXPECT_EQ(db.repair(nobody, freeBytes(0)), Result::NotDone);
    EXPECT_EQ(nobody.messages().size(), 2u);
    EXPECT_EQ(test::readFile(path), before);
}

TEST(CompactionRecovery, aBackupOfAnEarlierVersionIsPutBackWhenTheFileIsMissingOrNotWhole) {
    test::TempFolder tmp;
    const std::string path = tmp.dir() + "Skyloom.dat";
    core::MainDatabase::create(path);
    {
        SQLite::Database d = core::openGuardedDatabase(path, false);
        d.exec("INSERT INTO urls (Name, Link) VALUES ('Keep', 'me')");
    }
    const std::string whole = test::readFile(path);
    for (const std::string& left : {std::string("missing"), std::string(), whole.substr(0, 3000),
                                    std::string(8192, '\0')}) {
        fs::rename(path, path + "x");
        if (left != "missing") test::writeFile(path, left);
        test::ScriptedPrompter p;
        core::MainDatabase db(tmp.dir());
        ASSERT_TRUE(db.open(p)) << left.size() << " " << p.lastMessage();
        EXPECT_EQ(db.db().execAndGet("SELECT Link FROM urls WHERE Name = 'Keep'").getString(), "me");
        EXPECT_FALSE(core::fileExists(path + "x"));
    }
    // A whole file beside a backup: the backup goes.
    test::writeFile(path + "x", "older bytes");
    core::recoverInterruptedCompaction(path);
    EXPECT_EQ(test::readFile(path), whole);
    EXPECT_FALSE(core::fileExists(path + "x"));
}

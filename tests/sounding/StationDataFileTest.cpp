#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

// An older station data file: no HaveData table, summary in `stations`.
void makeOldFile(const std::string& path, int stationRows) {
    sounding::StationDataFile::createEmpty(path);
    SQLite::Database db = core::openGuardedDatabase(path, false);
    db.exec("DROP TABLE HaveData");
    for (int i = 0; i < stationRows; ++i)
        db.exec("INSERT INTO stations (wmo, fromDate, toDate, NumSoundings, NumDataPoints, NumDeletedDataPoints, "
                "NumDeletedSoundings, TimeGaps) VALUES (" + std::to_string(72518 + i) +
                ", '1990-01-01', '1990-12-31', 700, 9000, 12, 1, 3.5)");
}

int count(SQLite::Database& db, const std::string& sql) { return db.execAndGet(sql).getInt(); }

void addSounding(SQLite::Database& db, const std::string& date) {
    db.exec("INSERT INTO soundings (Hrs, stationwmo, Date, Time, numpoints) VALUES (0, 72518, '" + date +
            "', '00:00', 9)");
}

void addUserDeletion(SQLite::Database& db, const std::string& date, const std::string& time,
                     const std::string& reason = "EndUser deleted") {
    db.exec("INSERT INTO deleted (wmo, stationwmo, Date, Time, sounding, deletedall, deletedline, Reason, "
            "numdpdeleted) VALUES (72518, 72518, '" + date + "', '" + time + "', 'text', 1, '', '" + reason + "', 9)");
}

// A program folder and its dialogue.
struct Folder : ::testing::Test {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
};

}  // namespace

TEST(StationDataFile, levelColumnNamesFollowTheFileLayout) {
    using namespace sounding;
    const std::tuple<int, Quantity, const char*> names[] = {{0, Speed, "gndspd"},     {0, Direction, "GNDDir"},
                                                            {0, Pressure, "GNDpres"},  {1, Speed, "500spd"},
                                                            {10, Pressure, "5000press"}, {4, Temperature, "2000temp"}};
    for (const auto& [level, quantity, name] : names) EXPECT_EQ(levelColumn(level, quantity), name);
}

using StationDataFileTest = Folder;

TEST_F(StationDataFileTest, missingFileMessageUnlessQuiet) {
    const std::string path = tmp.dir() + "data/1.dat";
    EXPECT_FALSE(sounding::StationDataFile::open(path, true, p));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_FALSE(sounding::StationDataFile::open(path, false, p));
    EXPECT_EQ(p.lastMessage(), "Unable to Display Data, File '" + path + "' is missing.");
}

TEST_F(StationDataFileTest, olderFileGetsHaveDataOnceFromItsStationsRow) {
    const std::string path = tmp.dir() + "72518.dat";
    makeOldFile(path, 1);
    for (int pass = 0; pass < 2; ++pass) {
        auto f = sounding::StationDataFile::open(path, true, p);
        ASSERT_TRUE(f);
        EXPECT_EQ(count(f->db(), "SELECT count(*) FROM HaveData"), 1);
        auto row = f->haveData();
        ASSERT_TRUE(row);
        EXPECT_EQ(std::tie(row->wmo, row->fromDate, row->numSoundings, row->numDeletedDataPoints, row->timeGaps),
                  std::make_tuple(72518, "1990-01-01", 700, 12, 3.5));
    }
    EXPECT_TRUE(p.messages.empty());
}

TEST_F(StationDataFileTest, fileDescribingTwoStationsIsRefusedAndLeftUnchanged) {
    const std::string path = tmp.dir() + "72518.dat";
    makeOldFile(path, 2);
    EXPECT_FALSE(sounding::StationDataFile::open(path, false, p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("describes 2 stations"), std::string::npos) << p.messages[0];
    SQLite::Database db = core::openGuardedDatabase(path, false);
    EXPECT_FALSE(db.tableExists("HaveData"));
}

TEST_F(StationDataFileTest, foreignAndTruncatedFilesFailQuietly) {
    const std::string path = tmp.dir() + "1.dat";
    sounding::StationDataFile::createEmpty(path);
    std::string whole = test::readFile(path);
    for (const std::string& bytes : {std::string(), whole.substr(0, 2000), std::string(5000, '\x01')}) {
        test::writeFile(path, bytes);
        EXPECT_FALSE(sounding::StationDataFile::open(path, true, p));
    }
    EXPECT_TRUE(p.messages.empty());
}

struct CarryOverTest : Folder {
    void SetUp() override {
        fs::create_directories(tmp.dir() + "data");
        sounding::StationDataFile::createEmpty(oldPath);
        sounding::StationDataFile::createEmpty(newPath);
    }
    std::string oldPath = tmp.dir() + "data/72518_Previous.dat";
    std::string newPath = tmp.dir() + "data/72518.dat";
};

TEST_F(CarryOverTest, userDeletionsMoveIntoTheNewCopyOnce) {
    {
        SQLite::Database oldDb = core::openGuardedDatabase(oldPath, false);
        addUserDeletion(oldDb, "1990-01-01", "00:00");      // present in the new file
        addUserDeletion(oldDb, "1990-01-02", "12:00");      // absent from the new file
        addUserDeletion(oldDb, "1990-01-03", "00:00");      // already recorded in the new file
        addUserDeletion(oldDb, "1990-01-04", "00:00", "Not enough data points <4 = 3 .");  // import's own
        SQLite::Database newDb = core::openGuardedDatabase(newPath, false);
        addSounding(newDb, "1990-01-01");
        addSounding(newDb, "1990-01-04");
        addUserDeletion(newDb, "1990-01-03", "00:00");
    }
    sounding::carryOverUserDeletions(tmp.dir(), 72518, p);
    EXPECT_FALSE(core::fileExists(oldPath));
    SQLite::Database db = core::openGuardedDatabase(newPath, false);
    EXPECT_EQ(count(db, "SELECT count(*) FROM soundings WHERE Date = '1990-01-01'"), 0);
    EXPECT_EQ(count(db, "SELECT count(*) FROM soundings WHERE Date = '1990-01-04'"), 1);  // import rejection not carried
    EXPECT_EQ(count(db, "SELECT count(*) FROM deleted WHERE Date = '1990-01-01'"), 1);
    EXPECT_EQ(count(db, "SELECT count(*) FROM deleted WHERE Date = '1990-01-02' AND deletedall = 1 "
                        "AND Reason = 'EndUser deleted' AND numdpdeleted = 9"), 1);
    EXPECT_EQ(count(db, "SELECT count(*) FROM deleted WHERE Date = '1990-01-03'"), 1);
    EXPECT_TRUE(p.messages.empty());
}

TEST_F(CarryOverTest, previousCopyWithoutUserDeletionsIsSimplyDeleted) {
    sounding::carryOverUserDeletions(tmp.dir(), 72518, p);
    EXPECT_FALSE(core::fileExists(oldPath));
    SQLite::Database db = core::openGuardedDatabase(newPath, false);
    EXPECT_EQ(count(db, "SELECT count(*) FROM deleted"), 0);
}

TEST(CompressText, roundTripAndTheEmptyBuffer) {
    int status = -1;
    std::string packed = sounding::compressText("", &status);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(packed.empty());  // a valid zlib stream even for nothing
    EXPECT_EQ(sounding::uncompressText(packed, 0, &status), "");
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "    254     12      2    JAN    2019\r\n";
    packed = sounding::compressText(text, &status);
    EXPECT_LT(packed.size(), text.size() / 10);
    EXPECT_EQ(sounding::uncompressText(packed, text.size(), &status), text);
    EXPECT_EQ(status, 0);
    sounding::uncompressText(packed.substr(0, packed.size() / 2), text.size(), &status);
    EXPECT_NE(status, 0);
}

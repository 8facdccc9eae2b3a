#include <gtest/gtest.h>

#include <filesystem>

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

void addSounding(SQLite::Database& db, long wmo, const std::string& date, const std::string& time) {
    SQLite::Statement ins(db, "INSERT INTO soundings (Hrs, stationwmo, Date, Time, numpoints) VALUES (0, ?, ?, ?, 9)");
    ins.bind(1, static_cast<std::int64_t>(wmo));
    ins.bind(2, date);
    ins.bind(3, time);
    ins.exec();
}

void addUserDeletion(SQLite::Database& db, long wmo, const std::string& date, const std::string& time,
                     const std::string& reason = "EndUser deleted") {
    SQLite::Statement ins(db,
                          "INSERT INTO deleted (wmo, stationwmo, Date, Time, sounding, deletedall, deletedline, Reason, "
                          "numdpdeleted) VALUES (?, ?, ?, ?, 'text', 1, '', ?, 9)");
    ins.bind(1, static_cast<std::int64_t>(wmo));
    ins.bind(2, static_cast<std::int64_t>(wmo));
    ins.bind(3, date);
    ins.bind(4, time);
    ins.bind(5, reason);
    ins.exec();
}

}  // namespace

TEST(StationDataFile, levelColumnNamesFollowTheFileLayout) {
    EXPECT_EQ(sounding::levelColumn(0, sounding::Speed), "gndspd");
    EXPECT_EQ(sounding::levelColumn(0, sounding::Direction), "GNDDir");
    EXPECT_EQ(sounding::levelColumn(0, sounding::Pressure), "GNDpres");
    EXPECT_EQ(sounding::levelColumn(1, sounding::Speed), "500spd");
    EXPECT_EQ(sounding::levelColumn(10, sounding::Pressure), "5000press");
    EXPECT_EQ(sounding::levelColumn(4, sounding::Temperature), "2000temp");
}

TEST(StationDataFile, missingFileMessageUnlessQuiet) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    const std::string path = tmp.dir() + "data/1.dat";
    EXPECT_FALSE(sounding::StationDataFile::open(path, true, p));
    EXPECT_TRUE(p.messages.empty());
    EXPECT_FALSE(sounding::StationDataFile::open(path, false, p));
    EXPECT_EQ(p.lastMessage(), "Unable to Display Data, File '" + path + "' is missing.");
}

TEST(StationDataFile, olderFileGetsHaveDataOnceFromItsStationsRow) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    const std::string path = tmp.dir() + "72518.dat";
    makeOldFile(path, 1);
    for (int pass = 0; pass < 2; ++pass) {
        auto f = sounding::StationDataFile::open(path, true, p);
        ASSERT_TRUE(f);
        EXPECT_EQ(count(f->db(), "SELECT count(*) FROM HaveData"), 1);
        auto row = f->haveData();
        ASSERT_TRUE(row);
        EXPECT_EQ(row->wmo, 72518);
        EXPECT_EQ(row->fromDate, "1990-01-01");
        EXPECT_EQ(row->numSoundings, 700);
        EXPECT_EQ(row->numDeletedDataPoints, 12);
        EXPECT_DOUBLE_EQ(row->timeGaps, 3.5);
    }
    EXPECT_TRUE(p.messages.empty());
}

TEST(StationDataFile, fileDescribingTwoStationsIsRefusedAndLeftUnchanged) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    const std::string path = tmp.dir() + "72518.dat";
    makeOldFile(path, 2);
    EXPECT_FALSE(sounding::StationDataFile::open(path, false, p));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_NE(p.messages[0].find("describes 2 stations"), std::string::npos) << p.messages[0];
    SQLite::Database db = core::openGuardedDatabase(path, false);
    EXPECT_FALSE(db.tableExists("HaveData"));
}

TEST(StationDataFile, foreignAndTruncatedFilesFailQuietly) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    const std::string path = tmp.dir() + "1.dat";
    sounding::StationDataFile::createEmpty(path);
    std::string whole = test::readFile(path);
    for (const std::string& bytes : {std::string(), whole.substr(0, 2000), std::string(5000, '\x01')}) {
        test::writeFile(path, bytes);
        EXPECT_FALSE(sounding::StationDataFile::open(path, true, p));
    }
    EXPECT_TRUE(p.messages.empty());
}

class CarryOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(tmp.dir() + "data");
        sounding::StationDataFile::createEmpty(oldPath);
        sounding::StationDataFile::createEmpty(newPath);
    }
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    std::string oldPath = tmp.dir() + "data/72518_Previous.dat";
    std::string newPath = tmp.dir() + "data/72518.dat";
};

TEST_F(CarryOverTest, userDeletionsMoveIntoTheNewCopyOnce) {
    {
        SQLite::Database oldDb = core::openGuardedDatabase(oldPath, false);
        addUserDeletion(oldDb, 72518, "1990-01-01", "00:00");      // present in the new file
        addUserDeletion(oldDb, 72518, "1990-01-02", "12:00");      // absent from the new file
        addUserDeletion(oldDb, 72518, "1990-01-03", "00:00");      // already recorded in the new file
        addUserDeletion(oldDb, 72518, "1990-01-04", "00:00", "Not enough data points <4 = 3 .");  // import's own
        SQLite::Database newDb = core::openGuardedDatabase(newPath, false);
        addSounding(newDb, 72518, "1990-01-01", "00:00");
        addSounding(newDb, 72518, "1990-01-04", "00:00");
        addUserDeletion(newDb, 72518, "1990-01-03", "00:00");
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

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/Constants.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/Progress.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "session/StationSummary.h"
#include "sounding/HaveDataIndex.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
namespace fs = std::filesystem;

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ScriptedPrompter setup;
        core::NullProgress progress;
        ASSERT_TRUE(session::initProgramFolder(tmp.dir(), setup, progress));
    }
    // A station data file for wmo with a summary row.
    void addDataFile(long wmo, const std::string& name = {}) {
        const std::string path = tmp.dir() + "data/" + (name.empty() ? std::to_string(wmo) + ".dat" : name);
        sounding::StationDataFile::createEmpty(path);
        SQLite::Database db = core::openGuardedDatabase(path, false);
        db.exec("INSERT INTO stations (wmo, lat, lon, elev) VALUES (" + std::to_string(wmo) + ", 42.75, -73.8, 86)");
        db.exec("INSERT INTO HaveData (wmo, FromDate, ToDate, NumSoundings, NumDataPoints, NumDeletedDataPoints, "
                "NumDeletedSoundings, TimeGaps) VALUES (" + std::to_string(wmo) +
                ", '1990-01-01', '1991-01-02', 789, 20000, 250, 3, 4.25)");
    }
    std::unique_ptr<session::Session> start(session::Session::StartResult expected = session::Session::StartResult::Ready) {
        auto s = std::make_unique<session::Session>(tmp.dir(), prompter);
        s->launcher = [this](const std::string& program, const std::string&) {
            launched.push_back(program);
            return true;
        };
        EXPECT_EQ(s->startUp(), expected);
        return s;
    }
    int count(session::Session& s, const std::string& sql) { return s.mainDb().db().execAndGet(sql).getInt(); }

    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    std::vector<std::string> launched;
};

TEST_F(StartUpTest, firstStartCreatesARowForEveryKeyItReads) {
    auto s = start();
    for (const char* key : {"HelpKey", "Email", "Units", "ShowWhat", "StateOfCharge", "DotSize", "Version",
                            "MinorRev", "WinVer", "MyIPAddress", "DataColor", "PowerVisible", "OnPage",
                            "ReCalcLevel", "DatesFixed", "LastStudy", "LastKey", "StudyVisible"})
        EXPECT_EQ(count(*s, std::string("SELECT count(*) FROM urls WHERE Name = '") + key + "'"), 1) << key;
    EXPECT_EQ(s->settings().get("Version"), "24");
    EXPECT_EQ(s->settings().get("StateOfCharge"), "75");
    EXPECT_EQ(s->settings().get("OnPage"), "Wind");
    EXPECT_EQ(s->speedStatistic, "Average");
    EXPECT_TRUE(s->powerVisible);
    EXPECT_FALSE(s->revertVisible);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(StartUpTest, pendingUpdateStartsTheUpdaterOnlyWhenItExists) {
    test::writeFile(tmp / "UpdateNeeded.txt", "Update\r\n");
    start();
    EXPECT_TRUE(launched.empty());   // no Updater.exe: start-up goes on
    test::writeFile(tmp / "Updater.exe", "#!/bin/sh\n");
    start(session::Session::StartResult::UpdatePending);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], tmp.dir() + "Updater.exe");
}

TEST_F(StartUpTest, revertIsOfferedOnlyWithThePreviousProgram) {
    auto s = start();
    EXPECT_FALSE(s->revert());
    EXPECT_EQ(prompter.lastMessage(), "The previous version does not exist on this computer.");
    test::writeFile(tmp / "Skyloom_Previous.exe", "x");
    auto s2 = start();
    EXPECT_TRUE(s2->revertVisible);
    EXPECT_TRUE(s2->revert());
    EXPECT_EQ(test::readFile(tmp / "UpdateNeeded.txt"), "Revert\r\n");
    EXPECT_EQ(launched.back(), tmp.dir() + "Updater.exe");
}

TEST_F(StartUpTest, logIsDeletedAndALostDatabaseEndsTheStart) {
    test::writeFile(tmp / "Skyloom.log", "old log");
    start();
    EXPECT_FALSE(core::fileExists(tmp.dir() + "Skyloom.log"));
    fs::remove(tmp / "Skyloom.dat");
    start(session::Session::StartResult::BadDatabase);
    EXPECT_EQ(prompter.lastMessage(), "The file '" + tmp.dir() + "Skyloom.dat' is missing.");
}

TEST_F(StartUpTest, dataColorAboveTheSliderComesBackAsTheMidpoint) {
    start()->settings().set("DataColor", std::to_string(core::kDataColorMax + 1));
    auto s = start();
    EXPECT_EQ(s->dataColor, core::kDataColorDefault);
    s->settings().set("DataColor", std::to_string(core::kDataColorMax));
    EXPECT_EQ(start()->dataColor, core::kDataColorMax);
}

TEST_F(StartUpTest, lastKeyDefaultsToTheHelpKey) {
    {
        auto s = start();
        s->mainDb().db().exec("DELETE FROM urls WHERE Name = 'LastKey'");
        s->settings().set("HelpKey", "17");
    }
    auto s = start();
    EXPECT_EQ(s->helpKey, 17);
    EXPECT_EQ(s->lastKey, 17);
}

TEST_F(StartUpTest, analysisDatesAreRewrittenOnceThenFlagged) {
    {
        auto s = start();
        EXPECT_EQ(s->settings().get("DatesFixed"), "-1");  // nothing to rewrite: flag set all the same
        s->settings().set("DatesFixed", "0");
        s->mainDb().db().exec(
            "INSERT INTO datapoints (genname, selline, fromDate, toDate) VALUES "
            "('G', 'Albany, US from 1/1/90 to 12/31/90 with 00700 soundings', '1990-01-01', '1990-12-31'),"
            "('G', 'No dates here', '1990-01-01', '1990-12-31')");
    }
    auto s = start();
    EXPECT_EQ(s->mainDb().db().execAndGet("SELECT selline FROM datapoints ORDER BY key LIMIT 1").getString(),
              "Albany, US from 01-Jan-1990 to 31-Dec-1990 with 00700 soundings");
    EXPECT_EQ(s->mainDb().db().execAndGet("SELECT selline FROM datapoints ORDER BY key DESC LIMIT 1").getString(),
              "No dates here");
    EXPECT_EQ(s->settings().get("DatesFixed"), "-1");
}

TEST_F(StartUpTest, havedataFollowsTheDataFolder) {
    addDataFile(72518);
    auto s = start();
    EXPECT_EQ(count(*s, "SELECT count(*) FROM havedata WHERE wmo = 72518 AND NumSoundings = 789"), 1);
    EXPECT_EQ(count(*s, "SELECT HaveData FROM stations WHERE wmo = 72518"), -1);
    auto summary = session::stationSummary(s->mainDb(), 72518);
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->size(), 200 + std::string("42.69, -73.83#72518").size());
    EXPECT_EQ(summary->substr(200), "42.69, -73.83#72518");  // position from the station list
    EXPECT_EQ(summary->find(" from 01-Jan-1990 to 02-Jan-1991 ALL 1.0 yrs of 90-91 with 00789 soundings, "
                            "020000 data points, 1.2% ignored and 4.3% gaps."),
              summary->find(" from "));
    // A new file without a row: the check rebuilds; a stale row: rebuilt away.
    addDataFile(74494);
    s.reset();
    s = start();
    EXPECT_EQ(count(*s, "SELECT count(*) FROM havedata"), 2);
    fs::remove(tmp / "data/74494.dat");
    s.reset();
    s = start();
    EXPECT_EQ(count(*s, "SELECT count(*) FROM havedata"), 1);
}

TEST_F(StartUpTest, rebuildSkipsUnusableFilesAndDeletesPreviousCopies) {
    addDataFile(72518);
    addDataFile(72518, "72518_Previous.dat");
    test::writeFile(tmp / "data/99999.dat", "garbage, not a data file");
    test::writeFile(tmp / "data/88888.dat", "");
    auto s = start();
    s->rebuildDataIndex();
    EXPECT_EQ(count(*s, "SELECT count(*) FROM havedata"), 1);
    EXPECT_FALSE(core::fileExists(tmp.dir() + "data/72518_Previous.dat"));
    EXPECT_TRUE(core::fileExists(tmp.dir() + "data/99999.dat"));
    EXPECT_TRUE(prompter.messages.empty());
    // An empty data folder and an empty table agree: nothing to rebuild.
    for (auto f : {"72518.dat", "99999.dat", "88888.dat"}) fs::remove(tmp / "data" / f);
    s->mainDb().db().exec("DELETE FROM havedata");
    EXPECT_FALSE(sounding::checkHaveData(s->mainDb(), prompter));
}

TEST_F(StartUpTest, stationWithoutListEntryGetsOneFromItsFile) {
    addDataFile(12345);
    auto s = start();
    EXPECT_EQ(s->mainDb().db().execAndGet("SELECT stationname FROM stations WHERE wmo = 12345").getString(),
              "Station 12345");
    EXPECT_TRUE(s->stations().find(12345));
}

TEST(ProgramFolder, trailingSlashIsAddedOnce) {
    EXPECT_EQ(session::ensureTrailingSlash("/data"), "/data/");
    EXPECT_EQ(session::ensureTrailingSlash("/"), "/");
    EXPECT_EQ(session::ensureTrailingSlash("/data/"), "/data/");
}

TEST(ProgramFolder, initTwiceChangesNothingTheSecondTime) {
    test::TempFolder tmp;
    test::ScriptedPrompter p;
    core::NullProgress progress;
    ASSERT_TRUE(session::initProgramFolder(tmp.dir() + "folder", p, progress));
    auto before = test::readFile(tmp / "folder/Skyloom.dat");
    EXPECT_FALSE(session::initProgramFolder(tmp.dir() + "folder", p, progress));
    EXPECT_EQ(p.lastMessage(), "The program folder '" + tmp.dir() + "folder/' is already set up; nothing was changed.");
    EXPECT_EQ(test::readFile(tmp / "folder/Skyloom.dat"), before);
    EXPECT_TRUE(core::fileExists(tmp.dir() + "folder/empty.dat"));
    test::ScriptedPrompter q;
    session::Session s(tmp.dir() + "folder", q);
    ASSERT_EQ(s.startUp(), session::Session::StartResult::Ready);
    EXPECT_GT(s.stations().stations().size(), 150u);
    EXPECT_GT(s.stations().countries().size(), 50u);
}

// A folder made before the turbine library: it keeps its hand-typed curve and
// gains the library at its next start; a new folder holds the library alone.
TEST_F(StartUpTest, anOlderFolderGainsTheLibraryAtItsNextStart) {
    {
        auto s = start();
        EXPECT_EQ(count(*s, "SELECT count(*) FROM generators WHERE OrgData <> 0"), 76);
        EXPECT_EQ(count(*s, "SELECT count(*) FROM generators WHERE Name = 'Northern Power 100'"), 0);
        auto& db = s->mainDb().db();
        db.exec("DROP TABLE generatorinfo");
        db.exec("DELETE FROM generators");
        db.exec("INSERT INTO generators (Name, height, OrgData, CutInSpeed, spd1, kw1) "
                "VALUES ('Northern Power 100', 121, -1, 5.83, 7.78, 4.7)");
    }
    auto s = start();
    EXPECT_EQ(count(*s, "SELECT count(*) FROM generators"), 77);
    EXPECT_EQ(count(*s, "SELECT count(*) FROM generators WHERE Name = 'Northern Power 100' AND kw1 = 4.7"), 1);
    EXPECT_EQ(count(*s, "SELECT count(*) FROM generatorinfo"), 76);
}

TEST(SuppliedGeneratorTable, initSaysSoWhenTheTableCannotBeRead) {
    test::TempFolder tmp, data;
    for (const char* f : {"countries.csv", "stations.txt"}) fs::copy_file(test::projectData(f), data / f);
    ::setenv("SKYLOOM_DATA_DIR", data.dir().c_str(), 1);
    test::ScriptedPrompter prompter;
    core::NullProgress progress;
    const auto made = session::initProgramFolder(tmp.dir(), prompter, progress);
    ::unsetenv("SKYLOOM_DATA_DIR");
    EXPECT_EQ(made, session::InitResult::Failed);
    // Nothing half made: the folder has no main database, so the next init starts again.
    EXPECT_FALSE(fs::exists(tmp / "Skyloom.dat"));
    EXPECT_NE(prompter.lastMessage().find("the supplied generators were not added: the supplied generator table '"),
              std::string::npos)
        << prompter.lastMessage();
}

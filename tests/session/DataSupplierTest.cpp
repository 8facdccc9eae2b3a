#include <gtest/gtest.h>

#include <filesystem>

#include <SQLiteCpp/SQLiteCpp.h>

#include "StartedFolder.h"
#include "StationFileBuilder.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "session/DataSupplier.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

// A delivered station data file of wmo: twice-daily soundings from 1 June 2001 for the given days.
void deliver(const std::filesystem::path& file, long wmo, int days) {
    test::StationFileBuilder(file.string(), wmo)
        .addTwiceDaily(core::makeDate(2001, 6, 1), core::makeDate(2001, 6, days))
        .write();
}

int count(const std::string& path, const std::string& sql) {
    SQLite::Database db = core::openGuardedDatabase(path, true);
    return db.execAndGet(sql).getInt();
}

class DataSupplierTest : public ::testing::Test {
protected:
    void SetUp() override {
        s->launcher = [this](const std::string& program, const std::string& dir) {
            launched.push_back(program + " in " + dir);
            return launchWorks;
        };
        fs::create_directories(inbox);
    }
    int mainCount(const std::string& sql) { return s->mainDb().db().execAndGet(sql).getInt(); }

    test::StartedFolder f;
    test::TempFolder& tmp = f.tmp;
    test::ScriptedPrompter& prompter = f.prompter;
    std::unique_ptr<session::Session>& s = f.s;
    std::vector<std::string> launched;
    bool launchWorks = true;
    fs::path inbox = tmp / "supplier" / "inbox";
    fs::path updates = tmp / "supplier" / "updates";
};

}  // namespace

TEST_F(DataSupplierTest, locationFollowsItsSetting) {
    session::DataSupplier supplier(*s);
    EXPECT_EQ(supplier.location(), tmp.dir() + "supplier/");
    // A new program folder has the supplier's folders, so a first request for quotation arrives.
    for (const char* sub : {"USAGE", "inbox", "updates"}) EXPECT_TRUE(fs::is_directory(tmp / "supplier" / sub)) << sub;
    EXPECT_TRUE(supplier.upload(tmp / "Skyloom.dat"));
    EXPECT_EQ(s->settings().get("SupplierFolder"), "supplier/");
    s->settings().set("SupplierFolder", "file:///srv/skyloom");
    EXPECT_EQ(supplier.location(), "/srv/skyloom/");
    s->settings().set("SupplierFolder", "file://localhost/srv/x/");
    EXPECT_EQ(supplier.location(), "/srv/x/");
    s->settings().set("SupplierFolder", "ftp://ftp.example.org/");
    EXPECT_EQ(supplier.location(), "");
    EXPECT_FALSE(supplier.upload(tmp / "Skyloom.dat"));
}

TEST_F(DataSupplierTest, deliveredFileKeepsTheUsersIgnoredSoundingsOut) {
    const std::string current = test::StationFileBuilder::pathFor(tmp.dir(), 72518);
    const auto jan = [](int day) { return core::makeDate(1995, 1, day); };
    test::StationFileBuilder(current, 72518).addTwiceDaily(jan(1), jan(3)).write();
    // The user ignored the sounding of 2 January 12:00: it moved from `soundings` to `deleted`.
    const auto ignored = core::hoursSince1930(jan(2), 12);
    {
        SQLite::Database db = core::openGuardedDatabase(current, false);
        SQLite::Statement move(db, "INSERT INTO deleted (wmo, stationwmo, Date, Time, sounding, deletedall, "
                                   "deletedline, Reason, numdpdeleted) SELECT stationwmo, stationwmo, Date, Time, "
                                   "'text', 1, '', 'EndUser deleted', numpoints FROM soundings WHERE Hrs = ?");
        move.bind(1, ignored);
        ASSERT_EQ(move.exec(), 1);
        db.exec("DELETE FROM soundings WHERE Hrs = " + std::to_string(ignored));
    }
    // The delivery reaches one day further.
    test::StationFileBuilder((inbox / "72518.dat").string(), 72518).addTwiceDaily(jan(1), jan(4)).write();
    s->rebuildDataIndex();

    session::DataSupplier supplier(*s);
    EXPECT_EQ(supplier.installPurchasedData(), std::vector<long>{72518});
    EXPECT_FALSE(fs::exists(tmp / "data" / "72518_Previous.dat"));
    EXPECT_FALSE(fs::exists(inbox / "72518.dat"));
    EXPECT_EQ(count(current, "SELECT count(*) FROM soundings"), 7);
    EXPECT_EQ(count(current, "SELECT count(*) FROM soundings WHERE Hrs = " + std::to_string(ignored)), 0);
    EXPECT_EQ(count(current, "SELECT count(*) FROM deleted WHERE deletedall = 1 AND Reason = 'EndUser deleted'"), 1);
    EXPECT_EQ(mainCount("SELECT count(*) FROM havedata WHERE wmo = 72518 AND ToDate LIKE '1995-01-04%'"), 1);
    EXPECT_EQ(prompter.lastMessage(), "Purchased data was installed for 1 station: 72518.");
}

TEST_F(DataSupplierTest, newStationsAreAddedAndForeignFilesLeftInTheInbox) {
    deliver(inbox / "72520.dat", 72520, 1);
    deliver(inbox / "72528.dat", 72528, 2);
    test::writeFile(inbox / "72501.dat", std::string(5000, 'x'));
    deliver(inbox / "72502.dat", 72599, 1);   // named after another station
    test::writeFile(inbox / "readme.txt", "hello");
    test::writeFile(inbox / "72518_Previous.dat", "not a delivery");
    session::DataSupplier supplier(*s);
    EXPECT_EQ(supplier.installPurchasedData(), (std::vector<long>{72520, 72528}));
    EXPECT_TRUE(core::fileExists(tmp.dir() + "data/72520.dat"));
    EXPECT_TRUE(core::fileExists(tmp.dir() + "data/72528.dat"));
    EXPECT_TRUE(fs::exists(inbox / "72501.dat"));
    EXPECT_TRUE(fs::exists(inbox / "72502.dat"));
    EXPECT_FALSE(fs::exists(tmp / "data" / "72502.dat"));
    EXPECT_EQ(mainCount("SELECT count(*) FROM havedata WHERE wmo IN (72520, 72528)"), 2);
    EXPECT_NE(s->stations().find(72528), nullptr);
    ASSERT_EQ(prompter.messages.size(), 3u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(prompter.messages[i], "The delivered file '" + (inbox / ("7250" + std::to_string(i + 1) + ".dat")).string() +
                                            "' is not a station data file of that station; it was left where it is.");
    EXPECT_EQ(prompter.messages[2], "Purchased data was installed for 2 stations: 72520, 72528.");
}

TEST_F(DataSupplierTest, emptyOrMissingInboxSaysSo) {
    session::DataSupplier supplier(*s);
    EXPECT_TRUE(supplier.installPurchasedData().empty());
    fs::remove_all(inbox);
    EXPECT_TRUE(supplier.installPurchasedData().empty());
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>(2, "There are no purchased data files waiting for this computer."));
}

// ---- Program updates -------------------------------------------------------

TEST_F(DataSupplierTest, noUpdatesReachableOrNoneNewer) {
    session::DataSupplier supplier(*s);
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::Unavailable);
    EXPECT_EQ(prompter.lastMessage(), "Skyloom could not reach the program updates at '" + tmp.dir() +
                                          "supplier/updates/'. Please try again later.");
    fs::create_directories(updates);
    test::writeFile(updates / "version.txt", "24\r\n");
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::UpToDate);
    EXPECT_EQ(prompter.lastMessage(), "You have the latest version of Skyloom (version 24).");
    EXPECT_TRUE(launched.empty());
    EXPECT_FALSE(fs::exists(tmp / "UpdateNeeded.txt"));
}

TEST_F(DataSupplierTest, newerProgramIsHandedToTheUpdater) {
    fs::create_directories(updates);
    test::writeFile(updates / "version.txt", "25\r\n");
    test::writeFile(updates / "skyloom", "new program");
    test::writeFile(updates / "Updater.exe", "new updater");
    session::DataSupplier supplier(*s);
    prompter.no();
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::Declined);
    EXPECT_EQ(prompter.questions.back(),
              "Version 25 of Skyloom is available; this is version 24.\n\nShall I install it now? Skyloom will close "
              "while the update is installed.");
    EXPECT_TRUE(launched.empty());
    prompter.yes();
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::EndProgram);
    EXPECT_EQ(test::readFile(tmp / "UpdateNeeded.txt"), "Update\r\n");
    EXPECT_EQ(test::readFile(tmp / "Updater.exe"), "new updater");
    EXPECT_EQ(test::readFile(tmp / "update" / "skyloom"), "new program");
    EXPECT_FALSE(fs::exists(tmp / "update" / "version.txt"));
    EXPECT_EQ(launched, std::vector<std::string>{tmp.dir() + "Updater.exe in " + tmp.dir()});
}

TEST_F(DataSupplierTest, updateWithoutAnUpdaterOrAFailedStartLeavesNoPendingRequest) {
    fs::create_directories(updates);
    test::writeFile(updates / "version.txt", "30");
    session::DataSupplier supplier(*s);
    prompter.yes();
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::Failed);
    EXPECT_EQ(prompter.lastMessage(),
              "The updater '" + tmp.dir() + "Updater.exe' is missing, so the update can not be installed.");
    EXPECT_FALSE(fs::exists(tmp / "UpdateNeeded.txt"));
    test::writeFile(tmp / "Updater.exe", "old updater");
    launchWorks = false;
    prompter.yes();
    EXPECT_EQ(supplier.checkForProgramUpdates(), session::DataSupplier::UpdateCheck::Failed);
    EXPECT_EQ(prompter.lastMessage(), "The updater '" + tmp.dir() + "Updater.exe' could not be started.");
    EXPECT_FALSE(fs::exists(tmp / "UpdateNeeded.txt"));
}

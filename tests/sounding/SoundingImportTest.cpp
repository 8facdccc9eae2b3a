#include "sounding/SoundingImport.h"

#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "ImportTestText.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/MainDatabase.h"
#include "core/Progress.h"
#include "sounding/QualityCheck.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
using namespace skyloom::sounding;
using test::FslLine;

namespace {

// A program folder with its empty station data file.
struct ImportFolder {
    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    ImportFolder() {
        std::filesystem::create_directories(folder / "data");
        StationDataFile::createEmpty((folder / "empty.dat").string());
    }
    std::string dir() const { return folder.dir(); }
    std::string dataFile(long wmo) const { return (folder / ("data/" + std::to_string(wmo) + ".dat")).string(); }
    std::int64_t count(long wmo, const std::string& sql) const {
        SQLite::Database db = core::openGuardedDatabase(dataFile(wmo), false);
        SQLite::Statement q(db, sql);
        q.executeStep();
        return q.getColumn(0).getInt64();
    }
    std::string text(long wmo, const std::string& sql) const {
        SQLite::Database db = core::openGuardedDatabase(dataFile(wmo), false);
        SQLite::Statement q(db, sql);
        if (!q.executeStep() || q.getColumn(0).isNull()) return "<none>";
        return q.getColumn(0).getString();
    }
};

// Winds from the ground to 6000 ft at a station 20 m up (heights in m MSL).
std::vector<FslLine> goodLines(long pressureScale) {
    return {{9, 1003 * pressureScale, 20, 272, 241, 20, 3},     {6, 990 * pressureScale, 130, 262, 200, 40, 8},
            {6, 966 * pressureScale, 329, 250, 199, 300, 22},   {4, 925 * pressureScale, 731, 242, 239, 305, 26},
            {6, 900 * pressureScale, 1050, 210, 180, 310, 25},  {4, 850 * pressureScale, 1468, 188, 181, 315, 14},
            {6, 780 * pressureScale, 2133, 140, 100, 315, 18}};
}

std::string goodSounding(int day, long wmo = 87576) {
    return test::fslSounding(12, day, "JAN", 2019, wmo, goodLines(10));
}

// Three points only: rejected.
std::string thinSounding(int day) {
    return test::fslSounding(0, day, "JAN", 2019, 87576,
                             {{9, 10030, 20, 272, 241, 20, 3}, {4, 9250, 731, 242, 239, 305, 26},
                              {6, 7858, 2133, 99999, 99999, 315, 18}});
}

// First wind at 300 m (919 ft above the station): between Lalt and Malt only when Malt is raised;
// here at 100 m: 262 ft, so it comes up for review.
std::string reviewSounding(int day) {
    auto lines = goodLines(10);
    lines[0].direction = 99999;
    lines[0].speed = 99999;
    lines[1].height = 100;
    return test::fslSounding(12, day, "JAN", 2019, 87576, lines);
}

class ThrowingDecider final : public ReviewDecider {
public:
    bool accept(const SoundingRecord&, std::string_view, std::string_view) override {
        throw std::runtime_error("import killed");
    }
};

// Asks to stop once the import has stepped past a given sounding.
class StopAfter final : public core::Progress {
public:
    explicit StopAfter(std::int64_t n) : n_(n) {}
    void step(std::int64_t done, std::int64_t, std::string_view) override { last_ = done; }
    bool cancelRequested() override { return ++polls_ > n_; }
private:
    std::int64_t n_, last_ = 0, polls_ = 0;
};

class RecordingDecider final : public ReviewDecider {
public:
    explicit RecordingDecider(bool answer) : answer_(answer) {}
    bool accept(const SoundingRecord& r, std::string_view raw, std::string_view reason) override {
        dates.push_back(r.date);
        rawTexts.emplace_back(raw);
        reasons.emplace_back(reason);
        return answer_;
    }
    std::vector<core::Days> dates;
    std::vector<std::string> rawTexts, reasons;
private:
    bool answer_;
};

}  // namespace

TEST(SoundingImport, bothMarkersImportAlike) {
    ImportFolder f;
    std::string tenths = test::fslSounding(12, 2, "JAN", 2019, 87576, goodLines(10), "99999", "kt");
    std::string whole = test::fslSounding(12, 2, "JAN", 2019, 72518, goodLines(1), "32767", "kt");
    auto a = importText(f.dir(), 87576, tenths, {}, f.prompter);
    auto b = importText(f.dir(), 72518, whole, {}, f.prompter);
    ASSERT_EQ(a.added, 1);
    ASSERT_EQ(b.added, 1);
    for (const char* col : {"gndspd", "GNDDir", "GNDtemp", "GNDpres", "\"500spd\"", "\"2500press\"", "\"5000temp\"",
                            "bands", "numpoints", "BadPressureData", "BadTemperatureData"})
        EXPECT_EQ(f.text(87576, std::string("SELECT ") + col + " FROM soundings"),
                  f.text(72518, std::string("SELECT ") + col + " FROM soundings"))
            << col;
    EXPECT_EQ(f.text(87576, "SELECT GNDpres FROM soundings"), "100300");   // 1003.0 mb in hundredths
    EXPECT_EQ(f.text(87576, "SELECT BadPressureData FROM soundings"), "0");
}

TEST(SoundingImport, sameTextTwiceAddsNothingTheSecondTime) {
    ImportFolder f;
    std::string text = goodSounding(2) + goodSounding(3) + thinSounding(4);
    auto first = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(first.added, 2);
    EXPECT_EQ(first.rejected, 1);
    auto second = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.rejected, 0);
    EXPECT_EQ(second.duplicates, 3);
    EXPECT_EQ(second.report, "No unique soundings that we have not got in the database were found.");
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM soundings"), 2);
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM deleted"), 1);
}

TEST(SoundingImport, reportNamesTheAddedRangeAndPoints) {
    ImportFolder f;
    auto r = importText(f.dir(), 87576, goodSounding(3) + goodSounding(2), {}, f.prompter);
    EXPECT_EQ(r.report, " Added 2 unique soundings from Wednesday Jan-02-2019 to Thursday Jan-03-2019 with 14 data points.");
    auto none = importText(f.dir(), 87576, thinSounding(9), {}, f.prompter);
    EXPECT_EQ(none.report, "AFTER OUR REVIEW OF THE DATA, NO VALID SOUNDINGS WERE FOUND");
}

TEST(SoundingImport, rejectedSoundingKeepsRawTextReasonAndPointCount) {
    ImportFolder f;
    importText(f.dir(), 87576, thinSounding(4), {}, f.prompter);
    EXPECT_EQ(f.text(87576, "SELECT Reason FROM deleted"), "Not enough data points <4 = 3 .");
    std::string crlf;
    for (char c : thinSounding(4)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(f.text(87576, "SELECT sounding FROM deleted"), crlf);
    EXPECT_EQ(f.count(87576, "SELECT numdpdeleted FROM deleted"), 3);
    EXPECT_EQ(f.count(87576, "SELECT deletedall FROM deleted"), 1);
    EXPECT_EQ(f.text(87576, "SELECT deletedline FROM deleted"), "");
    EXPECT_EQ(f.text(87576, "SELECT Date || ' ' || Time FROM deleted"), "2019-01-04 00:00:00");
}

TEST(SoundingImport, reviewDeciderAcceptsOrDeletes) {
    ImportFolder f;
    RecordingDecider no(false);
    ImportOptions opt;
    opt.decider = &no;
    auto r = importText(f.dir(), 87576, reviewSounding(5) + goodSounding(6), opt, f.prompter);
    EXPECT_EQ(r.reviewed, 1);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.rejected, 1);
    ASSERT_EQ(no.dates.size(), 1u);
    EXPECT_EQ(no.dates[0], core::makeDate(2019, 1, 5));
    EXPECT_EQ(no.rawTexts[0].substr(0, 40), "    254     12      5      JAN    2019\r\n");
    EXPECT_EQ(f.text(87576, "SELECT Reason FROM deleted"), " User reviewed and deleted it.");

    RecordingDecider yes(true);
    opt.decider = &yes;
    auto r2 = importText(f.dir(), 87576, reviewSounding(7), opt, f.prompter);
    EXPECT_EQ(r2.added, 1);
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM soundings WHERE Date = '2019-01-07'"), 1);
}

TEST(SoundingImport, secondStationInOneFileIsNotAdded) {
    ImportFolder f;
    auto r = importText(f.dir(), 87576, goodSounding(2) + goodSounding(3, 87344), {}, f.prompter);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.otherStation, 1);
    EXPECT_EQ(f.text(87576, "SELECT Reason FROM deleted WHERE stationwmo = 87344"), "Multiple wmo not added");
    EXPECT_FALSE(core::fileExists(f.dataFile(87344)));
    auto again = importText(f.dir(), 87576, goodSounding(2) + goodSounding(3, 87344), {}, f.prompter);
    EXPECT_EQ(again.duplicates, 2);
}

TEST(SoundingImport, unreadableSoundingsAreKeptOnceAndTheRestImports) {
    ImportFolder f;
    std::string text = "\x01\x02\xff junk\n    254     12     40      JAN    2019\n      1  99999  87576\n" + goodSounding(2) +
                       "    254     12      3      JAN    2019\n      4  abc";
    auto r = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.unreadable, 2);
    auto again = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(again.unreadable, 0);
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM deleted"), 2);
    EXPECT_EQ(f.text(87576, "SELECT Reason FROM deleted WHERE Date IS NULL"), "Unreadable sounding header.");
}

TEST(SoundingImport, interruptedImportLeavesTheFileAsItWasAndARepeatCompletesIt) {
    ImportFolder f;
    importText(f.dir(), 87576, goodSounding(1), {}, f.prompter);
    ThrowingDecider killer;
    ImportOptions opt;
    opt.decider = &killer;
    std::string text = goodSounding(2) + reviewSounding(5) + goodSounding(6);
    EXPECT_THROW(importText(f.dir(), 87576, text, opt, f.prompter), std::runtime_error);
    auto file = StationDataFile::open(f.dataFile(87576), true, f.prompter);
    ASSERT_TRUE(file);
    file.reset();
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM soundings"), 1);
    auto r = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM soundings"), 4);
}

TEST(SoundingImport, fileSummaryAndHaveDataRowDescribeTheWholeFile) {
    ImportFolder f;
    importText(f.dir(), 87576, goodSounding(3) + thinSounding(4), {}, f.prompter);
    importText(f.dir(), 87576, goodSounding(2), {}, f.prompter);
    EXPECT_EQ(f.text(87576, "SELECT fromDate || ' ' || toDate FROM stations"), "2019-01-02 2019-01-03");
    EXPECT_EQ(f.count(87576, "SELECT NumSoundings FROM stations"), 2);
    EXPECT_EQ(f.count(87576, "SELECT NumDataPoints FROM stations"), 14);
    EXPECT_EQ(f.count(87576, "SELECT NumDeletedDataPoints FROM stations"), 3);
    EXPECT_EQ(f.count(87576, "SELECT NumDeletedSoundings FROM stations"), 1);
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM stations"), 1);
    EXPECT_EQ(f.text(87576, "SELECT lat || ' ' || lon || ' ' || elev FROM stations"), "-34.82 -58.53 20.0");
    EXPECT_EQ(f.text(87576, "SELECT wmo || ' ' || FromDate || ' ' || ToDate || ' ' || NumSoundings || ' ' || "
                            "NumDataPoints || ' ' || NumDeletedDataPoints || ' ' || NumDeletedSoundings FROM HaveData"),
              "87576 2019-01-02 2019-01-03 2 14 3 1");
}

TEST(SoundingImport, missingStationFileIsMadeFromEmptyDat) {
    ImportFolder f;
    std::filesystem::remove(f.folder / "data");
    auto r = importText(f.dir(), 87576, goodSounding(2), {}, f.prompter);
    EXPECT_EQ(r.added, 1);
    EXPECT_TRUE(core::fileExists(f.dataFile(87576)));
    // Without "empty.dat" the file is made from scratch.
    std::filesystem::remove(f.folder / "empty.dat");
    auto r2 = importText(f.dir(), 72518, goodSounding(2, 72518), {}, f.prompter);
    EXPECT_EQ(r2.added, 1);
    EXPECT_FALSE(core::fileExists(f.dataFile(72518) + ".new"));
}

TEST(SoundingImport, rawTextFileNameMustBeginWithTheWmo) {
    ImportFolder f;
    EXPECT_EQ(wmoFromFileName("/x/87576 Ezeiza.txt"), 87576);
    EXPECT_EQ(wmoFromFileName("1234567 x.txt"), 1234567);
    EXPECT_EQ(wmoFromFileName("12345678 x.txt"), 0);   // blank not within the first 8 characters
    EXPECT_EQ(wmoFromFileName("Ezeiza 87576.txt"), 0);
    EXPECT_EQ(wmoFromFileName("87576.txt"), 0);
    EXPECT_EQ(wmoFromFileName(" 87576 x.txt"), 0);
    test::writeFile(f.folder / "Ezeiza.txt", goodSounding(2));
    auto bad = importFile(f.dir(), (f.folder / "Ezeiza.txt").string(), {}, f.prompter);
    EXPECT_TRUE(bad.failed);
    EXPECT_EQ(f.prompter.lastMessage(), "Need WMO at start with space after it, rename it.");
    EXPECT_FALSE(core::fileExists(f.dataFile(87576)));
    test::writeFile(f.folder / "87576 Ezeiza.txt", goodSounding(2));
    auto good = importFile(f.dir(), (f.folder / "87576 Ezeiza.txt").string(), {}, f.prompter);
    EXPECT_EQ(good.added, 1);
    EXPECT_EQ(f.prompter.messages.size(), 1u);   // the report is the caller's to show
    // A station named by the caller needs no such name.
    auto named = importFile(f.dir(), (f.folder / "Ezeiza.txt").string(), {}, f.prompter, 87576L);
    EXPECT_EQ(named.duplicates, 1);
}

TEST(SoundingImport, emptyAndBinaryFilesImportNothingAndSayNothingNew) {
    ImportFolder f;
    auto empty = importText(f.dir(), 87576, "", {}, f.prompter);
    EXPECT_EQ(empty.report, "No unique soundings that we have not got in the database were found.");
    std::string junk;
    for (int i = 0; i < 4000; ++i) junk += static_cast<char>((i * 7919) % 256);
    auto bin = importText(f.dir(), 87576, junk, {}, f.prompter);
    EXPECT_EQ(bin.added, 0);
    EXPECT_FALSE(bin.failed);
}

TEST(SoundingImport, realSamplesOfEveryFormatImport) {
    ImportFolder f;
    auto esrl = importFile(f.dir(), test::sharedData("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl").string(), {}, f.prompter, 87576L);
    EXPECT_EQ(esrl.added + esrl.rejected, 368);
    EXPECT_GT(esrl.added, 290);
    // The pilot soundings begin 900 ft up: deleted as first wind above Malt.
    EXPECT_EQ(f.count(87576, "SELECT count(*) FROM deleted WHERE Reason = ' First wind altitude was above 500 feet AGL.'"),
              esrl.rejected);
    auto alb = importFile(f.dir(), test::sharedData("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), {}, f.prompter, 72518L);
    EXPECT_EQ(alb.added + alb.rejected + alb.duplicates, 789);
    EXPECT_GT(alb.added, 750);
    auto igra = importFile(f.dir(), test::sharedData("igra2/CAM00071701-data.txt").string(), {}, f.prompter);
    EXPECT_EQ(igra.wmo, 71701);
    EXPECT_EQ(igra.added + igra.rejected + igra.duplicates, 242);
    EXPECT_GT(igra.added, 230);
    auto wy = importFile(f.dir(), test::sharedData("wyoming/uwyo_72672_RIW_2019052800.html").string(), {}, f.prompter);
    EXPECT_EQ(wy.wmo, 72672);
    EXPECT_EQ(wy.added, 1);
    EXPECT_EQ(wy.report, " Added 1 unique soundings from Tuesday May-28-2019 to Tuesday May-28-2019 with 45 data points.");
}

TEST(SoundingImport, cancelledImportKeepsWhatWasDoneAndARepeatCompletesIt) {
    ImportFolder f;
    std::string text;
    for (int d = 1; d <= 20; ++d) text += goodSounding(d);
    StopAfter stop(5);
    ImportOptions opt;
    opt.progress = &stop;
    auto r = importText(f.dir(), 87576, text, opt, f.prompter);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.added, 5);
    EXPECT_EQ(f.count(87576, "SELECT NumSoundings FROM HaveData"), 5);
    auto rest = importText(f.dir(), 87576, text, {}, f.prompter);
    EXPECT_EQ(rest.added, 15);
    EXPECT_EQ(rest.duplicates, 5);
}

TEST(SoundingImport, stationsHaveDataRowIsRefreshedInTheMainDatabase) {
    ImportFolder f;
    core::MainDatabase::create(f.dir() + "Skyloom.dat");
    core::MainDatabase main(f.dir());
    ASSERT_TRUE(main.open(f.prompter));
    ImportOptions opt;
    opt.mainDb = &main;
    importText(f.dir(), 87576, goodSounding(2) + goodSounding(5), opt, f.prompter);
    SQLite::Statement q(main.db(), "SELECT FromDate, ToDate, NumSoundings, NumDataPoints FROM havedata WHERE wmo = 87576");
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "2019-01-02");
    EXPECT_EQ(q.getColumn(1).getString(), "2019-01-05");
    EXPECT_EQ(q.getColumn(2).getInt(), 2);
    EXPECT_EQ(q.getColumn(3).getInt(), 14);
    importText(f.dir(), 87576, goodSounding(9), opt, f.prompter);
    SQLite::Statement again(main.db(), "SELECT count(*), max(NumSoundings) FROM havedata WHERE wmo = 87576");
    ASSERT_TRUE(again.executeStep());
    EXPECT_EQ(again.getColumn(0).getInt(), 1);
    EXPECT_EQ(again.getColumn(1).getInt(), 3);
}

TEST(SoundingImport, absurdValuesAreLeftOutNotStored) {
    ImportFolder f;
    auto lines = goodLines(10);
    lines.push_back({6, 99999, 2000000000, 99999, 99999, 270, 50});    // 2,000,000 km up
    lines.push_back({6, 99999, 900, 99999, 99999, 270, 9000});          // 9000 kt
    lines.push_back({5, 99999, 1000, 9999, 99999, 99999, 99999});       // 999.9 C
    lines.push_back({4, -50000, 1100, 99999, 99999, 99999, 99999});     // negative pressure
    auto r = importText(f.dir(), 87576, test::fslSounding(12, 2, "JAN", 2019, 87576, lines), {}, f.prompter);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(f.count(87576, "SELECT numpoints FROM soundings"), 7);
    EXPECT_LT(f.count(87576, "SELECT max(\"3000spd\") FROM soundings"), 300);
}

#include "sounding/SoundingImport.h"

#include <filesystem>
#include <functional>
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
using test::goodSounding;

namespace {

constexpr long kEzeiza = 87576;

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
    ImportResult import(const std::string& text, const ImportOptions& opt = {}, long wmo = kEzeiza) {
        return importText(dir(), wmo, text, opt, prompter);
    }
    // The first column of the first row of a query on a station data file, as text.
    std::string value(const std::string& sql, long wmo = kEzeiza) const {
        SQLite::Database db = core::openGuardedDatabase(dataFile(wmo), false);
        SQLite::Statement q(db, sql);
        if (!q.executeStep() || q.getColumn(0).isNull()) return "<none>";
        return q.getColumn(0).getString();
    }
};

std::string good(int day, long wmo = kEzeiza) { return goodSounding(day, wmo); }

// Three points only: rejected.
std::string thinSounding(int day) {
    return test::fslSounding(0, day, "JAN", 2019, kEzeiza,
                             {{9, 10030, 20, 272, 241, 20, 3}, {4, 9250, 731, 242, 239, 305, 26},
                              {6, 7858, 2133, 99999, 99999, 315, 18}});
}

std::string reviewSounding(int day) { return test::soundingNeedingReview(day, kEzeiza); }

// Answers the reviews through a function of the sounding and its raw text.
class DeciderFn final : public ReviewDecider {
public:
    explicit DeciderFn(std::function<bool(const SoundingRecord&, std::string_view)> f) : f_(std::move(f)) {}
    bool accept(const SoundingRecord& r, std::string_view raw, std::string_view) override { return f_(r, raw); }
private:
    std::function<bool(const SoundingRecord&, std::string_view)> f_;
};

// Asks to stop once the import has stepped past a given sounding.
class StopAfter final : public core::Progress {
public:
    explicit StopAfter(std::int64_t n) : n_(n) {}
    void step(std::int64_t, std::int64_t, std::string_view) override {}
    bool cancelRequested() override { return ++polls_ > n_; }
private:
    std::int64_t n_, polls_ = 0;
};

}  // namespace

TEST(SoundingImport, bothMarkersImportAlike) {
    ImportFolder f;
    auto wholeMillibars = test::windLinesTo7000Feet();
    for (auto& l : wholeMillibars) l.pressure /= 10;
    ASSERT_EQ(f.import(good(2)).added, 1);
    ASSERT_EQ(f.import(test::fslSounding(12, 2, "JAN", 2019, 72518, wholeMillibars, "32767"), {}, 72518).added, 1);
    for (const char* col : {"gndspd", "GNDDir", "GNDtemp", "GNDpres", "\"500spd\"", "\"2500press\"", "\"5000temp\"",
                            "bands", "numpoints", "BadPressureData", "BadTemperatureData"})
        EXPECT_EQ(f.value(std::string("SELECT ") + col + " FROM soundings"),
                  f.value(std::string("SELECT ") + col + " FROM soundings", 72518))
            << col;
    // 1003.0 mb in hundredths.
    EXPECT_EQ(f.value("SELECT GNDpres || ' ' || BadPressureData FROM soundings"), "100300 0");
}

TEST(SoundingImport, reportNamesTheAddedRangeAndTheSameTextTwiceAddsNothing) {
    ImportFolder f;
    std::string text = good(3) + good(2) + thinSounding(4);
    auto first = f.import(text);
    EXPECT_EQ(first.added, 2);
    EXPECT_EQ(first.rejected, 1);
    EXPECT_EQ(first.report,
              " Added 2 unique soundings from Wednesday Jan-02-2019 to Thursday Jan-03-2019 with 14 data points.");
    auto second = f.import(text);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.rejected, 0);
    EXPECT_EQ(second.duplicates, 3);
    EXPECT_EQ(second.report, "No unique soundings that we have not got in the database were found.");
    EXPECT_EQ(f.value("SELECT (SELECT count(*) FROM soundings) || ' ' || (SELECT count(*) FROM deleted)"), "2 1");
    EXPECT_EQ(f.import(thinSounding(9)).report, "AFTER OUR REVIEW OF THE DATA, NO VALID SOUNDINGS WERE FOUND");
}

TEST(SoundingImport, rejectedSoundingKeepsRawTextReasonAndPointCount) {
    ImportFolder f;
    f.import(thinSounding(4));
    EXPECT_EQ(f.value("SELECT Reason FROM deleted"), "Not enough data points <4 = 3 .");
    std::string crlf;
    for (char c : thinSounding(4)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(f.value("SELECT sounding FROM deleted"), crlf);
    EXPECT_EQ(f.value("SELECT numdpdeleted || ' ' || deletedall || ' [' || deletedline || '] ' || Date || ' ' || Time "
                      "FROM deleted"),
              "3 1 [] 2019-01-04 00:00:00");
}

TEST(SoundingImport, reviewDeciderAcceptsOrDeletes) {
    ImportFolder f;
    std::vector<std::pair<core::Days, std::string>> asked;
    bool answer = false;
    DeciderFn decider([&](const SoundingRecord& r, std::string_view raw) {
        asked.emplace_back(r.date, raw.substr(0, 40));
        return answer;
    });
    ImportOptions opt;
    opt.decider = &decider;
    auto r = f.import(reviewSounding(5) + good(6), opt);
    EXPECT_EQ(r.reviewed, 1);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.rejected, 1);
    EXPECT_EQ(asked, (std::vector<std::pair<core::Days, std::string>>{
                         {core::makeDate(2019, 1, 5), "    254      0      5      JAN    2019\r\n"}}));
    EXPECT_EQ(f.value("SELECT Reason FROM deleted"), " User reviewed and deleted it.");
    answer = true;
    EXPECT_EQ(f.import(reviewSounding(7), opt).added, 1);
    EXPECT_EQ(f.value("SELECT count(*) FROM soundings WHERE Date = '2019-01-07'"), "1");
}

TEST(SoundingImport, aReviewNobodyCanDecideStopsTheImportBeforeThatSounding) {
    ImportFolder f;
    DeciderFn nobody([](const SoundingRecord&, std::string_view) -> bool {
        throw ReviewUndecided("nobody is there");
    });
    ImportOptions opt;
    opt.decider = &nobody;
    auto r = f.import(good(4) + reviewSounding(5) + good(6), opt);
    EXPECT_EQ(r.undecided, "nobody is there");
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.reviewed, 0);
    // Nothing was recorded for the undecided sounding, nor for the one after it.
    EXPECT_EQ(f.value("SELECT count(*) FROM deleted"), "0");
    EXPECT_EQ(f.value("SELECT count(*) FROM soundings"), "1");

    // Run again with a decision: the stored sounding is skipped, the rest completes;
    // a batch rejection says it was no one's review.
    FixedReviewDecider reject(false);
    opt.decider = &reject;
    r = f.import(good(4) + reviewSounding(5) + good(6), opt);
    EXPECT_TRUE(r.undecided.empty());
    EXPECT_EQ(r.duplicates, 1);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.rejected, 1);
    EXPECT_EQ(f.value("SELECT Reason FROM deleted"),
              " Deleted without review (every sounding that needed review was rejected).");
}

TEST(SoundingImport, secondStationInOneFileIsNotAdded) {
    ImportFolder f;
    auto r = f.import(good(2) + good(3, 87344));
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.otherStation, 1);
    EXPECT_EQ(f.value("SELECT Reason FROM deleted WHERE stationwmo = 87344"), "Multiple wmo not added");
    EXPECT_FALSE(core::fileExists(f.dataFile(87344)));
    EXPECT_EQ(f.import(good(2) + good(3, 87344)).duplicates, 2);
}

TEST(SoundingImport, unreadableSoundingsAreKeptOnceAndTheRestImports) {
    ImportFolder f;
    std::string text = "\x01\x02\xff junk\n    254     12     40      JAN    2019\n      1  99999  87576\n" + good(2) +
                       "    254     12      3      JAN    2019\n      4  abc";
    auto r = f.import(text);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.unreadable, 2);
    EXPECT_EQ(f.import(text).unreadable, 0);
    EXPECT_EQ(f.value("SELECT count(*) FROM deleted"), "2");
    EXPECT_EQ(f.value("SELECT Reason FROM deleted WHERE Date IS NULL"), "Unreadable sounding header.");
    // Empty and binary files import nothing and say nothing is new.
    EXPECT_EQ(f.import("").report, "No unique soundings that we have not got in the database were found.");
    std::string junk;
    for (int i = 0; i < 4000; ++i) junk += static_cast<char>((i * 7919) % 256);
    auto bin = f.import(junk);
    EXPECT_EQ(bin.added, 0);
    EXPECT_FALSE(bin.failed);
}

TEST(SoundingImport, interruptedImportLeavesTheFileAsItWasAndARepeatCompletesIt) {
    ImportFolder f;
    f.import(good(1));
    DeciderFn killer([](const SoundingRecord&, std::string_view) -> bool { throw std::runtime_error("import killed"); });
    ImportOptions opt;
    opt.decider = &killer;
    std::string text = good(2) + reviewSounding(5) + good(6);
    EXPECT_THROW(f.import(text, opt), std::runtime_error);
    ASSERT_TRUE(StationDataFile::open(f.dataFile(kEzeiza), true, f.prompter));
    EXPECT_EQ(f.value("SELECT count(*) FROM soundings"), "1");
    EXPECT_EQ(f.import(text).added, 3);
    EXPECT_EQ(f.value("SELECT count(*) FROM soundings"), "4");
}

TEST(SoundingImport, fileSummaryAndHaveDataRowDescribeTheWholeFile) {
    ImportFolder f;
    f.import(good(3) + thinSounding(4));
    f.import(good(2));
    EXPECT_EQ(f.value("SELECT count(*) FROM stations"), "1");
    EXPECT_EQ(f.value("SELECT fromDate || ' ' || toDate || ' ' || NumSoundings || ' ' || NumDataPoints || ' ' || "
                      "NumDeletedDataPoints || ' ' || NumDeletedSoundings || ' ' || lat || ' ' || lon || ' ' || elev "
                      "FROM stations"),
              "2019-01-02 2019-01-03 2 14 3 1 -34.82 -58.53 20.0");
    EXPECT_EQ(f.value("SELECT wmo || ' ' || FromDate || ' ' || ToDate || ' ' || NumSoundings || ' ' || "
                      "NumDataPoints || ' ' || NumDeletedDataPoints || ' ' || NumDeletedSoundings FROM HaveData"),
              "87576 2019-01-02 2019-01-03 2 14 3 1");
}

TEST(SoundingImport, missingStationFileIsMadeFromEmptyDat) {
    ImportFolder f;
    std::filesystem::remove(f.folder / "data");
    EXPECT_EQ(f.import(good(2)).added, 1);
    EXPECT_TRUE(core::fileExists(f.dataFile(kEzeiza)));
    // Without "empty.dat" the file is made from scratch.
    std::filesystem::remove(f.folder / "empty.dat");
    EXPECT_EQ(f.import(good(2, 72518), {}, 72518).added, 1);
    EXPECT_FALSE(core::fileExists(f.dataFile(72518) + ".new"));
}

TEST(SoundingImport, theStationOfARawTextFileIsTheNumberItsNameBeginsWith) {
    // A blank must come within the first 8 characters, after the number.
    const std::pair<const char*, long> names[] = {{"/x/87576 Ezeiza.txt", 87576}, {"1234567 x.txt", 1234567},
                                                  {"12345678 x.txt", 0}, {"Ezeiza 87576.txt", 0},
                                                  {"87576.txt", 0}, {" 87576 x.txt", 0}};
    for (const auto& [name, wmo] : names) EXPECT_EQ(wmoFromFileName(name), wmo) << name;
    ImportFolder f;
    test::writeFile(f.folder / "87576 Ezeiza.txt", good(2));
    EXPECT_EQ(importFile(f.dir(), (f.folder / "87576 Ezeiza.txt").string(), {}, f.prompter).added, 1);
    EXPECT_TRUE(f.prompter.messages.empty());   // the report is the caller's to show
    // A station named by the caller decides over the name.
    test::writeFile(f.folder / "72518 Ezeiza.txt", good(2));
    EXPECT_EQ(importFile(f.dir(), (f.folder / "72518 Ezeiza.txt").string(), {}, f.prompter, kEzeiza).duplicates, 1);
}

TEST(SoundingImport, realSamplesOfEveryFormatImport) {
    ImportFolder f;
    auto sample = [&](const char* file, std::optional<long> wmo = std::nullopt) {
        return importFile(f.dir(), test::sample(file).string(), {}, f.prompter, wmo);
    };
    auto esrl = sample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", kEzeiza);
    // Every sounding of every sample is read: none unreadable or of another station.
    EXPECT_EQ(esrl.added + esrl.rejected, 368);
    EXPECT_EQ(esrl.duplicates + esrl.unreadable + esrl.otherStation, 0);
    EXPECT_GT(esrl.added, 290);
    // The pilot soundings begin 900 ft up: deleted as first wind above Malt.
    EXPECT_EQ(f.value("SELECT count(*) FROM deleted WHERE Reason = ' First wind altitude was above 500 feet AGL.'"),
              std::to_string(esrl.rejected));
    auto alb = sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", 72518L);
    EXPECT_EQ(alb.added + alb.rejected + alb.duplicates, 789);
    EXPECT_EQ(alb.unreadable + alb.otherStation, 0);
    EXPECT_GT(alb.added, 750);
    auto igra = sample("igra2/CAM00071701-data.txt");
    EXPECT_EQ(igra.wmo, 71701);
    EXPECT_EQ(igra.added + igra.rejected + igra.duplicates, 242);
    EXPECT_EQ(igra.unreadable + igra.otherStation, 0);
    EXPECT_GT(igra.added, 230);
    auto wy = importFile(f.dir(), test::testData("wyoming/72672 riverton two soundings own listing.html").string(), {},
                         f.prompter);
    EXPECT_EQ(wy.wmo, 72672);
    EXPECT_EQ(wy.added, 2);
    EXPECT_EQ(wy.report, " Added 2 unique soundings from Tuesday May-28-2019 to Tuesday May-28-2019 with 16 data points.");
}

TEST(SoundingImport, cancelledImportKeepsWhatWasDoneAndARepeatCompletesIt) {
    ImportFolder f;
    std::string text;
    for (int d = 1; d <= 20; ++d) text += good(d);
    StopAfter stop(5);
    ImportOptions opt;
    opt.progress = &stop;
    auto r = f.import(text, opt);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.added, 5);
    EXPECT_EQ(f.value("SELECT NumSoundings FROM HaveData"), "5");
    auto rest = f.import(text);
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
    auto row = [&] {
        return main.db()
            .execAndGet("SELECT count(*) || ' ' || max(FromDate) || ' ' || max(ToDate) || ' ' || max(NumSoundings) || "
                        "' ' || max(NumDataPoints) FROM havedata WHERE wmo = 87576")
            .getString();
    };
    f.import(good(2) + good(5), opt);
    EXPECT_EQ(row(), "1 2019-01-02 2019-01-05 2 14");
    f.import(good(9), opt);
    EXPECT_EQ(row(), "1 2019-01-02 2019-01-09 3 21");
}

TEST(SoundingImport, absurdValuesAreLeftOutNotStored) {
    ImportFolder f;
    auto lines = test::windLinesTo7000Feet();
    lines.push_back({6, 99999, 2000000000, 99999, 99999, 270, 50});    // 2,000,000 km up
    lines.push_back({6, 99999, 900, 99999, 99999, 270, 9000});          // 9000 kt
    lines.push_back({5, 99999, 1000, 9999, 99999, 99999, 99999});       // 999.9 C
    lines.push_back({4, -50000, 1100, 99999, 99999, 99999, 99999});     // negative pressure
    EXPECT_EQ(f.import(test::fslSounding(12, 2, "JAN", 2019, kEzeiza, lines)).added, 1);
    EXPECT_EQ(f.value("SELECT numpoints FROM soundings"), "7");
    EXPECT_LT(std::stoi(f.value("SELECT max(\"3000spd\") FROM soundings")), 300);
}

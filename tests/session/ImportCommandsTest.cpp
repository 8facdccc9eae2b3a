#include "session/ImportCommands.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include <gtest/gtest.h>
#include <SQLiteCpp/Database.h>

#include "../sounding/ImportTestText.h"
#include "StartedFolder.h"
#include "ZipFile.h"
#include "core/DatabaseFile.h"
#include "session/SiteAnalysis.h"
#include "sounding/SoundingImport.h"
#include "sounding/SoundingSet.h"

using namespace skyloom;
using test::FslLine;

namespace {

constexpr long kEzeiza = 87576;

std::string good(int day) { return test::goodSounding(day, kEzeiza); }
std::string needsReview(int day) { return test::soundingNeedingReview(day, kEzeiza); }

// Three points: deleted by the checks.
std::string thin(int day) {
    return test::fslSounding(0, day, "JAN", 2019, kEzeiza,
                             {{9, 10030, 20, 272, 241, 20, 3}, {4, 9250, 731, 242, 239, 305, 26},
                              {6, 7858, 2133, 99999, 99999, 315, 18}});
}

// Remembers the counts the frame showed when each review came up, and answers
// (no answer: the review window is closed).
class CountingDecider final : public sounding::ReviewDecider {
public:
    CountingDecider(std::optional<bool> answer, const session::ImportCounts& shown) : answer_(answer), shown_(shown) {}
    bool accept(const sounding::SoundingRecord&, std::string_view, std::string_view) override {
        seen.push_back(shown_);
        if (!answer_) throw std::runtime_error("window closed");
        return *answer_;
    }
    std::vector<session::ImportCounts> seen;
private:
    std::optional<bool> answer_;
    const session::ImportCounts& shown_;
};

struct Folder : test::StartedFolder {
    session::ImportCommands cmd{*s};
    session::ImportCounts shown;
    Folder() {
        std::filesystem::create_directories(tmp / "Text Data Files");
        cmd.countsChanged = [this](const session::ImportCounts& c) { shown = c; };
    }
    bool haveData() {
        return s->mainDb().db().execAndGet("SELECT count(*) FROM havedata WHERE wmo = 87576").getInt64() == 1;
    }
};

}  // namespace

TEST(ImportCommands, beginTakesTheStationFromTheFileWhenItsNameDoesNotBeginWithIt) {
    for (const char* name : {"Ezeiza 87576.txt", "87576_Ezeiza.fsl", "123456789 long.txt"}) {
        Folder f;
        f.prompter.file(f.writeTextFile(name, good(2)));
        EXPECT_TRUE(f.cmd.begin()) << name;
        EXPECT_TRUE(f.haveData()) << name;
        EXPECT_EQ(f.cmd.chosenFile(), (f.tmp / "Text Data Files" / name).string());
    }
    // A file that names no station is refused with the old message and not kept for Start.
    Folder f;
    f.prompter.file(f.writeTextFile("Ezeiza.txt", test::soundingWithoutStationLine(2, kEzeiza)));
    EXPECT_FALSE(f.cmd.begin());
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{"Need WMO at start with space after it, rename it."});
    EXPECT_FALSE(std::filesystem::exists(f.tmp / "data" / "87576.dat"));
    EXPECT_TRUE(f.cmd.chosenFile().empty());
    EXPECT_FALSE(f.cmd.start());   // nothing chosen: Start does nothing
}

TEST(ImportCommands, beginImportsTheChosenFileAndStartImportsItAgain) {
    Folder f;
    f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", good(3) + good(2)));
    ASSERT_TRUE(f.cmd.begin());
    EXPECT_EQ(f.prompter.lastMessage(),
              " Added 2 unique soundings from Wednesday Jan-02-2019 to Thursday Jan-03-2019 with 14 data points.");
    EXPECT_EQ(f.prompter.statuses.back(), "Start Import of '87576 Ezeiza.txt'");
    EXPECT_EQ(f.shown, (session::ImportCounts{2, 14, 0, 0}));
    EXPECT_TRUE(f.haveData());
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 2);

    // Start: the same file again; the counts start from nothing.
    ASSERT_TRUE(f.cmd.start());
    EXPECT_EQ(f.prompter.lastMessage(), "No unique soundings that we have not got in the database were found.");
    EXPECT_EQ(f.shown, (session::ImportCounts{}));
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 2);
}

TEST(ImportCommands, beginImportsAZipArchive) {
    Folder f;
    const auto zip = f.tmp / "Text Data Files" / "87576 Ezeiza.zip";
    test::writeZip(zip, "87576 Ezeiza.txt", good(3) + good(2));
    f.prompter.file(zip.string());
    ASSERT_TRUE(f.cmd.begin());
    EXPECT_EQ(f.prompter.lastMessage(),
              " Added 2 unique soundings from Wednesday Jan-02-2019 to Thursday Jan-03-2019 with 14 data points.");
    EXPECT_EQ(f.shown, (session::ImportCounts{2, 14, 0, 0}));
}

TEST(ImportCommands, countsRunWhileTheImportWaitsForReview) {
    Folder f;
    CountingDecider deleteIt(false, f.shown);
    f.cmd.decider = &deleteIt;
    f.prompter.file(f.writeTextFile("87576 mixed.txt", good(2) + thin(3) + needsReview(4) + good(5)));
    ASSERT_TRUE(f.cmd.begin());
    // When the review came up, the first two soundings had been counted.
    ASSERT_EQ(deleteIt.seen.size(), 1u);
    EXPECT_EQ(deleteIt.seen[0], (session::ImportCounts{1, 7, 1, 3}));
    EXPECT_EQ(f.shown, (session::ImportCounts{2, 14, 2, 10}));
    EXPECT_EQ(f.cmd.counts(), f.shown);
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM deleted WHERE Reason LIKE '% User reviewed and deleted it.'"), 1);
}

TEST(ImportCommands, reviewCriteriaComeFromTheTypedFields) {
    Folder f;
    // Malt raised above the first wind: the sounding comes up for review only with Lalt below it.
    f.cmd.criteria = session::criteriaFromTexts("250", " 200 ft", "30", "20");
    EXPECT_EQ(f.cmd.criteria.malt, 200);
    EXPECT_EQ(f.cmd.criteria.maltText, "200 ft");
    f.prompter.file(f.writeTextFile("87576 high.txt", needsReview(4)));
    ASSERT_TRUE(f.cmd.begin());
    EXPECT_EQ(f.shown, (session::ImportCounts{0, 0, 1, 7}));
    const std::string reason = f.textOf(kEzeiza, "SELECT Reason FROM deleted");
    EXPECT_NE(reason.find(" First wind altitude was above 200 ft feet AGL."), std::string::npos) << reason;

    auto c = session::criteriaFromTexts("x", "", "12.5knts", "-3");
    EXPECT_EQ(c.lalt, 0);
    EXPECT_EQ(c.malt, 0);
    EXPECT_EQ(c.difGnd, 12.5);
    EXPECT_EQ(c.dif500, -3);
}

TEST(ImportCommands, anAbandonedReviewUndoesThatFileAndItsCounts) {
    Folder f;
    CountingDecider closed(std::nullopt, f.shown);
    f.cmd.decider = &closed;
    f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", good(2) + needsReview(4)));
    EXPECT_THROW(f.cmd.begin(), std::runtime_error);
    EXPECT_EQ(f.shown, (session::ImportCounts{}));
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 0);
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM deleted"), 0);
    // Imported again with a reviewer that answers, the file completes.
    CountingDecider keep(true, f.shown);
    f.cmd.decider = &keep;
    ASSERT_TRUE(f.cmd.start());
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 2);
}

TEST(ImportCommands, stationTextFilesAreTheStationsTxtFilesInNameOrder) {
    Folder f;
    f.writeTextFile("87576 b.txt", "");
    f.writeTextFile("87576 a.TXT", "");
    f.writeTextFile("875760 other station.txt", "");
    f.writeTextFile("87576 notes.doc", "");
    f.writeTextFile("x87576.txt", "");
    f.writeTextFile("87576.txt", "");
    f.writeTextFile("87576 2019.fsl.gz", "");
    f.writeTextFile("87576 period.ZIP", "");
    f.writeTextFile("87576 zip", "");
    std::vector<std::string> names;
    for (const auto& p : session::stationTextFiles(f.tmp.dir(), kEzeiza))
        names.push_back(std::filesystem::path(p).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"87576 2019.fsl.gz", "87576 a.TXT", "87576 b.txt", "87576 period.ZIP",
                                               "87576.txt"}));
    EXPECT_TRUE(session::stationTextFiles(f.tmp.dir() + "missing/", kEzeiza).empty());
}

TEST(ImportCommands, siteListImportAsksForEachFileAndEndsInKnots) {
    Folder f;
    f.s->units = 0;
    f.writeTextFile("87576 a.txt", good(2));
    f.writeTextFile("87576 b.txt", good(3));
    f.writeTextFile("87576 c.txt", good(4));
    f.prompter.yes().no().yes();
    ASSERT_TRUE(f.cmd.importStationTextFiles(kEzeiza));
    EXPECT_EQ(f.prompter.questions, (std::vector<std::string>{"Import this file? : 87576 a.txt",
                                                                "Import this file? : 87576 b.txt",
                                                                "Import this file? : 87576 c.txt"}));
    EXPECT_EQ(f.prompter.statuses,
              (std::vector<std::string>{"Start Import of '87576 a.txt'", "Start Import of '87576 c.txt'"}));
    EXPECT_EQ(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings WHERE Date = '2019-01-03'"), 0);
    EXPECT_EQ(f.shown, (session::ImportCounts{2, 14, 0, 0}));   // over both files
    EXPECT_EQ(f.s->units, 1);
    EXPECT_EQ(f.s->settings().get("Units"), "1");
    EXPECT_TRUE(f.haveData());
}

TEST(ImportCommands, cancelStopsTheSiteListImportAndNoFilesIsSaid) {
    Folder f;
    f.writeTextFile("87576 a.txt", good(2));
    f.writeTextFile("87576 b.txt", good(3));
    f.prompter.cancelQuestion();
    EXPECT_FALSE(f.cmd.importStationTextFiles(kEzeiza));
    EXPECT_EQ(f.prompter.questions.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(f.tmp / "data" / "87576.dat"));

    Folder empty;
    empty.s->units = 2;
    EXPECT_FALSE(empty.cmd.importStationTextFiles(kEzeiza));
    EXPECT_EQ(empty.prompter.messages, std::vector<std::string>{session::kNoTextFiles});
    EXPECT_EQ(empty.s->units, 2);
}

TEST(ImportCommands, oneSoundingSetDrawsUpToItsTopWind) {
    sounding::SoundingRecord r;
    r.hrs = 779100;
    for (int l = 0; l < 11; ++l) r.levels[static_cast<std::size_t>(l)] = {10 * l + 5, l < 7 ? 270 : 0, 1500 - l, 100000 - l};
    r.bands = "011111110000";
    r.numpoints = 12;
    sounding::SoundingSet set;
    set.ensureCapacity(1500);
    set.setCount(1400);
    session::setOfOneSounding(r, set);
    EXPECT_EQ(set.count(), 1);
    EXPECT_EQ(set.hrs(1), 779100);
    EXPECT_EQ(set.topWindLevel[1], 6);
    EXPECT_EQ(set.speed(1, 3), 35);
    EXPECT_EQ(set.direction(1, 6), 270);
    EXPECT_EQ(set.temperature(1, 10), 1490);
    EXPECT_EQ(set.pressure(1, 0), 100000);
    EXPECT_EQ(std::string(set.bandCode[1].begin(), set.bandCode[1].end()), "011111110000");
    EXPECT_EQ(set.pointCount[1], 12);
}

// The gap share of a station nobody has analysed yet is that of its whole
// record, as the analysis of the whole record finds it, not "0.0% gaps".
TEST(ImportGaps, theGapShareStoredAtImportIsTheOneTheWholeRecordsAnalysisFinds) {
    test::StartedFolder f;
    auto& db = f.s->mainDb();
    sounding::FixedReviewDecider accept(true);
    sounding::ImportOptions opt;
    opt.decider = &accept;
    opt.mainDb = &db;
    auto gaps = [&] { return db.db().execAndGet("SELECT TimeGaps FROM havedata WHERE wmo = 72518").getDouble(); };
    // Albany 1990 in two parts: the first half of the year, then the whole year.
    const std::string text = test::readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl");
    const std::size_t july = text.find("    254      0      2      JUL    1990");
    ASSERT_NE(july, std::string::npos);
    const std::string half = f.writeTextFile("72518 first half.fsl", text.substr(0, july));
    ASSERT_FALSE(sounding::importFile(f.s->appDir(), half, opt, f.prompter).failed);
    const double firstHalf = gaps();
    ASSERT_FALSE(
        sounding::importFile(f.s->appDir(), test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), opt,
                             f.prompter)
            .failed);
    const double wholeYear = gaps();
    EXPECT_GT(wholeYear, 0.0);
    EXPECT_NE(firstHalf, wholeYear);

    f.s->stations().load(db);
    session::SiteAnalysis analysis(*f.s);
    analysis.setSiteString(analysis.siteEntryText(72518));
    ASSERT_EQ(analysis.reanalyseSite(true), session::AnalysisOutcome::Analysed);
    EXPECT_TRUE(analysis.wholeRange());
    EXPECT_EQ(analysis.statistics().gapPercent, wholeYear);
    EXPECT_EQ(gaps(), wholeYear);
}

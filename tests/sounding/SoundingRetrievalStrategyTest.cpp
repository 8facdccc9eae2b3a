#include <gtest/gtest.h>

#include <filesystem>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "sounding/SoundingImport.h"
#include "sounding/SoundingRetrieval.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
using namespace skyloom::sounding;
using test::FixtureSounding;
using test::StationFileBuilder;

namespace {

constexpr long kAlbany = 72518;
constexpr RetrievalStrategy kEveryStrategy[] = {RetrievalStrategy::OnePass, RetrievalStrategy::TwoReaders,
                                                RetrievalStrategy::Automatic};

const char* nameOf(RetrievalStrategy s) {
    switch (s) {
        case RetrievalStrategy::OnePass: return "one pass";
        case RetrievalStrategy::TwoReaders: return "two readers";
        case RetrievalStrategy::Automatic: return "automatic";
    }
    return "?";
}

// The set read the plain way, through the wrapper objects and with the engine
// sorting: the yardstick for the fast reads.
SoundingSet plainRead(SQLite::Database& db, const RetrievalQuery& q) {
    std::string sql = "SELECT Key, Hrs, BadTemperatureData, BadPressureData";
    for (int l = 0; l < kLevelCount; ++l)
        for (Quantity quantity : {Speed, Direction, Temperature, Pressure})
            sql += ", \"" + levelColumn(l, quantity) + "\"";
    sql += ", bands, numpoints FROM soundings WHERE stationwmo = ? AND Date >= ? AND Date < ?";
    if (q.ignoreZeroGroundWind) sql += " AND gndspd <> 0";
    sql += " ORDER BY Hrs, Key";
    SQLite::Statement rows(db, sql);
    rows.bind(1, static_cast<std::int64_t>(q.wmo));
    rows.bind(2, core::isoDate(q.from));
    rows.bind(3, core::isoDate(q.to + std::chrono::days{1}));
    SoundingSet set;
    int n = 0;
    while (rows.executeStep()) {
        set.ensureCapacity(++n);
        set.key[n] = rows.getColumn(0).getInt();
        set.time[n][0] = rows.getColumn(1).getInt();
        set.badTemperature[n] = static_cast<std::int16_t>(rows.getColumn(2).getInt());
        set.badPressure[n] = static_cast<std::int16_t>(rows.getColumn(3).getInt());
        for (int l = 0; l < kLevelCount; ++l) {
            for (int quantity = 1; quantity <= 4; ++quantity)
                set.level[n][l][quantity] = rows.getColumn(4 + l * 4 + quantity - 1).getInt();
            if (l > 0 && set.level[n][l][Speed] != 0 && set.level[n][l][Direction] != 0)
                set.topWindLevel[n] = static_cast<std::int16_t>(l);
        }
        std::string bands = rows.getColumn(48).getString();
        bands.resize(12, ' ');
        std::copy_n(bands.begin(), 12, set.bandCode[n].begin());
        set.pointCount[n] = rows.getColumn(49).getInt();
    }
    set.setCount(n);
    return set;
}

// Every array element, including the unused sounding 0 and the room after the count.
void expectSameSet(const SoundingSet& a, const SoundingSet& b, const std::string& what) {
    ASSERT_EQ(a.count(), b.count()) << what;
    ASSERT_EQ(a.upperBound(), b.upperBound()) << what;
    EXPECT_EQ(a.key, b.key) << what;
    EXPECT_EQ(a.time, b.time) << what;
    EXPECT_EQ(a.badTemperature, b.badTemperature) << what;
    EXPECT_EQ(a.badPressure, b.badPressure) << what;
    EXPECT_EQ(a.level, b.level) << what;
    EXPECT_EQ(a.topWindLevel, b.topWindLevel) << what;
    EXPECT_EQ(a.bandCode, b.bandCode) << what;
    EXPECT_EQ(a.pointCount, b.pointCount) << what;
}

// Reads q every way and checks each against the plain read; gives the count.
int expectEveryWayAlike(const std::string& path, const RetrievalQuery& q) {
    test::ScriptedPrompter prompter;
    auto file = StationDataFile::open(path, false, prompter);
    EXPECT_TRUE(file);
    if (!file) return -1;
    const SoundingSet plain = plainRead(file->db(), q);
    for (RetrievalStrategy strategy : kEveryStrategy) {
        SoundingSet set;
        set.ensureCapacity(5000);   // a reused set starts from scratch all the same
        retrieveSoundings(file->db(), q, set, nullptr, strategy);
        expectSameSet(set, plain, nameOf(strategy));
    }
    return plain.count();
}

class CancelAtFirstStep final : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t total, std::string_view) override {
        steps.push_back(done);
        lastTotal = total;
    }
    bool cancelRequested() override { return true; }
    std::vector<std::int64_t> steps;
    std::int64_t lastTotal = 0;
};

class Recording final : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t total, std::string_view) override {
        steps.push_back(done);
        lastTotal = total;
    }
    std::vector<std::int64_t> steps;
    std::int64_t lastTotal = 0;
};

// A 30-year station of twice-daily soundings, some calm at the ground, built once.
struct ThirtyYears {
    ThirtyYears() {
        StationFileBuilder(path, kAlbany)
            .addTwiceDaily(core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31),
                           [](int n) { return (n * 7919) % 400 < 30 ? 0 : (n * 7919) % 400; })
            .write();
    }
    test::TempFolder folder;
    std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
};

ThirtyYears& thirtyYears() {
    static ThirtyYears t;
    return t;
}

}  // namespace

TEST(RetrievalStrategy, realStationReadsAlikeEveryWay) {
    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    std::filesystem::create_directories(folder / "data");
    StationDataFile::createEmpty((folder / "empty.dat").string());
    auto imported = importFile(folder.dir(), test::sharedData("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(),
                               {}, prompter, kAlbany);
    ASSERT_GT(imported.added, 700);
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    // The sample's year with a few soundings on either side of it.
    const auto year = RetrievalQuery{kAlbany, core::makeDate(1989, 1, 1), core::makeDate(1991, 12, 31), false};
    EXPECT_EQ(expectEveryWayAlike(path, year), imported.added);
    auto calmOut = year;
    calmOut.ignoreZeroGroundWind = true;
    const int withWind = expectEveryWayAlike(path, calmOut);
    EXPECT_GT(withWind, 0);
    EXPECT_LT(withWind, imported.added);     // the real year has calm mornings
    EXPECT_GT(expectEveryWayAlike(path, {kAlbany, core::makeDate(1990, 3, 10), core::makeDate(1990, 8, 20), false}), 200);
}

TEST(RetrievalStrategy, thirtyYearsReadAlikeByTwoReadersAndInOnePass) {
    const auto& t = thirtyYears();
    const RetrievalQuery all{kAlbany, core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31), false};
    EXPECT_EQ(expectEveryWayAlike(t.path, all), 21914);
    auto calmOut = all;
    calmOut.ignoreZeroGroundWind = true;
    const int withWind = expectEveryWayAlike(t.path, calmOut);
    EXPECT_LT(withWind, 21914);
    EXPECT_GT(withWind, 19000);
    // A range starting and ending inside the file, and one past its end.
    EXPECT_EQ(expectEveryWayAlike(t.path, {kAlbany, core::makeDate(2001, 7, 1), core::makeDate(2010, 6, 30), false}),
              2 * 3287);
    EXPECT_EQ(expectEveryWayAlike(t.path, {kAlbany, core::makeDate(2015, 1, 1), core::makeDate(2030, 1, 1), false}),
              2 * 1826);
    EXPECT_EQ(expectEveryWayAlike(t.path, {kAlbany, core::makeDate(2020, 1, 1), core::makeDate(2030, 1, 1), false}), 0);
    // Short ranges, found through the date index.
    EXPECT_EQ(expectEveryWayAlike(t.path, {kAlbany, core::makeDate(2005, 1, 1), core::makeDate(2005, 12, 31), false}),
              2 * 365);
    EXPECT_EQ(expectEveryWayAlike(t.path, {kAlbany, core::makeDate(1996, 2, 29), core::makeDate(1996, 2, 29), false}), 2);
    const int shortWithWind =
        expectEveryWayAlike(t.path, {kAlbany, core::makeDate(2011, 1, 1), core::makeDate(2013, 12, 31), true});
    EXPECT_GT(shortWithWind, 1900);
    EXPECT_LT(shortWithWind, 2 * 1095);
}

TEST(RetrievalStrategy, partsOfAFileWrittenOutOfTimeOrderComeBackInTimeOrder) {
    test::TempFolder folder;
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    StationFileBuilder later(path, kAlbany);
    later.addTwiceDaily(core::makeDate(2020, 6, 1), core::makeDate(2020, 12, 31), [](int n) { return 100 + n % 50; })
        .write();
    // Written after the later ones: their keys are higher, their times lower.
    StationFileBuilder earlier(path, kAlbany);
    earlier.addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 5, 31), [](int n) { return n % 70; }).write();
    EXPECT_EQ(expectEveryWayAlike(path, {kAlbany, core::makeDate(2020, 1, 1), core::makeDate(2020, 12, 31), false}),
              2 * 366);
    EXPECT_EQ(expectEveryWayAlike(path, {kAlbany, core::makeDate(2020, 5, 1), core::makeDate(2020, 7, 31), false}),
              2 * 92);
    // Near the seam of the two writes, through the date index.
    EXPECT_EQ(expectEveryWayAlike(path, {kAlbany, core::makeDate(2020, 5, 30), core::makeDate(2020, 6, 2), false}), 8);
}

TEST(RetrievalStrategy, uncommittedRowsOfTheCallersConnectionAreRead) {
    test::TempFolder folder;
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    StationFileBuilder(path, kAlbany).addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 12, 31)).write();
    test::ScriptedPrompter prompter;
    auto file = StationDataFile::open(path, false, prompter);
    ASSERT_TRUE(file);
    SQLite::Transaction tx(file->db());
    file->db().exec("DELETE FROM soundings WHERE Date >= '2020-07-01'");
    SoundingSet set;
    ASSERT_EQ(retrieveSoundings(file->db(), {kAlbany, core::makeDate(2020, 1, 1), core::makeDate(2020, 12, 31), false},
                                set, nullptr, RetrievalStrategy::TwoReaders),
              RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 2 * 182);
    expectSameSet(set, plainRead(file->db(), {kAlbany, core::makeDate(2020, 1, 1), core::makeDate(2020, 12, 31), false}),
                  "inside a transaction");
}

TEST(RetrievalStrategy, cancelWhileTwoReadersReadLeavesTheSetEmpty) {
    const auto& t = thirtyYears();
    test::ScriptedPrompter prompter;
    auto file = StationDataFile::open(t.path, false, prompter);
    ASSERT_TRUE(file);
    SoundingSet set;
    CancelAtFirstStep cancel;
    EXPECT_EQ(retrieveSoundings(file->db(), {kAlbany, core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31), false},
                                set, &cancel, RetrievalStrategy::TwoReaders),
              RetrievalResult::Cancelled);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(set.upperBound(), 1000);
    ASSERT_EQ(cancel.steps.size(), 1u);
    EXPECT_GE(cancel.steps[0], 1024);          // this thread's rows and what the other reader has read so far
    EXPECT_LE(cancel.steps[0], 21914);
    EXPECT_EQ(cancel.lastTotal, 21914);
    // The file is still usable after the interrupted read.
    EXPECT_EQ(retrieveSoundings(file->db(), {kAlbany, core::makeDate(1990, 1, 1), core::makeDate(1990, 1, 31), false}, set),
              RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 62);
}

TEST(RetrievalStrategy, progressCountsEveryRowTheReadGives) {
    const auto& t = thirtyYears();
    test::ScriptedPrompter prompter;
    auto file = StationDataFile::open(t.path, false, prompter);
    ASSERT_TRUE(file);
    for (bool calmOut : {false, true}) {
        const RetrievalQuery q{kAlbany, core::makeDate(1995, 1, 1), core::makeDate(2004, 12, 31), calmOut};
        SoundingSet set;
        Recording onePass;
        ASSERT_EQ(retrieveSoundings(file->db(), q, set, &onePass, RetrievalStrategy::OnePass), RetrievalResult::Loaded);
        EXPECT_EQ(onePass.lastTotal, set.count()) << calmOut;
        std::vector<std::int64_t> every1024;
        for (int n = 1024; n < set.count(); n += 1024) every1024.push_back(n);
        every1024.push_back(set.count());
        EXPECT_EQ(onePass.steps, every1024) << calmOut;
        // Two readers: how the rows split between them depends on the processors,
        // the count only ever grows and ends at the whole.
        Recording twoReaders;
        ASSERT_EQ(retrieveSoundings(file->db(), q, set, &twoReaders, RetrievalStrategy::TwoReaders),
                  RetrievalResult::Loaded);
        EXPECT_EQ(twoReaders.lastTotal, set.count()) << calmOut;
        ASSERT_FALSE(twoReaders.steps.empty());
        EXPECT_EQ(twoReaders.steps.back(), set.count()) << calmOut;
        for (std::size_t i = 1; i < twoReaders.steps.size(); ++i)
            EXPECT_GE(twoReaders.steps[i], twoReaders.steps[i - 1]) << calmOut << " step " << i;
    }
}

TEST(RetrievalStrategy, filesWithoutTheTimeOrTheDateIndexReadAlike) {
    for (const char* index : {"soundings_hrs", "soundings_when"}) {
        test::TempFolder folder;
        const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
        StationFileBuilder(path, kAlbany).addTwiceDaily(core::makeDate(2010, 1, 1), core::makeDate(2017, 12, 31)).write();
        {
            test::ScriptedPrompter prompter;
            auto file = StationDataFile::open(path, false, prompter);
            ASSERT_TRUE(file);
            file->db().exec(std::string("DROP INDEX ") + index);
        }
        EXPECT_EQ(expectEveryWayAlike(path, {kAlbany, core::makeDate(2010, 1, 1), core::makeDate(2017, 12, 31), false}),
                  2 * 2922)
            << index;
        EXPECT_EQ(expectEveryWayAlike(path, {kAlbany, core::makeDate(2012, 3, 1), core::makeDate(2012, 3, 31), true}), 62)
            << index;
    }
}

TEST(RetrievalStrategy, everyPartIsReadOnTheCallersConnectionWhenTheFileCannotBeOpenedAgain) {
    test::TempFolder folder;
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    StationFileBuilder(path, kAlbany).addTwiceDaily(core::makeDate(2010, 1, 1), core::makeDate(2015, 12, 31)).write();
    test::ScriptedPrompter prompter;
    auto file = StationDataFile::open(path, false, prompter);
    ASSERT_TRUE(file);
    const RetrievalQuery q{kAlbany, core::makeDate(2010, 1, 1), core::makeDate(2015, 12, 31), false};
    const SoundingSet plain = plainRead(file->db(), q);
    // The open connection keeps reading the removed file; a new one cannot find it.
    std::filesystem::remove(path);
    SoundingSet set;
    Recording progress;
    ASSERT_EQ(retrieveSoundings(file->db(), q, set, &progress, RetrievalStrategy::TwoReaders), RetrievalResult::Loaded);
    expectSameSet(set, plain, "file gone");
    EXPECT_EQ(set.count(), 2 * 2191);
    EXPECT_EQ(progress.steps.back(), 2 * 2191);
}

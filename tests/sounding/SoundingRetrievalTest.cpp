#include <gtest/gtest.h>

#include <algorithm>
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
constexpr std::pair<RetrievalStrategy, const char*> kEveryStrategy[] = {
    {RetrievalStrategy::OnePass, "one pass"}, {RetrievalStrategy::TwoReaders, "two readers"},
    {RetrievalStrategy::Automatic, "automatic"}};

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

RetrievalQuery span(core::Days from, core::Days to, bool calmOut = false) { return {kAlbany, from, to, calmOut}; }
core::Days day(int y, int m, int d) { return core::makeDate(y, m, d); }

std::unique_ptr<StationDataFile> openFile(const std::string& path) {
    test::ScriptedPrompter prompter;
    return StationDataFile::open(path, false, prompter);
}

// Reads q every way and checks each against the plain read; gives the count.
int expectEveryWayAlike(const std::string& path, const RetrievalQuery& q) {
    auto file = openFile(path);
    EXPECT_TRUE(file);
    if (!file) return -1;
    const SoundingSet plain = plainRead(file->db(), q);
    for (const auto& [strategy, name] : kEveryStrategy) {
        // A reused set keeps its memory but nothing of what it held.
        SoundingSet set;
        set.ensureCapacity(plain.count() + 5000);
        std::fill(set.key.begin(), set.key.end(), 7);
        std::fill(set.time.begin(), set.time.end(), std::array<double, 5>{7, 7, 7, 7, 7});
        std::fill(set.badPressure.begin(), set.badPressure.end(), 7);
        for (auto& levels : set.level) levels[3][Pressure] = 7;
        std::fill(set.pointCount.begin(), set.pointCount.end(), 7);
        set.setCount(plain.count() + 5000);
        set.resetDerived();
        retrieveSoundings(file->db(), q, set, nullptr, strategy);
        expectSameSet(set, plain, name);
        EXPECT_TRUE(set.derived.empty()) << name;
    }
    return plain.count();
}

class Recording : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t total, std::string_view) override {
        steps.push_back(done);
        lastTotal = total;
    }
    std::vector<std::int64_t> steps;
    std::int64_t lastTotal = 0;
};

class CancelAtFirstStep final : public Recording {
public:
    bool cancelRequested() override { return true; }
};

core::HoursSince1930 at(int y, int m, int d, int h) { return core::hoursSince1930(day(y, m, d), h); }

// A station data file path under a fresh folder, and the set read from it.
class Retrieval : public ::testing::Test {
protected:
    RetrievalResult load(core::Days from, core::Days to, core::Progress* progress = nullptr) {
        auto f = openFile(path);
        EXPECT_TRUE(f);
        return retrieveSoundings(f->db(), span(from, to), set, progress);
    }
    test::TempFolder folder;
    std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    SoundingSet set;
};

// A station data file under folder of twice-daily soundings from `from` to `to`.
std::string twiceDailyFile(const test::TempFolder& folder, core::Days from, core::Days to) {
    const std::string path = StationFileBuilder::pathFor(folder.dir(), kAlbany);
    StationFileBuilder(path, kAlbany).addTwiceDaily(from, to).write();
    return path;
}

// A 30-year station of twice-daily soundings, some calm at the ground, built once.
struct ThirtyYears {
    ThirtyYears() {
        StationFileBuilder(path, kAlbany)
            .addTwiceDaily(day(1990, 1, 1), day(2019, 12, 31),
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

TEST_F(Retrieval, realStationReadsAlikeEveryWay) {
    test::ScriptedPrompter prompter;
    std::filesystem::create_directories(folder / "data");
    StationDataFile::createEmpty((folder / "empty.dat").string());
    auto imported = importFile(folder.dir(), test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(),
                               {}, prompter, kAlbany);
    ASSERT_GT(imported.added, 700);
    // The sample's year with a few soundings on either side of it.
    EXPECT_EQ(expectEveryWayAlike(path, span(day(1989, 1, 1), day(1991, 12, 31))), imported.added);
    const int withWind = expectEveryWayAlike(path, span(day(1989, 1, 1), day(1991, 12, 31), true));
    EXPECT_GT(withWind, 0);
    EXPECT_LT(withWind, imported.added);     // the real year has calm mornings
    EXPECT_GT(expectEveryWayAlike(path, span(day(1990, 3, 10), day(1990, 8, 20))), 200);
}

TEST(RetrievalStrategy, thirtyYearsReadAlikeByTwoReadersAndInOnePass) {
    const auto& t = thirtyYears();
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(1990, 1, 1), day(2019, 12, 31))), 21914);
    const int withWind = expectEveryWayAlike(t.path, span(day(1990, 1, 1), day(2019, 12, 31), true));
    EXPECT_LT(withWind, 21914);
    EXPECT_GT(withWind, 19000);
    // A range starting and ending inside the file, and one past its end.
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(2001, 7, 1), day(2010, 6, 30))), 2 * 3287);
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(2015, 1, 1), day(2030, 1, 1))), 2 * 1826);
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(2020, 1, 1), day(2030, 1, 1))), 0);
    // Short ranges, found through the date index.
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(2005, 1, 1), day(2005, 12, 31))), 2 * 365);
    EXPECT_EQ(expectEveryWayAlike(t.path, span(day(1996, 2, 29), day(1996, 2, 29))), 2);
    const int shortWithWind = expectEveryWayAlike(t.path, span(day(2011, 1, 1), day(2013, 12, 31), true));
    EXPECT_GT(shortWithWind, 1900);
    EXPECT_LT(shortWithWind, 2 * 1095);
}

TEST_F(Retrieval, partsOfAFileWrittenOutOfTimeOrderComeBackInTimeOrder) {
    StationFileBuilder(path, kAlbany)
        .addTwiceDaily(day(2020, 6, 1), day(2020, 12, 31), [](int n) { return 100 + n % 50; })
        .write();
    // Written after the later ones: their keys are higher, their times lower.
    StationFileBuilder(path, kAlbany)
        .addTwiceDaily(day(2020, 1, 1), day(2020, 5, 31), [](int n) { return n % 70; })
        .write();
    EXPECT_EQ(expectEveryWayAlike(path, span(day(2020, 1, 1), day(2020, 12, 31))), 2 * 366);
    EXPECT_EQ(expectEveryWayAlike(path, span(day(2020, 5, 1), day(2020, 7, 31))), 2 * 92);
    // Near the seam of the two writes, through the date index.
    EXPECT_EQ(expectEveryWayAlike(path, span(day(2020, 5, 30), day(2020, 6, 2))), 8);
}

TEST_F(Retrieval, uncommittedRowsOfTheCallersConnectionAreRead) {
    auto file = openFile(twiceDailyFile(folder, day(2020, 1, 1), day(2020, 12, 31)));
    ASSERT_TRUE(file);
    SQLite::Transaction tx(file->db());
    file->db().exec("DELETE FROM soundings WHERE Date >= '2020-07-01'");
    const auto year = span(day(2020, 1, 1), day(2020, 12, 31));
    ASSERT_EQ(retrieveSoundings(file->db(), year, set, nullptr, RetrievalStrategy::TwoReaders),
              RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 2 * 182);
    expectSameSet(set, plainRead(file->db(), year), "inside a transaction");
}

TEST(RetrievalStrategy, cancelWhileTwoReadersReadLeavesTheSetEmpty) {
    auto file = openFile(thirtyYears().path);
    ASSERT_TRUE(file);
    SoundingSet set;
    CancelAtFirstStep cancel;
    EXPECT_EQ(retrieveSoundings(file->db(), span(day(1990, 1, 1), day(2019, 12, 31)), set, &cancel,
                                RetrievalStrategy::TwoReaders),
              RetrievalResult::Cancelled);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(set.upperBound(), 1000);
    ASSERT_EQ(cancel.steps.size(), 1u);
    EXPECT_GE(cancel.steps[0], 1024);          // this thread's rows and what the other reader has read so far
    EXPECT_LE(cancel.steps[0], 21914);
    EXPECT_EQ(cancel.lastTotal, 21914);
    // The file is still usable after the interrupted read.
    EXPECT_EQ(retrieveSoundings(file->db(), span(day(1990, 1, 1), day(1990, 1, 31)), set), RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 62);
}

TEST(RetrievalStrategy, progressCountsEveryRowTheReadGives) {
    auto file = openFile(thirtyYears().path);
    ASSERT_TRUE(file);
    for (bool calmOut : {false, true}) {
        SCOPED_TRACE(calmOut);
        const auto q = span(day(1995, 1, 1), day(2004, 12, 31), calmOut);
        SoundingSet set;
        Recording onePass;
        ASSERT_EQ(retrieveSoundings(file->db(), q, set, &onePass, RetrievalStrategy::OnePass), RetrievalResult::Loaded);
        EXPECT_EQ(onePass.lastTotal, set.count());
        std::vector<std::int64_t> every1024;
        for (int n = 1024; n < set.count(); n += 1024) every1024.push_back(n);
        every1024.push_back(set.count());
        EXPECT_EQ(onePass.steps, every1024);
        // Two readers: how the rows split between them depends on the processors,
        // the count only ever grows and ends at the whole.
        Recording twoReaders;
        ASSERT_EQ(retrieveSoundings(file->db(), q, set, &twoReaders, RetrievalStrategy::TwoReaders),
                  RetrievalResult::Loaded);
        EXPECT_EQ(twoReaders.lastTotal, set.count());
        ASSERT_FALSE(twoReaders.steps.empty());
        EXPECT_EQ(twoReaders.steps.back(), set.count());
        EXPECT_TRUE(std::is_sorted(twoReaders.steps.begin(), twoReaders.steps.end()));
    }
}

TEST(RetrievalStrategy, filesWithoutTheTimeOrTheDateIndexReadAlike) {
    for (const char* index : {"soundings_hrs", "soundings_when"}) {
        SCOPED_TRACE(index);
        test::TempFolder folder;
        const std::string path = twiceDailyFile(folder, day(2010, 1, 1), day(2017, 12, 31));
        if (auto file = openFile(path)) file->db().exec(std::string("DROP INDEX ") + index);
        else FAIL() << "cannot open " << path;
        EXPECT_EQ(expectEveryWayAlike(path, span(day(2010, 1, 1), day(2017, 12, 31))), 2 * 2922);
        EXPECT_EQ(expectEveryWayAlike(path, span(day(2012, 3, 1), day(2012, 3, 31), true)), 62);
    }
}

TEST_F(Retrieval, everyPartIsReadOnTheCallersConnectionWhenTheFileCannotBeOpenedAgain) {
    twiceDailyFile(folder, day(2010, 1, 1), day(2015, 12, 31));
    auto file = openFile(path);
    ASSERT_TRUE(file);
    const auto q = span(day(2010, 1, 1), day(2015, 12, 31));
    const SoundingSet plain = plainRead(file->db(), q);
    // The open connection keeps reading the removed file; a new one cannot find it.
    std::filesystem::remove(path);
    Recording progress;
    ASSERT_EQ(retrieveSoundings(file->db(), q, set, &progress, RetrievalStrategy::TwoReaders), RetrievalResult::Loaded);
    expectSameSet(set, plain, "file gone");
    EXPECT_EQ(set.count(), 2 * 2191);
    EXPECT_EQ(progress.steps.back(), 2 * 2191);
}

TEST_F(Retrieval, readsTheRangeWithBothEndsInTimeOrder) {
    StationFileBuilder b(path, kAlbany);
    b.add(FixtureSounding::typical(at(2019, 3, 2, 12), 80));
    b.add(FixtureSounding::typical(at(2019, 3, 1, 0), 60));     // added out of order
    b.add(FixtureSounding::typical(at(2019, 2, 28, 12), 10));   // before the range
    b.add(FixtureSounding::typical(at(2019, 3, 3, 0), 10));     // after it
    auto odd = FixtureSounding::typical(at(2019, 3, 2, 0), 70);
    odd.badTemperature = 1;
    odd.bands = "1010";
    odd.numPoints = 17;
    b.add(odd);
    b.write();
    ASSERT_EQ(load(day(2019, 3, 1), day(2019, 3, 2)), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 3);
    EXPECT_EQ((std::array{set.hrs(1), set.hrs(2), set.hrs(3)}),
              (std::array{at(2019, 3, 1, 0), at(2019, 3, 2, 0), at(2019, 3, 2, 12)}));
    // Ground speed of the first; speed, direction, temperature and pressure of the odd one.
    EXPECT_EQ((std::array{set.speed(1, 0), set.speed(2, 10), set.direction(2, 5), set.temperature(2, 0),
                          set.pressure(2, 1)}),
              (std::array{60, 140, 270, 1500, 101325 - 1800}));
    EXPECT_EQ(set.level[2][3][0], 0);          // quantity 0 carries nothing
    EXPECT_EQ(std::make_tuple(set.badTemperature[2], set.badPressure[2], set.pointCount[2]), std::make_tuple(1, 0, 17));
    EXPECT_EQ(std::string(set.bandCode[2].data(), 12), "1010        ");
    EXPECT_GT(set.key[1], 0);
    EXPECT_NE(set.key[1], set.key[2]);
}

TEST_F(Retrieval, bothEndsOnOneDayIncludeItAndOtherRangesOrStationsAreEmpty) {
    StationFileBuilder(path, kAlbany).addTwiceDaily(day(2020, 1, 1), day(2020, 1, 5)).write();
    ASSERT_EQ(load(day(2020, 1, 3), day(2020, 1, 3)), RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 2);
    EXPECT_EQ(load(day(2021, 1, 3), day(2021, 2, 3)), RetrievalResult::Empty);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(retrieveSoundings(openFile(path)->db(), {kAlbany + 1, day(2020, 1, 1), day(2020, 1, 5), false}, set),
              RetrievalResult::Empty);
}

TEST_F(Retrieval, topWindLevelIsTheHighestLevelWithSpeedAndDirection) {
    auto s = FixtureSounding::typical(at(2020, 1, 1, 0), 50);
    for (int l = 7; l <= 10; ++l) s.setSpeed(l, 0);
    s.levels[5][1] = 0;              // level 5 without a direction does not end the profile
    auto calm = FixtureSounding::typical(at(2020, 1, 1, 12), 0);
    for (int l = 1; l <= 10; ++l) calm.setSpeed(l, 0);
    StationFileBuilder(path, kAlbany).add(s).add(calm).write();
    ASSERT_EQ(load(day(2020, 1, 1), day(2020, 1, 1)), RetrievalResult::Loaded);
    EXPECT_EQ(set.topWindLevel[1], 6);
    EXPECT_EQ(set.topWindLevel[2], 0);
}

TEST_F(Retrieval, thousandAndOneSoundingsGrowTheArraysOnce) {
    // 500 days twice a day plus one: 1001 soundings.
    StationFileBuilder(path, kAlbany)
        .addTwiceDaily(day(2020, 1, 1), day(2020, 1, 1) + std::chrono::days{499})
        .add(FixtureSounding::typical(at(2021, 6, 1, 0), 33))
        .write();
    ASSERT_EQ(load(day(2020, 1, 1), day(2021, 12, 31)), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 1001);
    EXPECT_EQ(set.upperBound(), 2000);
    EXPECT_EQ(set.key.size(), 2001u);
    EXPECT_EQ(set.level.size(), 2001u);
    for (int n = 2; n <= 1001; ++n) ASSERT_GT(set.hrs(n), set.hrs(n - 1)) << n;
    EXPECT_EQ(set.speed(1001, 0), 33);
}

TEST_F(Retrieval, cancelLeavesTheSetEmpty) {
    StationFileBuilder(path, kAlbany).addTwiceDaily(day(2020, 1, 1), day(2021, 12, 31)).write();
    CancelAtFirstStep cancel;
    EXPECT_EQ(load(day(2020, 1, 1), day(2021, 12, 31), &cancel), RetrievalResult::Cancelled);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(cancel.steps, std::vector<std::int64_t>{1024});
    EXPECT_EQ(cancel.lastTotal, 1462);   // 731 days (2020 is a leap year), twice a day
}

TEST_F(Retrieval, aFailedReadLeavesTheSetEmpty) {
    twiceDailyFile(folder, day(2020, 1, 1), day(2020, 12, 31));
    ASSERT_EQ(load(day(2020, 1, 1), day(2020, 12, 31)), RetrievalResult::Loaded);
    auto file = openFile(path);
    ASSERT_TRUE(file);
    // A file whose soundings lack a level's columns cannot be read.
    file->db().exec("ALTER TABLE soundings DROP COLUMN \"5000press\"");
    EXPECT_THROW(retrieveSoundings(file->db(), span(day(2020, 1, 1), day(2020, 12, 31)), set), SQLite::Exception);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(set.upperBound(), 1000);
    EXPECT_EQ(std::count(set.key.begin(), set.key.end(), 0), 1001);
}

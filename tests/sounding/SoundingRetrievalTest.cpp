#include <gtest/gtest.h>

#include <SQLiteCpp/Statement.h>

#include "StationFileBuilder.h"
#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "sounding/LevelStatistics.h"
#include "sounding/SoundingRetrieval.h"
#include "sounding/StationDataFile.h"

using namespace skyloom;
using namespace skyloom::sounding;
using test::FixtureSounding;
using test::StationFileBuilder;

namespace {

constexpr long kWmo = 72518;

core::HoursSince1930 at(int y, int m, int d, int h) { return core::hoursSince1930(core::makeDate(y, m, d), h); }

class Retrieval : public ::testing::Test {
protected:
    void SetUp() override { path = StationFileBuilder::pathFor(folder.dir(), kWmo); }
    std::unique_ptr<StationDataFile> open() {
        auto f = StationDataFile::open(path, false, prompter);
        EXPECT_TRUE(f);
        return f;
    }
    RetrievalResult load(core::Days from, core::Days to, bool ignoreZ = false, core::Progress* progress = nullptr) {
        auto f = open();
        return retrieveSoundings(f->db(), {kWmo, from, to, ignoreZ}, set, progress);
    }
    test::TempFolder folder;
    test::ScriptedPrompter prompter;
    std::string path;
    SoundingSet set;
};

class CancelAtOnce : public core::Progress {
public:
    void step(std::int64_t done, std::int64_t total, std::string_view) override { lastDone = done; lastTotal = total; }
    bool cancelRequested() override { return true; }
    std::int64_t lastDone = 0, lastTotal = 0;
};

}  // namespace

TEST_F(Retrieval, readsTheRangeWithBothEndsInTimeOrder) {
    StationFileBuilder b(path, kWmo);
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
    ASSERT_EQ(load(core::makeDate(2019, 3, 1), core::makeDate(2019, 3, 2)), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 3);
    EXPECT_EQ(set.hrs(1), at(2019, 3, 1, 0));
    EXPECT_EQ(set.hrs(2), at(2019, 3, 2, 0));
    EXPECT_EQ(set.hrs(3), at(2019, 3, 2, 12));
    EXPECT_EQ(set.speed(1, 0), 60);
    EXPECT_EQ(set.speed(2, 10), 140);
    EXPECT_EQ(set.direction(2, 5), 270);
    EXPECT_EQ(set.temperature(2, 0), 1500);
    EXPECT_EQ(set.pressure(2, 1), 101325 - 1800);
    EXPECT_EQ(set.level[2][3][0], 0);          // quantity 0 carries nothing
    EXPECT_EQ(set.badTemperature[2], 1);
    EXPECT_EQ(set.badPressure[2], 0);
    EXPECT_EQ(std::string(set.bandCode[2].data(), 12), "1010        ");
    EXPECT_EQ(set.pointCount[2], 17);
    EXPECT_GT(set.key[1], 0);
    EXPECT_NE(set.key[1], set.key[2]);
}

TEST_F(Retrieval, fromAndToOnTheSameDayIncludeThatDay) {
    StationFileBuilder(path, kWmo).addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 5)).write();
    ASSERT_EQ(load(core::makeDate(2020, 1, 3), core::makeDate(2020, 1, 3)), RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 2);
    EXPECT_EQ(load(core::makeDate(2021, 1, 3), core::makeDate(2021, 2, 3)), RetrievalResult::Empty);
    EXPECT_EQ(set.count(), 0);
}

TEST_F(Retrieval, otherStationsRowsAreNotRead) {
    StationFileBuilder(path, kWmo).addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2)).write();
    auto f = open();
    EXPECT_EQ(retrieveSoundings(f->db(), {kWmo + 1, core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2), false}, set),
              RetrievalResult::Empty);
}

TEST_F(Retrieval, topWindLevelIsTheHighestLevelWithSpeedAndDirection) {
    auto s = FixtureSounding::typical(at(2020, 1, 1, 0), 50);
    for (int l = 7; l <= 10; ++l) s.setSpeed(l, 0);
    s.levels[5][1] = 0;              // level 5 without a direction does not end the profile
    auto calm = FixtureSounding::typical(at(2020, 1, 1, 12), 0);
    for (int l = 1; l <= 10; ++l) calm.setSpeed(l, 0);
    StationFileBuilder(path, kWmo).add(s).add(calm).write();
    ASSERT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 1)), RetrievalResult::Loaded);
    EXPECT_EQ(set.topWindLevel[1], 6);
    EXPECT_EQ(set.topWindLevel[2], 0);
}

TEST_F(Retrieval, ignoreZeroGroundWindLeavesThoseSoundingsOut) {
    StationFileBuilder(path, kWmo)
        .addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2),
                       [](int n) { return n == 1 || n == 2 ? 0 : 40; })
        .write();
    ASSERT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2), false), RetrievalResult::Loaded);
    EXPECT_EQ(set.count(), 4);
    ASSERT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2), true), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 2);
    EXPECT_EQ(set.hrs(2) - set.hrs(1), 36);
    // Their time is nobody's: 6 + 6 hours each side of the 36-hour hole.
    EXPECT_DOUBLE_EQ(computeTimeWeights(set), 24.0);
    EXPECT_NE(retrievalSql(true).find("gndspd <> 0"), std::string::npos);
    EXPECT_EQ(retrievalSql(false).find("gndspd <> 0"), std::string::npos);
}

TEST_F(Retrieval, thousandAndOneSoundingsGrowTheArraysOnce) {
    // 500 days twice a day plus one: 1001 soundings.
    StationFileBuilder(path, kWmo)
        .addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 1) + std::chrono::days{499})
        .add(FixtureSounding::typical(at(2021, 6, 1, 0), 33))
        .write();
    ASSERT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2021, 12, 31)), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 1001);
    EXPECT_EQ(set.upperBound(), 2000);
    EXPECT_EQ(set.key.size(), 2001u);
    EXPECT_EQ(set.level.size(), 2001u);
    for (int n = 2; n <= 1001; ++n) ASSERT_GT(set.hrs(n), set.hrs(n - 1)) << n;
    EXPECT_EQ(set.speed(1001, 0), 33);
}

TEST_F(Retrieval, cancelLeavesTheSetEmpty) {
    StationFileBuilder(path, kWmo).addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2021, 12, 31)).write();
    CancelAtOnce cancel;
    EXPECT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2021, 12, 31), false, &cancel),
              RetrievalResult::Cancelled);
    EXPECT_EQ(set.count(), 0);
    EXPECT_EQ(cancel.lastDone, 1024);
    EXPECT_EQ(cancel.lastTotal, 1462);   // 731 days (2020 is a leap year), twice a day
}

TEST_F(Retrieval, rowsWrittenOutOfTimeOrderComeBackInTimeOrder) {
    StationFileBuilder b(path, kWmo);
    b.addTwiceDaily(core::makeDate(2020, 2, 1), core::makeDate(2020, 2, 3), [](int n) { return 100 + n; }).write();
    b.addTwiceDaily(core::makeDate(2020, 1, 1), core::makeDate(2020, 1, 2), [](int n) { return 10 + n; }).write();
    ASSERT_EQ(load(core::makeDate(2020, 1, 1), core::makeDate(2020, 2, 28)), RetrievalResult::Loaded);
    ASSERT_EQ(set.count(), 10);
    for (int n = 2; n <= 10; ++n) EXPECT_GT(set.hrs(n), set.hrs(n - 1)) << n;
    EXPECT_EQ(set.speed(1, 0), 10);
    EXPECT_EQ(set.speed(4, 0), 13);
    EXPECT_EQ(set.speed(5, 0), 100);
    EXPECT_EQ(set.speed(5, 10), 200);          // every array moved with its sounding
    EXPECT_EQ(set.hrs(5), at(2020, 2, 1, 0));
    EXPECT_GT(set.key[1], set.key[10]);        // the January rows were written last
}

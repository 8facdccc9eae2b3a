#include "sounding/DemoData.h"

#include <gtest/gtest.h>

#include "core/Dates.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/RawTextReader.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

struct Built {
    ParsedSounding s;
    LevelBuild b;
    QualityVerdict q;
};

std::vector<Built> buildAll(const std::string& text) {
    std::vector<Built> out;
    for (auto& s : rawtext::read(text)) {
        Built x{s, levels::build(s), {}};
        x.q = quality::check(x.b, ReviewCriteria{});
        out.push_back(std::move(x));
    }
    return out;
}

const DemoStation& stornoway() { return demoStations().front(); }

}  // namespace

TEST(DemoData, sameSeedSameTextOtherSeedOtherText) {
    auto a = demoText(stornoway(), 2021, 1, kDemoSeed);
    EXPECT_EQ(a, demoText(stornoway(), 2021, 1, kDemoSeed));
    EXPECT_NE(a, demoText(stornoway(), 2021, 1, kDemoSeed + 1));
    EXPECT_NE(a, demoText(demoStations()[1], 2021, 1, kDemoSeed));
}

TEST(DemoData, clearlyMarkedAsDemoAndNamedForTheImport) {
    EXPECT_GE(demoStations().size(), 8u);
    const auto& st = stornoway();
    auto text = demoText(st, 2021, 1, kDemoSeed);
    EXPECT_EQ(text.rfind("DEMO DATA: synthetic soundings for station 3026", 0), 0u);
    EXPECT_EQ(wmoFromFileName(demoFileName(st)), 3026);
    auto all = rawtext::read(text);
    ASSERT_FALSE(all.empty());
    for (const auto& s : all) {
        EXPECT_EQ(s.staid, "DEMO");
        EXPECT_EQ(s.source, "DEMO");
    }
    EXPECT_EQ(detectFormat(text), SourceFormat::RawText);
}

TEST(DemoData, twiceDailyWithAFewGapsOfDays) {
    auto all = rawtext::read(demoText(stornoway(), 2021, 1, kDemoSeed));
    EXPECT_LT(all.size(), 730u);
    EXPECT_GT(all.size(), 680u);
    int longGaps = 0;
    for (std::size_t i = 1; i < all.size(); ++i) {
        auto a = core::hoursSince1930(*all[i - 1].date, all[i - 1].hour);
        auto b = core::hoursSince1930(*all[i].date, all[i].hour);
        EXPECT_TRUE(b - a == 12 || b - a >= 36) << b - a;
        if (b - a >= 36) ++longGaps;
        EXPECT_TRUE(all[i].hour == 0 || all[i].hour == 12);
    }
    EXPECT_GE(longGaps, 2);
}

TEST(DemoData, plausibleMeteorologyOverThreeYears) {
    auto all = buildAll(demoText(stornoway(), kDemoFirstYear, kDemoYears, kDemoSeed));
    double sum[11] = {};
    double shearDay = 0, shearNight = 0, winter = 0, summer = 0;
    int n = 0, nDay = 0, nNight = 0, nWinter = 0, nSummer = 0, rejected = 0, review = 0;
    for (const auto& x : all) {
        if (x.q.reject) { ++rejected; continue; }
        if (x.q.needsReview) { ++review; continue; }
        ++n;
        for (int L = 0; L < 11; ++L) sum[L] += x.b.levels[static_cast<std::size_t>(L)].speed;
        // Stornoway (6 W): 12 UTC is late morning, 00 UTC is night.
        double shear = x.b.levels[10].speed - x.b.levels[0].speed;
        if (x.s.hour == 12) { shearDay += shear; ++nDay; } else { shearNight += shear; ++nNight; }
        int m = core::monthOf(*x.s.date);
        if (m == 12 || m <= 2) { winter += x.b.levels[10].speed; ++nWinter; }
        if (m >= 6 && m <= 8) { summer += x.b.levels[10].speed; ++nSummer; }
        // Temperature falls with height above the lowest 1000 ft; pressure always falls.
        EXPECT_LT(x.b.levels[10].temperature, x.b.levels[2].temperature);
        EXPECT_EQ(x.b.badPressureData, 0);
        EXPECT_GT(x.b.levels[0].pressure, 95000);
        EXPECT_LT(x.b.levels[0].pressure, 106000);
    }
    ASSERT_GT(n, 2000);
    for (int L = 1; L < 11; ++L) EXPECT_GT(sum[L], sum[L - 1]) << "level " << L;
    EXPECT_GT(shearNight / nNight, 1.5 * shearDay / nDay);
    EXPECT_GT(winter / nWinter, 1.2 * summer / nSummer);
    // A few bad soundings for the checks to catch, not many.
    EXPECT_GT(rejected, 10);
    EXPECT_LT(rejected, 80);
    EXPECT_GT(review, 2);
}

TEST(DemoData, southernStationHasItsWinterInJuly) {
    const DemoStation* south = nullptr;
    for (const auto& s : demoStations())
        if (s.lat < -45) south = &s;
    ASSERT_NE(south, nullptr);
    auto all = buildAll(demoText(*south, 2021, 2, kDemoSeed));
    double jul = 0, jan = 0;
    int nj = 0, nJan = 0;
    for (const auto& x : all) {
        if (x.q.reject) continue;
        int m = core::monthOf(*x.s.date);
        if (m == 7) { jul += x.b.levels[0].temperature; ++nj; }
        if (m == 1) { jan += x.b.levels[0].temperature; ++nJan; }
    }
    EXPECT_LT(jul / nj, jan / nJan - 500);   // at least 5 degrees colder
    EXPECT_LT(all.front().s.lat, 0);
}

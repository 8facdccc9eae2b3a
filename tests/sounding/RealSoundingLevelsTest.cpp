// The eleven level winds of one real sounding of every source format, against
// values worked out by hand from the file's lines (shown with each case).
#include <filesystem>
#include <tuple>

#include <gtest/gtest.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <fmt/format.h>

#include "TempFolder.h"
#include "core/DatabaseFile.h"
#include "core/Prompter.h"
#include "sounding/SoundingImport.h"
#include "sounding/StationDataFile.h"
#include "sounding/Igra2Reader.h"
#include "sounding/LevelBuilder.h"
#include "sounding/QualityCheck.h"
#include "sounding/RawTextReader.h"
#include "sounding/WyomingReader.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

using Expected = std::array<std::array<int, 2>, 11>;   // speed in tenths of a knot, direction

void expectWinds(const ParsedSounding& s, const Expected& want) {
    ASSERT_TRUE(s.readProblem.empty()) << s.readProblem;
    auto b = levels::build(s);
    for (int L = 0; L < 11; ++L) {
        EXPECT_EQ(b.levels[static_cast<std::size_t>(L)].speed, want[static_cast<std::size_t>(L)][0]) << "level " << L;
        EXPECT_EQ(b.levels[static_cast<std::size_t>(L)].direction, want[static_cast<std::size_t>(L)][1]) << "level " << L;
    }
    EXPECT_EQ(quality::check(b, ReviewCriteria{}).reason, "");
}

}  // namespace

TEST(RealSoundingLevels, ezeiza2019FirstSoundingKnotsAndTenthsOfMillibars) {
    auto v = rawtext::read(test::readSample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl"));
    ASSERT_FALSE(v.empty());
    // Station 20 m. Winds (height m -> feet above ground = (m - 20) * 3.281, whole):
    //   type 9   20 m:    0 ft  20 deg  3 kt      type 4   44 m:   79 ft  30 deg  3 kt
    //   type 6  609 m: 1933 ft 305 deg 26 kt      type 4  731 m: 2333 ft 305 deg 26 kt
    //   type 6  914 m: 2933 ft 305 deg 25 kt      type 4 1468 m: 4751 ft 315 deg 14 kt
    //   type 6 2133 m: 6933 ft 315 deg 18 kt
    //    0 ft: the surface report: 3 kt, 20 deg                                   -> {30, 20}
    //  500 ft: 79..1933, f = 421/1854 = .22708: 3 + 23f = 8.22 kt;
    //          30 -> 305 differ by 275: 390 - 85f = 370.70 -> 10.7 deg             -> {82, 11}
    // 1000 ft: f = 921/1854 = .49676: 3 + 23f = 14.43; 390 - 85f = 347.78        -> {144, 348}
    // 1500 ft: f = 1421/1854 = .76645: 3 + 23f = 20.63; 390 - 85f = 324.85       -> {206, 325}
    // 2000 ft: 1933..2333, both 26 kt 305 deg                                    -> {260, 305}
    // 2500 ft: 2333..2933, f = 167/600 = .27833: 26 - f = 25.72                  -> {257, 305}
    // 3000 ft: 2933..4751, f = 67/1818 = .03685: 25 - 11f = 24.59; 305 + 10f = 305.37 -> {246, 305}
    // 3500 ft: f = 567/1818 = .31188: 25 - 11f = 21.57; 305 + 10f = 308.12      -> {216, 308}
    // 4000 ft: f = 1067/1818 = .58691: 18.54; 310.87                            -> {185, 311}
    // 4500 ft: f = 1567/1818 = .86194: 15.52; 313.62                            -> {155, 314}
    // 5000 ft: 4751..6933, f = 249/2182 = .11412: 14 + 4f = 14.46; 315          -> {145, 315}
    expectWinds(v[0], {{{30, 20}, {82, 11}, {144, 348}, {206, 325}, {260, 305}, {257, 305}, {246, 305}, {216, 308},
                        {185, 311}, {155, 314}, {145, 315}}});
    auto b = levels::build(v[0]);
    EXPECT_EQ(b.levels[0].temperature, 2720);   // surface 272 tenths
    EXPECT_EQ(b.levels[0].pressure, 100300);    // surface 10030 tenths of a millibar
    EXPECT_EQ(b.bands, "110111100011");
}

TEST(RealSoundingLevels, albany1990FirstSoundingTenthsOfMetresPerSecond) {
    auto v = rawtext::read(test::readSample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"));
    ASSERT_FALSE(v.empty());
    // Station 86 m; speeds in tenths of m/s: kt = field / 10 / 0.514444.
    //   9   85 m:   -3 ft 160 deg 15.551 kt   5  212 m:  413 ft 179 deg 27.214 kt
    //   6  304 m:  715 ft 185 deg 38.877 kt   ... (every wind line of the sounding, sorted)
    //    0 ft: -3..413 ft, f=3/416=0.0072: 15.55+(27.21-15.55)f=15.635 kt; 160->179: 160.14 -> {156, 160}
    //  500 ft: 413..715 ft, f=87/302=0.2881: 27.21+(38.88-27.21)f=30.574 kt; 179->185: 180.73 -> {306, 181}
    // 1000 ft: 715..1171 ft, f=285/456=0.6250: 38.88+(36.93-38.88)f=37.662 kt; 185->189: 187.50 -> {377, 188}
    // 1500 ft: 1437..1611 ft, f=63/174=0.3621: 34.99+(33.05-34.99)f=34.285 kt; 194->197: 195.09 -> {343, 195}
    // 2000 ft: 1998..2375 ft, f=2/377=0.0053: 33.05 kt; 204->213: 204.05 -> {330, 204}
    // 2500 ft: 2375..2638 ft, f=125/263=0.4753: 33.05 kt; 213->219: 215.85 -> {330, 216}
    // 3000 ft: 2717..3593 ft, f=283/876=0.3231: 31.88+(36.93-31.88)f=33.512 kt; 220->231: 223.55 -> {335, 224}
    // 3500 ft: 2717..3593 ft, f=783/876=0.8938: 36.397 kt; 229.83 -> {364, 230}
    // 4000 ft: 3717..4183 ft, f=283/466=0.6073: 38.88+(40.82-38.88)f=40.057 kt; 230->237: 234.25 -> {401, 234}
    // 4500 ft: 4183..5063 ft, f=317/880=0.3602: 40.82+(46.65-40.82)f=42.921 kt; 237->241: 238.44 -> {429, 238}
    // 5000 ft: 4183..5063 ft, f=817/880=0.9284: 46.235 kt; 240.71 -> {462, 241}
    expectWinds(v[0], {{{156, 160}, {306, 181}, {377, 188}, {343, 195}, {330, 204}, {330, 216}, {335, 224}, {364, 230},
                        {401, 234}, {429, 238}, {462, 241}}});
    // Ground pressure: 992 mb at -3 ft (the 1000 mb line, 217 ft below ground, is not needed) and
    // 977 at 413: 992 - 15 * 3/416 = 991.89 -> 991.9 mb.
    EXPECT_EQ(levels::build(v[0]).levels[0].pressure, 99190);
}

TEST(RealSoundingLevels, barrowIgra2FirstSoundingPascalsAndTenthsOfMetresPerSecond) {
    auto v = igra2::read(test::readSample("igra2/USM00070026-data_3soundings.txt"));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].wmo, 70026);
    EXPECT_DOUBLE_EQ(*v[0].elevationM, 12);   // the surface level's height
    // Winds (GPH m -> ft above 12 m; speed tenths of m/s -> kt):
    //    0 ft: at 0 ft: 9.914 kt, 20 -> {99, 20}
    //  500 ft: 0..1755 ft, f=500/1755=0.2849: 9.914+(6.026-9.914)f=8.806 kt; 20->40: 25.70 -> {88, 26}
    // 1000 ft: 0..1755 ft, f=1000/1755=0.5698: 7.698 kt; 31.40 -> {77, 31}
    // 1500 ft: 0..1755 ft, f=1500/1755=0.8547: 6.591 kt; 37.09 -> {66, 37}
    // 2000 ft: 1755..2297 ft, f=245/542=0.4520: 6.026+(5.054-6.026)f=5.587 kt; 40->41: 40.45 -> {56, 41}
    // 2500 ft: 2297..2549 ft: 5.054 kt, 41 -> {51, 41}
    // 3000 ft: 2549..3396 ft, f=451/847=0.5325: 5.054 kt; 41->63: 52.71 -> {51, 53}
    // 3500 ft: 3396..4246 ft, f=104/850=0.1224: 5.054+(4.082-5.054)f=4.935 kt; 63->68: 63.61 -> {49, 64}
    // 4000 ft: 3396..4246 ft, f=604/850=0.7106: 4.363 kt; 66.55 -> {44, 67}
    // 4500 ft: 4498..5069 ft, f=2/571=0.0035: 4.082+(2.916-4.082)f=4.078 kt; 64->55: 63.97 -> {41, 64}
    // 5000 ft: 4498..5069 ft, f=502/571=0.8792: 3.057 kt; 56.09 -> {31, 56}
    expectWinds(v[0], {{{99, 20}, {88, 26}, {77, 31}, {66, 37}, {56, 41}, {51, 41}, {51, 53}, {49, 64}, {44, 67},
                        {41, 64}, {31, 56}}});
    EXPECT_EQ(levels::build(v[0]).levels[0].pressure, 100980);   // 100980 Pa at the surface
}

TEST(RealSoundingLevels, rivertonWyomingBelowGroundRowsAndKnots) {
    auto page = test::wyomingPage("uwyo_72672_RIW_2019052800.html");
    if (!page) GTEST_SKIP() << test::kNoWyomingPages;
    auto v = wyoming::read(test::readFile(*page));
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].wmo, 72672);
    EXPECT_DOUBLE_EQ(*v[0].elevationM, 1703);
    EXPECT_DOUBLE_EQ(v[0].lon, -108.48);
    // Station 1703 m; the 1000, 925 and 850 hPa rows lie below ground with no wind.
    //    0 ft: 823 hPa row at 1703 m: 8 kt, 55 -> {80, 55}
    //  500 ft: 98..561 ft, f=402/463=0.8683: 8+(7-8)f=7.132 kt; 53->41: 42.58 -> {71, 43}
    // 1000 ft: 561..1234 ft, f=439/673=0.6523: 7+(6-7)f=6.348 kt; 41->24: 29.91 -> {63, 30}
    // 1500 ft: 1414..2412 ft, f=86/998=0.0862: 6+(3-6)f=5.741 kt; 20->60: 23.45 -> {57, 23}
    // 2000 ft: 1414..2412 ft, f=586/998=0.5872: 4.238 kt; 43.49 -> 43.5 -> {42, 44}
    // 2500 ft: 2412..2871 ft, f=88/459=0.1917: 3+(4-3)f=3.192 kt; 60->51: 58.27 -> {32, 58}
    // 3000 ft: 2871..3412 ft, f=129/541=0.2384: 4+(6-4)f=4.477 kt; 51->40: 48.38 -> {45, 48}
    // 3500 ft: 3412..3852 ft, f=88/440=0.2000: 6 kt; 40->42: 40.40 -> {60, 40}
    // 4000 ft: 3852..4298 ft, f=148/446=0.3318: 6+(5-6)f=5.668 kt; 42->45: 43.00 -> {57, 43}
    // 4500 ft: 4298..4751 ft, f=202/453=0.4459: 5 kt; 45->76: 58.82 -> {50, 59}
    // 5000 ft: 4751..5801 ft, f=249/1050=0.2371: 5 kt; 76->148: 93.07 -> {50, 93}
    expectWinds(v[0], {{{80, 55}, {71, 43}, {63, 30}, {57, 23}, {42, 44}, {32, 58}, {45, 48}, {60, 40}, {57, 43},
                        {50, 59}, {50, 93}}});
}

// Every value the import stores for every real sample, as one fingerprint of
// the rows of `soundings` and `deleted`: a change of the reading, the level
// building, the checks or the storing that moves any stored figure shows here.
// When a change is meant to move figures, the new fingerprints are printed.
namespace {

std::uint64_t fingerprintOf(const std::string& dataFile) {
    SQLite::Database db = core::openGuardedDatabase(dataFile, false);
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](std::string_view text) {
        for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
        h = (h ^ 0xffu) * 1099511628211ull;
    };
    for (const char* sql : {"SELECT * FROM soundings ORDER BY Date, Time", "SELECT * FROM deleted ORDER BY id"}) {
        SQLite::Statement q(db, sql);
        while (q.executeStep())
            for (int c = 1; c < q.getColumnCount(); ++c)
                add(q.getColumn(c).isNull() ? std::string("NULL") : q.getColumn(c).getString());
    }
    return h;
}

}  // namespace

TEST(RealSoundingLevels, everyStoredValueOfEverySampleIsAsBefore) {
    const std::vector<std::tuple<const char*, long, const char*>> samples = {
        {"fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl", 72518, "79bda46c6efbfba9"},
        {"fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl", 74494, "b9c43676837ef686"},
        {"fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl", 72606, "90d58aabeb799e79"},
        {"fsl/esrl_87576_SAEZ_2019_kt_99999.fsl", 87576, "0bb97650468d859f"},
        {"igra2/CAM00071701-data.txt", 71701, "792913a691e38866"},
    };
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "data");
    StationDataFile::createEmpty((folder / "empty.dat").string());
    FixedReviewDecider accept(true);
    ImportOptions opt;
    opt.decider = &accept;
    core::SilentPrompter quiet;
    for (const auto& [file, wmo, expected] : samples) {
        const auto r = importFile(folder.dir(), test::sample(file).string(), opt, quiet, wmo);
        ASSERT_FALSE(r.failed) << file << ": " << r.report;
        const auto got = fingerprintOf(folder.dir() + "data/" + std::to_string(wmo) + ".dat");
        EXPECT_EQ(fmt::format("{:016x}", got), expected) << file;
    }
}

#include "sounding/RawTextReader.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ImportTestText.h"
#include "core/Dates.h"

using namespace skyloom;
using namespace skyloom::sounding;
using test::FslLine;

namespace {

const std::vector<FslLine> kSimple = {
    {9, 10030, 20, 272, 241, 20, 3},
    {4, 10000, 44, 268, 237, 30, 3},
    {6, 99999, 609, 99999, 99999, 305, 26},
};

}  // namespace

TEST(RawTextReader, splitsTypeOneLineAfterColumn29SoFusedCoordinatesSeparate) {
    EXPECT_EQ(rawtext::splitLine("      1  99999  87576  34.82S158.53W    20   1134", "99999"),
              (rawtext::Fields{"1", "99999", "87576", "34.82S", "158.53W", "20", "1134"}));
}

TEST(RawTextReader, readsTypeThreeInFixedColumnsKeepingBlankFields) {
    EXPECT_EQ(rawtext::splitLine("      3          SAEZ                99999     kt", "99999"),
              (rawtext::Fields{"3", "", "SAEZ", "", "", "99999", "kt"}));
    EXPECT_EQ(rawtext::splitLine("      3           ALB                          ms", "32767"),
              (rawtext::Fields{"3", "", "ALB", "", "", "", "ms"}));
}

TEST(RawTextReader, controlCharacterTurnsEveryFieldIntoTheMarker) {
    auto f = rawtext::splitLine("      4  10000 \t  44    268    237     30      3", "32767");
    for (const auto& x : f) EXPECT_EQ(x, "32767");
    auto g = rawtext::splitLine(std::string("      4  10000\x01     44", 22), "99999");
    EXPECT_EQ(g[0], "99999");
}

TEST(RawTextReader, soundingStartsOnlyWith254InTheFirstSevenColumns) {
    EXPECT_TRUE(rawtext::startsSounding("    254     12      2      JAN    2019"));
    EXPECT_FALSE(rawtext::startsSounding("      5    254  10363   -513   -583  99999  99999"));
    EXPECT_FALSE(rawtext::startsSounding("      4   2540   1000"));
    EXPECT_FALSE(rawtext::startsSounding(""));
}

TEST(RawTextReader, markerIsTakenFromTheHeaderLinesOfTheFirstSounding) {
    EXPECT_EQ(rawtext::missingMarker(test::fslSounding(0, 1, "JAN", 1990, 72518, kSimple, "32767", "ms")), "32767");
    EXPECT_EQ(rawtext::missingMarker(test::fslSounding(12, 2, "JAN", 2019, 87576, kSimple)), "99999");
    EXPECT_EQ(rawtext::missingMarker(""), "99999");
}

TEST(RawTextReader, readsHeaderStationAndChecksFields) {
    auto v = rawtext::read(test::fslSounding(12, 2, "JAN", 2019, 87576, kSimple));
    ASSERT_EQ(v.size(), 1u);
    const auto& s = v[0];
    EXPECT_TRUE(s.readProblem.empty());
    EXPECT_EQ(std::tie(*s.date, s.hour, s.wmo), std::make_tuple(core::makeDate(2019, 1, 2), 12, 87576));
    EXPECT_DOUBLE_EQ(s.lat, -34.82);
    EXPECT_DOUBLE_EQ(s.lon, -58.53);
    EXPECT_DOUBLE_EQ(*s.elevationM, 20);
    // wban, rtime; hydro, mxwd, tropl, tindex, source; staid.
    EXPECT_EQ((std::array{s.wban, s.rtime, s.hydro, s.mxwd, s.tropl, s.tindex, s.source, s.staid}),
              (std::array<std::string, 8>{"99999", "1134", "200", "1290", "685", "99999", "3", "SAEZ"}));
    ASSERT_EQ(s.points.size(), 3u);
    EXPECT_DOUBLE_EQ(*s.points[0].pressureMb, 1003.0);   // tenths of a millibar
    EXPECT_DOUBLE_EQ(*s.points[0].temperatureC, 27.2);
    EXPECT_DOUBLE_EQ(*s.points[0].speedKnots, 3);
    EXPECT_FALSE(s.points[2].pressureMb.has_value());
    EXPECT_FALSE(s.points[2].temperatureC.has_value());
}

TEST(RawTextReader, hemisphereLettersAndTheirAbsence) {
    const std::tuple<const char*, double, double> lettered[] = {{"42.75N 73.80E", 42.75, 73.80},
                                                                 {"42.75s 73.80w", -42.75, -73.80}};
    for (const auto& [coordinates, lat, lon] : lettered) {
        auto v = rawtext::read(std::string("    254      0      1      JAN    1990\n      1  14735  72518  ") +
                               coordinates + "     86  32767\n");
        EXPECT_DOUBLE_EQ(v[0].lat, lat) << coordinates;
        EXPECT_DOUBLE_EQ(v[0].lon, lon) << coordinates;
    }
    // Without letters the archive means north and west.
    auto none = rawtext::read(test::fslSounding(0, 1, "JAN", 1990, 72518, kSimple, "32767", "ms"));
    EXPECT_DOUBLE_EQ(none[0].lat, 42.75);
    EXPECT_DOUBLE_EQ(none[0].lon, -73.80);
}

TEST(RawTextReader, markerDecidesThePressureScaleAndUnitsTheSpeed) {
    std::vector<FslLine> whole = {{9, 992, 85, 27, 20, 160, 80}, {5, 977, 212, 28, 32767, 179, 32767}};
    auto v = rawtext::read(test::fslSounding(0, 1, "JAN", 1990, 72518, whole, "32767", "ms", 86));
    ASSERT_EQ(v[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(*v[0].points[0].pressureMb, 992.0);
    EXPECT_NEAR(*v[0].points[0].speedKnots, 8.0 / 0.514444, 1e-9);   // 80 tenths of m/s
    EXPECT_FALSE(v[0].points[1].speedKnots.has_value());
    EXPECT_FALSE(v[0].points[1].heightM == std::nullopt);
}

TEST(RawTextReader, crlfAndLfReadAlikeAndRawTextUsesCrlf) {
    auto lf = rawtext::read(test::fslSounding(12, 2, "JAN", 2019, 87576, kSimple, "99999", "kt", 20, "\n"));
    auto crlf = rawtext::read(test::fslSounding(12, 2, "JAN", 2019, 87576, kSimple, "99999", "kt", 20, "\r\n"));
    ASSERT_EQ(lf.size(), 1u);
    ASSERT_EQ(crlf.size(), 1u);
    EXPECT_EQ(lf[0].rawText, crlf[0].rawText);
    EXPECT_EQ(lf[0].points.size(), crlf[0].points.size());
    EXPECT_EQ(lf[0].rawText.substr(0, 40), "    254     12      2      JAN    2019\r\n");
}

TEST(RawTextReader, brokenSoundingsCarryAProblemAndTheRestStillReads) {
    std::string text = "garbage before\n\x7f\x02binary\n";
    text += "    254     99      2      JAN    2019\n";                                  // hour 99
    text += test::fslSounding(12, 31, "FEB", 2019, 87576, kSimple);                   // no such day
    text += "    254     12      2      JAN    2019\n      2    200\n";                 // no station line
    text += test::fslSounding(12, 3, "JAN", 2019, 87576, kSimple);
    text += "    254     12      4      JAN    2019\n      1  99999  87576  34.82S 58.53W\n      4   1000";  // truncated
    auto v = rawtext::read(text);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].readProblem, "Unreadable sounding header.");
    EXPECT_EQ(v[1].readProblem, "Unreadable sounding header.");
    EXPECT_EQ(v[2].readProblem, "No station line in sounding.");
    EXPECT_TRUE(v[3].readProblem.empty());
    EXPECT_EQ(v[4].readProblem, "No station elevation in sounding.");
    EXPECT_TRUE(rawtext::read("").empty());
}

TEST(RawTextReader, nonNumericAndShortDataLinesGiveMissingValues) {
    std::string text = test::fslSounding(12, 2, "JAN", 2019, 87576, kSimple);
    text += "      4   abc    731    242    239    305\n";
    auto v = rawtext::read(text);
    ASSERT_EQ(v[0].points.size(), 4u);
    const auto& p = v[0].points[3];
    EXPECT_FALSE(p.pressureMb.has_value());
    EXPECT_DOUBLE_EQ(*p.heightM, 731);
    EXPECT_DOUBLE_EQ(*p.directionDeg, 305);
    EXPECT_FALSE(p.speedKnots.has_value());
}

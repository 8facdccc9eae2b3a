#include <gtest/gtest.h>

#include <tuple>

#include "TempFolder.h"
#include "sounding/Igra2Reader.h"
#include "sounding/LevelBuilder.h"
#include "sounding/SoundingImport.h"
#include "sounding/WyomingReader.h"

using namespace skyloom;
using namespace skyloom::sounding;

namespace {

const char* kIgra =
    "#CAM00071701 2021 01 26 12 1011    4 ncdc-gts ncdc-gts  458333  -664333\n"
    "21 -9999 100800B-9999   -57B-9999    30   275    31 \n"
    "10 -9999 100000   116B  -63B-9999    19   285    46 \n"
    "20 -9999  97700 -8888   -73B-9999     7 -8888 -9999 \n"
    "01 -9999  -9999 -9999 -9999 -9999 -9999   280    20 \n";

}  // namespace

TEST(Igra2Reader, readsFlaggedColumnsAndMissingMarkers) {
    auto v = igra2::read(kIgra);
    ASSERT_EQ(v.size(), 1u);
    const auto& s = v[0];
    EXPECT_TRUE(s.readProblem.empty());
    EXPECT_EQ(std::tie(s.wmo, s.hour, s.rtime, s.source), std::make_tuple(71701, 12, "1011", "ncdc-gts"));
    EXPECT_DOUBLE_EQ(s.lat, 45.8333);
    EXPECT_DOUBLE_EQ(s.lon, -66.4333);
    ASSERT_EQ(s.points.size(), 4u);
    EXPECT_DOUBLE_EQ(*s.points[0].pressureMb, 1008.0);   // "100800B": pascals with a flag letter
    EXPECT_DOUBLE_EQ(*s.points[0].temperatureC, -5.7);
    EXPECT_NEAR(*s.points[0].speedKnots, 3.1 / 0.514444, 1e-9);
    EXPECT_DOUBLE_EQ(*s.points[1].heightM, 116);
    EXPECT_FALSE(s.points[2].heightM.has_value());        // -8888: removed
    EXPECT_FALSE(s.points[2].directionDeg.has_value());
    // No surface height reported: from 1000 hPa at 116 m down to 1008 hPa with the hypsometric
    // equation, 116 + 29.27 * (273.15 - 6.0) * ln(1000 / 1008) = 116 - 62.4 = 53.6 m.
    EXPECT_NEAR(*s.elevationM, 53.6, 0.1);
    // The undocumented "01" surface wind has neither pressure nor height: it sits at the surface.
    EXPECT_DOUBLE_EQ(*s.points[3].heightM, *s.elevationM);
    EXPECT_DOUBLE_EQ(*s.points[3].directionDeg, 280);
}

TEST(Igra2Reader, stationIdsOutsideTheWmoNetworkAreRefused) {
    std::string t = kIgra;
    t[3] = 'W';
    EXPECT_EQ(igra2::read(t)[0].readProblem, "No WMO number in station id.");
    EXPECT_TRUE(igra2::looksLike(kIgra));
    EXPECT_FALSE(igra2::looksLike("#comment"));
    EXPECT_EQ(detectFormat(kIgra), SourceFormat::Igra2);
}

TEST(WyomingReader, blanksAreMissingAndHeightsMayBeNegative) {
    const std::string page = test::readFile(test::testData("wyoming/72357 norman own listing.html"));
    EXPECT_EQ(detectFormat(page), SourceFormat::Wyoming);
    auto v = wyoming::read(page);
    ASSERT_EQ(v.size(), 1u);
    const auto& s = v[0];
    EXPECT_EQ(std::tie(s.wmo, s.hour, *s.date, s.staid), std::make_tuple(72357, 0, core::makeDate(1999, 5, 4), "OUN"));
    EXPECT_DOUBLE_EQ(*s.elevationM, 345);
    EXPECT_DOUBLE_EQ(s.lon, -97.44);
    ASSERT_EQ(s.points.size(), 9u);
    EXPECT_DOUBLE_EQ(*s.points[0].heightM, -7);             // "1000.0     -7"
    EXPECT_FALSE(s.points[0].temperatureC.has_value());
    EXPECT_FALSE(s.points[0].speedKnots.has_value());
    EXPECT_DOUBLE_EQ(*s.points[1].speedKnots, 16);
    EXPECT_DOUBLE_EQ(*s.points[1].directionDeg, 150);
    EXPECT_DOUBLE_EQ(*s.points[8].temperatureC, -15.1);     // the top row has no wind
    EXPECT_FALSE(s.points[8].speedKnots.has_value());
    EXPECT_FALSE(s.points[8].directionDeg.has_value());
    EXPECT_EQ(levels::build(s).badPressureData, 0);
}

TEST(WyomingReader, everyRealPageReadsAndBuilds) {
    for (const char* name : {"uwyo_72357_OUN_1999050400.html", "uwyo_72357_OUN_2018122212.html",
                             "uwyo_72357_OUN_2023052212.html", "uwyo_72672_RIW_2019052812.html",
                             "uwyo_72681_BOI_2010120912.html"}) {
        auto page = test::wyomingPage(name);
        if (!page) GTEST_SKIP() << test::kNoWyomingPages;
        auto v = wyoming::read(test::readFile(*page));
        ASSERT_EQ(v.size(), 1u) << name;
        EXPECT_TRUE(v[0].readProblem.empty()) << name;
        EXPECT_EQ(levels::build(v[0]).badPressureData, 0) << name;
    }
}

TEST(WyomingReader, pageWithoutStationBlockOrTitleIsAProblemNotACrash) {
    auto v = wyoming::read("<H2>72357 OUN Norman Observations at 00Z 04 May 1999</H2><PRE>\n"
                           "-----\n PRES\n-----\n 1000.0     -7\n</PRE>");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].readProblem, "No station elevation in sounding.");
    EXPECT_TRUE(wyoming::read("<PRE>PRES HGHT</PRE>").empty());
    EXPECT_EQ(wyoming::read("<H2>garbage</H2><PRE>x</PRE>")[0].readProblem, "Unreadable sounding header.");
}

TEST(WyomingReader, pageWithTwoSoundingsGivesBoth) {
    auto v = wyoming::read(test::readFile(test::testData("wyoming/72672 riverton two soundings own listing.html")));
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].hour, 0);
    EXPECT_EQ(v[1].hour, 12);
    for (const auto& s : v) {
        EXPECT_TRUE(s.readProblem.empty());
        EXPECT_DOUBLE_EQ(*s.elevationM, 1703);
        // The rows below the station carry a height only.
        ASSERT_EQ(s.points.size(), 8u);
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(s.points[i].speedKnots.has_value()) << i;
    }
    EXPECT_DOUBLE_EQ(*v[0].points[3].speedKnots, 8);
    EXPECT_DOUBLE_EQ(*v[1].points[3].speedKnots, 10);
}

#include "sounding/QualityCheck.h"

#include <gtest/gtest.h>

using namespace skyloom::sounding;

namespace {

using Winds = std::vector<std::array<double, 3>>;   // feet above ground, knots, degrees

// Winds at a station 0 m up, built and checked.
QualityVerdict checked(const Winds& winds, const ReviewCriteria& c = {}) {
    ParsedSounding s;
    s.wmo = 1;
    s.elevationM = 0;
    for (const auto& w : winds) {
        RawPoint r;
        r.heightM = w[0] / levels::kFeetPerMetre;
        r.speedKnots = w[1];
        r.directionDeg = w[2];
        s.points.push_back(r);
    }
    return quality::check(levels::build(s), c);
}

// Four good winds above a first wind at the given height.
Winds firstWindAt(double feet) { return {{feet, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}}; }

}  // namespace

TEST(QualityCheck, verdictsAndTheirTexts) {
    const char* kAbove500 = " First wind altitude was above 500 feet AGL.";
    const char* kStep = " Bad wind speed difference between altitudes.";
    struct Case {
        const char* what;
        Winds winds;
        bool reject, review;
        std::string reason;
    } cases[] = {
        {"four points pass", firstWindAt(0), false, false, ""},
        {"three points fail", {{0, 10, 180}, {3000, 13, 190}, {6000, 16, 210}}, true, false,
         "Not enough data points <4 = 3 ."},
        {"first wind below Lalt", firstWindAt(249), false, false, ""},
        {"first wind at Lalt", firstWindAt(250), false, true, ""},
        {"first wind at Malt", firstWindAt(500), false, true, ""},
        {"first wind above Malt", firstWindAt(501), true, false, kAbove500},
        {"no point inside the levels", {{-200, 10, 180}, {-100, 12, 190}, {5200, 14, 200}, {6000, 16, 210}}, true,
         false, " No datapoints in range (0)."},
        {"winds ending below the top level", {{0, 10, 180}, {1000, 12, 190}, {2000, 14, 200}, {4900, 16, 210}}, false,
         false, ""},
        // 0 -> 500 ft: 0 to 31 kt is 310 tenths > 300; from 1 kt it is 300.
        {"ground step", {{0, 0.0001, 180}, {500, 31, 190}, {4000, 31, 200}, {6000, 31, 210}}, false, true, kStep},
        {"ground step at the limit", {{0, 1, 180}, {500, 31, 190}, {4000, 31, 200}, {6000, 31, 210}}, false, false, ""},
        // 500 -> 1000 ft: 10 to 30.1 kt is 201 tenths > 200.
        {"upper step", {{0, 10, 180}, {500, 10, 190}, {1000, 30.1, 200}, {6000, 30.1, 210}}, false, true, kStep},
        {"levels with zero direction are not compared",
         {{0, 10, 180}, {500, 10, 190}, {1000, 40, 0}, {6000, 40, 0}}, false, false, ""},
        {"findings add up in order", {{3000, 10, 180}, {6000, 16, 210}}, true, false,
         std::string("Not enough data points <4 = 2 .") + kAbove500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto v = checked(c.winds);
        EXPECT_EQ(v.reject, c.reject);
        EXPECT_EQ(v.needsReview, c.review);
        EXPECT_EQ(v.reason, c.reason);
    }
}

TEST(QualityCheck, raisedMaltTurnsTheDeletionIntoAReview) {
    ReviewCriteria c;
    c.malt = 600;
    c.maltText = "600";
    auto v = checked(firstWindAt(501), c);
    EXPECT_FALSE(v.reject);
    EXPECT_TRUE(v.needsReview);
}

TEST(QualityCheck, groundWindExtrapolatedHigherThanUpperWindRejects) {
    // 60 kt at 100 ft gives 60 * (33/100)^(1/7) = 51.3 kt at the ground; 500 ft has 10.5 kt.
    auto v = checked({{100, 60, 180}, {700, 1, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_TRUE(v.reject);
    EXPECT_NE(v.reason.find("Ground wind extrapolated higher than upper wind."), std::string::npos);
    // A reported ground wind stronger than 500 ft is weather, not extrapolation.
    auto reported = checked({{0, 12, 180}, {700, 1, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_EQ(reported.reason.find("Ground wind"), std::string::npos);
}

TEST(QualityCheck, noWindAtAllCountsAsFirstWindAboveMalt) {
    ParsedSounding s;
    s.elevationM = 0;
    for (int i = 0; i < 5; ++i) {
        RawPoint r;
        r.heightM = i * 400.0;
        r.temperatureC = 10.0 - i;
        s.points.push_back(r);
    }
    auto v = quality::check(levels::build(s), ReviewCriteria{});
    EXPECT_TRUE(v.reject);
    EXPECT_EQ(v.reason, " First wind altitude was above 500 feet AGL.");
}

#include "sounding/QualityCheck.h"

#include <gtest/gtest.h>

using namespace skyloom::sounding;

namespace {

// Winds given as (feet above ground, knots, degrees) at a station 0 m up.
LevelBuild built(const std::vector<std::array<double, 3>>& winds) {
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
    return levels::build(s);
}

QualityVerdict checked(const std::vector<std::array<double, 3>>& winds, const ReviewCriteria& c = {}) {
    return quality::check(built(winds), c);
}

}  // namespace

TEST(QualityCheck, fourPointsPassAndThreeFailWithTheCount) {
    auto four = checked({{0, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_FALSE(four.reject);
    EXPECT_EQ(four.reason, "");
    auto three = checked({{0, 10, 180}, {3000, 13, 190}, {6000, 16, 210}});
    EXPECT_TRUE(three.reject);
    EXPECT_EQ(three.reason, "Not enough data points <4 = 3 .");
}

TEST(QualityCheck, firstWindAboveMaltDeletesTheSounding) {
    auto v = checked({{501, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_TRUE(v.reject);
    EXPECT_EQ(v.reason, " First wind altitude was above 500 feet AGL.");
    ReviewCriteria c;
    c.malt = 600;
    c.maltText = "600";
    auto ok = checked({{501, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}}, c);
    EXPECT_FALSE(ok.reject);
    EXPECT_TRUE(ok.needsReview);
}

TEST(QualityCheck, firstWindBetweenLaltAndMaltNeedsReviewBelowLaltDoesNot) {
    auto at249 = checked({{249, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_FALSE(at249.needsReview);
    auto at250 = checked({{250, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_TRUE(at250.needsReview);
    auto at500 = checked({{500, 10, 180}, {2000, 12, 190}, {4000, 14, 200}, {6000, 16, 210}});
    EXPECT_TRUE(at500.needsReview);
    EXPECT_FALSE(at500.reject);
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

TEST(QualityCheck, noPointsInsideTheLevelRange) {
    auto v = checked({{-200, 10, 180}, {-100, 12, 190}, {5200, 14, 200}, {6000, 16, 210}});
    EXPECT_TRUE(v.reject);
    EXPECT_EQ(v.reason, " No datapoints in range (0).");
}

TEST(QualityCheck, windsThatEndBelowTheTopLevelAreKept) {
    auto v = checked({{0, 10, 180}, {1000, 12, 190}, {2000, 14, 200}, {4900, 16, 210}});
    EXPECT_FALSE(v.reject);
    EXPECT_EQ(v.reason, "");
}

TEST(QualityCheck, speedStepsBeyondTheLimitsComeUpForReview) {
    // 0 -> 500 ft: 0 to 31 kt is 310 tenths > 300.
    auto ground = checked({{0, 0.0001, 180}, {500, 31, 190}, {4000, 31, 200}, {6000, 31, 210}});
    EXPECT_FALSE(ground.reject);
    EXPECT_TRUE(ground.needsReview);
    EXPECT_EQ(ground.reason, " Bad wind speed difference between altitudes.");
    auto groundOk = checked({{0, 1, 180}, {500, 31, 190}, {4000, 31, 200}, {6000, 31, 210}});
    EXPECT_EQ(groundOk.reason, "");
    // 500 -> 1000 ft: 10 to 30.1 kt is 201 tenths > 200.
    auto upper = checked({{0, 10, 180}, {500, 10, 190}, {1000, 30.1, 200}, {6000, 30.1, 210}});
    EXPECT_EQ(upper.reason, " Bad wind speed difference between altitudes.");
    EXPECT_TRUE(upper.needsReview);
    // Levels with zero direction are not compared.
    auto calm = checked({{0, 10, 180}, {500, 10, 190}, {1000, 40, 0}, {6000, 40, 0}});
    EXPECT_EQ(calm.reason, "");
}

TEST(QualityCheck, findingsAddUpInOrder) {
    auto v = checked({{3000, 10, 180}, {6000, 16, 210}});
    EXPECT_EQ(v.reason, "Not enough data points <4 = 2 . First wind altitude was above 500 feet AGL.");
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

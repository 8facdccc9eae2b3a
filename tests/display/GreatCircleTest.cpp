#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "display/GreatCircle.h"

using skyloom::display::GreatCircleDistance;
using skyloom::display::kTooFar;

namespace {

double rad(double deg) { return deg * std::numbers::pi / 180.0; }
double km(double lat1, double lon1, double lat2, double lon2) {
    return GreatCircleDistance(rad(lat1), rad(lon1), rad(lat2), rad(lon2));
}

// Independent reference for points on one hemisphere: the haversine formula on
// a sphere of 111.195 km per degree.
double haversineKm(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = rad(lat2 - lat1), dLon = rad(lon2 - lon1);
    const double a = std::pow(std::sin(dLat / 2), 2) + std::cos(rad(lat1)) * std::cos(rad(lat2)) * std::pow(std::sin(dLon / 2), 2);
    return 2 * std::asin(std::sqrt(a)) * 111.195 * 180.0 / std::numbers::pi;
}

}  // namespace

TEST(GreatCircle, agreesWithTheHaversineArcOnOneHemisphereAt111Point195KmPerDegree) {
    EXPECT_NEAR(km(10, 20, 11, 20), 111.195, 1e-3);
    // Either point may lie on the equator; along it a degree of longitude is the same arc.
    const double pts[][4] = {{0, -75, 1, -75}, {-45, 179, -44, 179}, {0, 10, 0, 11}, {60, 10, 60, 20},
                             {42.75, -73.8, 43.65, -70.32}, {-34.82, -58.53, -22.0, -47.9}, {0, 0, 10, 10}};
    for (const auto& p : pts)
        EXPECT_NEAR(km(p[0], p[1], p[2], p[3]), haversineKm(p[0], p[1], p[2], p[3]), 1e-3) << p[0] << "," << p[1];
}

TEST(GreatCircle, pointsMoreThanAQuarterTurnOfLongitudeApartAreTooFar) {
    EXPECT_EQ(km(10, 0, 10, 100), kTooFar);
    EXPECT_EQ(km(0, -50, 0, 50), kTooFar);
    EXPECT_EQ(km(40, 0, 41, 91), kTooFar);
    EXPECT_NE(km(40, 0, 41, 89), kTooFar);
    // The short way round across the date line is 20 degrees, not 340.
    EXPECT_NEAR(km(0, 170, 0, -170), 20 * 111.195, 1e-2);
    // Near the date line the single-precision inputs are good to about a metre.
    EXPECT_NEAR(km(30, -179.5, 30, 179.5), haversineKm(30, 0, 30, 1), 2e-3);
}

TEST(GreatCircle, acrossTheEquatorTheTwoLegsMeetOnIt) {
    EXPECT_NEAR(km(-10, 30, 10, 30), 20 * 111.195, 1e-2);
    // The straight line from 10 S 0 E to 10 N 20 E crosses the equator at 10 E.
    EXPECT_NEAR(km(-10, 0, 10, 20), 2 * km(10, 0, 0, 10), 1e-6);
    // Off the symmetric case the two legs are longer than the single arc.
    EXPECT_GT(km(-5, 0, 15, 20), haversineKm(-5, 0, 15, 20) + 0.05);
    EXPECT_NEAR(km(-5, 0, 15, 20), km(-5, 0, 0, 5) + km(0, 5, 15, 20), 1e-6);
    // Uneven sides: 5 S to 15 N on one meridian is still 20 degrees.
    EXPECT_NEAR(km(-5, 0, 15, 0), 20 * 111.195, 1e-2);
}

TEST(GreatCircle, isSymmetricInItsTwoPoints) {
    const double pts[][4] = {{10, 20, 11, 25}, {-10, 0, 10, 20}, {-33.1, 151.2, 5.5, 130.0},
                             {60, 170, 55, -175}, {0, 0, 0, 89.9}, {-80, 10, 80, -10}};
    for (const auto& p : pts) EXPECT_EQ(km(p[0], p[1], p[2], p[3]), km(p[2], p[3], p[0], p[1]));
}

TEST(GreatCircle, coincidentPointsAreZeroApart) {
    EXPECT_EQ(km(45, 7, 45, 7), 0.0);
    EXPECT_EQ(km(-12.5, -77, -12.5, -77), 0.0);
    // Closer than the cosine can tell from 1: zero, not a tiny random figure.
    EXPECT_EQ(GreatCircleDistance(0.5, 0.5, 0.5, 0.5 + 1e-8), 0.0);
}

TEST(GreatCircle, inputsCountAtSinglePrecision) {
    const double lat = 0.7123456789012345;
    EXPECT_EQ(GreatCircleDistance(lat, 0.1, lat + 1e-12, 0.2), GreatCircleDistance(lat, 0.1, lat, 0.2));
}

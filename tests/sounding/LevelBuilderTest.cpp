#include "sounding/LevelBuilder.h"

#include <gtest/gtest.h>

using namespace skyloom::sounding;

namespace {

// A sounding at a station 100 m up, with points given in feet above ground.
struct P {
    double feet;
    std::optional<double> speed, dir, temp, pres;
};

ParsedSounding soundingOf(const std::vector<P>& pts) {
    ParsedSounding s;
    s.wmo = 1;
    s.elevationM = 100;
    for (const auto& p : pts) {
        RawPoint r;
        r.heightM = 100 + p.feet / levels::kFeetPerMetre;
        r.speedKnots = p.speed;
        r.directionDeg = p.dir;
        r.temperatureC = p.temp;
        r.pressureMb = p.pres;
        s.points.push_back(r);
    }
    return s;
}

}  // namespace

TEST(LevelBuilder, bandBoundariesGoToTheLowerBand) {
    const std::pair<long, int> bands[] = {{-40, 1},   {0, 1},     {1, 2},     {500, 2}, {501, 3},
                                          {4500, 10}, {4501, 11}, {5000, 11}, {5001, 12}};
    for (const auto& [feet, band] : bands) EXPECT_EQ(levels::bandOf(feet), band) << feet;
    std::vector<CollectedPoint> pts;
    for (long feet : {0L, 500L, 1000L, 5001L}) pts.emplace_back().feet = feet;
    EXPECT_EQ(levels::bands(pts), "111000000001");
    EXPECT_EQ(levels::bands({}), "000000000000");
}

TEST(LevelBuilder, directionsInterpolateThroughNorth) {
    // 365 is 5 once corrected; exactly opposite directions do not wrap.
    const std::array<double, 4> cases[] = {{350, 10, 0.5, 360}, {10, 350, 0.5, 360}, {350, 10, 0.75, 365},
                                           {90, 270, 0.5, 180}};
    for (const auto& [from, to, f, dir] : cases)
        EXPECT_DOUBLE_EQ(levels::interpolateDirection(from, to, f), dir) << from << " to " << to << " at " << f;
    // In a sounding: 350 at the ground and 10 at 1000 ft give north at 500 ft, not 180.
    auto b = levels::build(soundingOf({{0, 10, 350, {}, {}}, {1000, 20, 10, {}, {}}, {6000, 20, 10, {}, {}}}));
    EXPECT_EQ(b.levels[1].direction, 360);
    EXPECT_EQ(b.levels[1].speed, 150);
    EXPECT_EQ(b.levels[0].direction, 350);
    EXPECT_EQ(b.levels[2].direction, 10);
}

TEST(LevelBuilder, pointsAreSortedByHeightAndCutAt30000Feet) {
    auto b = levels::build(soundingOf({{3000, 30, 200, {}, {}}, {0, 10, 180, {}, {}}, {29999, 90, 250, {}, {}},
                                       {30000, 99, 250, {}, {}}, {1000, 20, 190, {}, {}}}));
    std::vector<long> feet;
    for (const auto& p : b.points) feet.push_back(p.feet);
    EXPECT_EQ(feet, (std::vector<long>{0, 1000, 3000, 29999}));
}

TEST(LevelBuilder, validityRulesForWindTemperatureAndPressure) {
    auto b = levels::build(soundingOf({{0, -1, 180, 15, 1100.0},   // negative speed, 1100 mb not below 1100
                                       {100, 10, 361, {}, 1099.9}, // direction above 360
                                       {200, 10, 360, {}, {}},
                                       {300, {}, 90, 14, {}},      // no speed: no wind
                                       {400, {}, {}, {}, {}}}));   // nothing usable: not collected
    ASSERT_EQ(b.points.size(), 4u);
    // Per point: wind, temperature and pressure kept.
    const std::array<bool, 3> kept[] = {{false, true, false}, {false, false, true}, {true, false, false},
                                        {false, true, false}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& p = b.points[i];
        EXPECT_EQ((std::array{p.hasWind(), p.temperatureC.has_value(), p.pressureMb.has_value()}), kept[i]) << i;
    }
    EXPECT_EQ(b.firstWindFeet, std::optional<long>(200));
}

TEST(LevelBuilder, equalHeightsTakeTheLowerPointsValue) {
    auto b = levels::build(soundingOf({{0, 4, 90, {}, {}}, {500, 12, 100, {}, {}}, {500, 30, 200, {}, {}},
                                       {6000, 30, 200, {}, {}}}));
    EXPECT_EQ(b.levels[1].speed, 120);
    EXPECT_EQ(b.levels[1].direction, 100);
}

TEST(LevelBuilder, windsBelowTheFirstWindFallOffWithTheSeventhPowerOfHeight) {
    // First wind 20 kt at 200 ft: ground = 20 * (33 / 200)^(1/7) = 20 * 0.77347 = 15.47 -> 15.5 kt.
    auto b = levels::build(soundingOf({{200, 20, 270, {}, {}}, {6000, 20, 270, {}, {}}}));
    EXPECT_TRUE(b.groundWindExtrapolated);
    EXPECT_EQ(b.levels[0].speed, 155);
    EXPECT_EQ(b.levels[0].direction, 270);
    // A level just below the first wind takes its value: 500 / 520 = 0.96 >= 0.94: the 520-ft wind is used as it is.
    auto near = levels::build(soundingOf({{520, 20, 270, {}, {}}, {6000, 40, 280, {}, {}}}));
    EXPECT_EQ(near.levels[1].speed, 200);
    // 500 / 540 = 0.926: the wind is carried down: 20 * (500 / 540)^(1/7) = 19.78 -> 19.8.
    auto far = levels::build(soundingOf({{540, 20, 270, {}, {}}, {6000, 40, 280, {}, {}}}));
    EXPECT_EQ(far.levels[1].speed, 198);
}

TEST(LevelBuilder, groundTemperatureFromTheLapseBelowTheLowestReport) {
    // Lowest temperature 10.0 C at 300 ft: ground = 10.0 + 1.98 * 0.3 = 10.594 -> 10.6 C.
    auto b = levels::build(soundingOf({{0, 5, 90, {}, {}}, {300, 10, 90, 10.0, {}}, {6000, 10, 90, -2.0, {}}}));
    EXPECT_EQ(b.levels[0].temperature, 1060);
    EXPECT_TRUE(b.temperatureKnown[0]);
    EXPECT_EQ(b.badTemperatureData, 0);
}

TEST(LevelBuilder, temperatureAndPressureFlagsWhenLevelsCannotBeFilled) {
    auto windOnly = levels::build(soundingOf({{0, 5, 90, {}, {}}, {6000, 10, 90, {}, {}}}));
    EXPECT_EQ(windOnly.badTemperatureData, 1);
    EXPECT_EQ(windOnly.badPressureData, 1);
    EXPECT_EQ(windOnly.levels[3].temperature, 0);
    // Reports only up to 1000 ft: carried at most 2000 ft above, so 3500 ft and up have none.
    auto low = levels::build(soundingOf({{0, 5, 90, 15, 1000}, {1000, 10, 90, 13, 965}, {6000, 10, 90, {}, {}}}));
    EXPECT_TRUE(low.temperatureKnown[6]);
    EXPECT_FALSE(low.temperatureKnown[7]);
    EXPECT_EQ(low.badTemperatureData, 1);
    EXPECT_EQ(low.badPressureData, 1);
    // Pressure that rises with height is not usable.
    auto rising = levels::build(soundingOf({{0, 5, 90, 15, 900}, {6000, 10, 90, 4, 1000}}));
    EXPECT_EQ(rising.badPressureData, 1);
    EXPECT_EQ(rising.badTemperatureData, 0);
    auto good = levels::build(soundingOf({{0, 5, 90, 15, 1000}, {6000, 10, 90, 4, 800}}));
    EXPECT_EQ(good.badPressureData, 0);
    // 1000 - 200 * 2500 / 6000 = 916.67 -> 916.7 mb stored in hundredths.
    EXPECT_EQ(good.levels[5].pressure, 91670);
}

TEST(LevelBuilder, roundingToOneDecimalThenStoredUnits) {
    // 500 ft between 0 ft (10 kt, 1.04 C) and 6000 ft (22 kt, 13.04 C): 11.0 kt, 2.04 -> 2.0 C.
    auto b = levels::build(soundingOf({{0, 10, 90, 1.04, {}}, {6000, 22, 90, 13.04, {}}}));
    EXPECT_EQ(b.levels[1].speed, 110);
    EXPECT_EQ(b.levels[1].temperature, 200);
    EXPECT_DOUBLE_EQ(levels::roundToTenth(2.25), 2.3);
    EXPECT_DOUBLE_EQ(levels::roundToTenth(-2.25), -2.3);
}

TEST(LevelBuilder, negativeDirectionsStayOutOfRangeAndAreReported) {
    auto b = levels::build(soundingOf({{0, 10, -500, {}, {}}, {6000, 10, -500, {}, {}}}));
    EXPECT_NE(b.directionFindings.find("Out of range direction = -140 ."), std::string::npos);
    // Beyond 10000 in size: the lower point's direction is kept.
    auto huge = levels::build(soundingOf({{0, 10, -20000, {}, {}}, {6000, 10, -20000, {}, {}}}));
    EXPECT_EQ(huge.levels[0].direction, -20000);
}

TEST(LevelBuilder, heightsMissingOnALineAreFoundFromItsPressure) {
    ParsedSounding s = soundingOf({{0, 5, 90, 15, 1000}, {3281, 10, 90, 5, 900}});
    RawPoint mid;
    mid.pressureMb = 948.68;  // halfway in ln(p): sqrt(1000 * 900)
    mid.speedKnots = 7;
    mid.directionDeg = 90;
    s.points.push_back(mid);
    auto b = levels::build(s);
    ASSERT_EQ(b.points.size(), 3u);
    EXPECT_NEAR(static_cast<double>(b.points[1].feet), 1640, 2);
}

// Points out of height order are put in order; reports of one height keep the
// order they were given in (the first reported one is used), and a long list
// in reverse order comes out as a stable sort leaves it.
TEST(LevelBuilder, pointsArePutInHeightOrderKeepingReportsOfOneHeightInTheirOrder) {
    auto s = soundingOf({{1000, 10, 90, {}, {}},
                         {0, 1, 10, {}, {}},
                         {1000, 20, 180, {}, {}},
                         {500, 5, 45, {}, {}},
                         {1000, 30, 270, {}, {}},
                         {0, 2, 20, {}, {}}});
    const auto pts = levels::collect(s);
    ASSERT_EQ(pts.size(), 6u);
    const std::vector<std::pair<long, double>> want = {{0, 1}, {0, 2}, {500, 5}, {1000, 10}, {1000, 20}, {1000, 30}};
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(pts[i].feet, want[i].first) << i;
        EXPECT_EQ(pts[i].speedKnots, want[i].second) << i;
    }
    for (int count : {600, 1500}) {
        std::vector<P> reversed;
        for (int i = count; i > 0; --i)
            reversed.push_back({static_cast<double>(i / 2 * 10), static_cast<double>(i), 90, {}, {}});
        const auto many = levels::collect(soundingOf(reversed));
        ASSERT_EQ(many.size(), static_cast<std::size_t>(levels::kMaxPoints)) << count;
        EXPECT_EQ(many.front().feet, 0) << count;
        for (std::size_t i = 1; i < many.size(); ++i) {
            EXPECT_LE(many[i - 1].feet, many[i].feet) << count << " " << i;
            if (many[i - 1].feet == many[i].feet) {
                EXPECT_GT(*many[i - 1].speedKnots, *many[i].speedKnots) << count << " " << i;
            }
        }
    }
}

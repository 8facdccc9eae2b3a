#include "power/PowerCurve.h"

#include <gtest/gtest.h>

#include <utility>

using namespace skyloom::power;

namespace {

// Cut-in 6 kn; points 8 kn 2 kW, 12 kn 10 kW, 20 kn 50 kW; cut-out 40 kn.
GeneratorRecord threePointMill() {
    GeneratorRecord g;
    g.cutInSpeed = 6;
    g.points[0] = {8, 2};
    g.points[1] = {12, 10};
    g.points[2] = {20, 50};
    g.cutOut = 40;
    g.recomputeMaxKW();
    return g;
}

}  // namespace

TEST(PowerCurve, powerAlongTheCurveFromCutInToCutOut) {
    const auto c = PowerCurveTable::fromGenerator(threePointMill());
    struct Case { double knots, correction, kw; };
    const Case cases[] = {
        {6, 1, 0}, {3, 1, 0},                          // at or below cut-in: nothing
        {6.01, 1, 0.01},                               // first segment: 0 kW at 6 kn to 2 kW at 8 kn
        {8, 1, 2}, {10, 1, 6}, {16, 1, 30}, {20, 1, 50},   // on and between the points
        {20.5, 1, 50}, {39.99, 1, 50}, {30, 1.05, 52.5},   // top output held up to cut-out
        {10, 1.035, 6 * 1.035}, {10, -0.5, 0},         // the correction scales; below 0 gives 0
        {40, 1, kCutOutMarker}, {65, 1, kCutOutMarker}, {40, 1.2, kCutOutMarker},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.knots << " kn x " << k.correction);
        EXPECT_NEAR(generatorPower(c, k.knots, k.correction), k.kw, 1e-12);
    }
    EXPECT_TRUE(c.isCutOut(40));
    EXPECT_FALSE(c.isCutOut(39.9));
}

TEST(PowerCurve, generatorWithoutPointsGivesNothingAnywhere) {
    GeneratorRecord g;
    g.cutInSpeed = 5;
    g.cutOut = 50;
    const auto c = PowerCurveTable::fromGenerator(g);
    for (double s : {0.0, 5.0, 5.1, 20.0, 49.9}) EXPECT_EQ(generatorPower(c, s), 0) << s;
    EXPECT_EQ(generatorPower(c, 50), kCutOutMarker);
}

TEST(PowerCurve, missingCutOutNeverCutsOut) {
    auto g = threePointMill();
    g.cutOut = 0;
    const auto c = PowerCurveTable::fromGenerator(g);
    EXPECT_DOUBLE_EQ(generatorPower(c, 90), 50);
}

TEST(GeneratorRecord, maxKWIsTheTopOfThePointsWithSpeedAndPower) {
    GeneratorRecord g;
    g.points[0] = {8, 2};
    g.points[1] = {12, 10};
    g.points[2] = {20, 0};    // speed without power: not used
    g.points[4] = {30, 60};   // after a gap: still the last used point
    g.recomputeMaxKW();
    EXPECT_EQ(g.maxKW, 60);
    EXPECT_EQ(g.speedAtMaxPower(), 30);
    EXPECT_EQ(g.lastUsedPoint(), 5);
    // A curve that falls after its top (storm control) keeps the top as MaxKW;
    // the cut-out is still checked against the last point.
    g.points[5] = {34, 45};
    g.recomputeMaxKW();
    EXPECT_EQ(g.maxKW, 60);
    EXPECT_EQ(g.speedAtMaxPower(), 34);
    GeneratorRecord none;
    none.maxKW = 9;
    none.recomputeMaxKW();
    EXPECT_EQ(none.maxKW, 0);
    EXPECT_EQ(none.speedAtMaxPower(), 0);
}

TEST(GeneratorRecord, columnsByPositionFollowTheSharedColumnList) {
    using skyloom::core::kDatapointGeneratorColumns;
    using skyloom::core::kGeneratorColumns;
    const std::pair<int, const char*> names[] = {
        {kColName, "Name"},       {kColTemperature, "Temperature"}, {kColPressure, "Pressure"},
        {kColCutInSpeed, "CutInSpeed"}, {kColMaxKW, "MaxKW"},       {kColFirstPoint, "spd1"},
        {kColFirstPoint + 19, "kw10"}, {kColHeight, "height"},      {kColOrgData, "OrgData"},
        {kColCostPerYear, "CostPerYear"}, {kColMaxToGrid, "MaxToGrid"}, {kColCutOut, "CutOut"}};
    for (const auto& [pos, name] : names) EXPECT_EQ(kGeneratorColumns[pos].name, name) << pos;
    EXPECT_EQ(kDatapointGeneratorColumns[kColName].name, "genname");
    GeneratorRecord g;
    for (int pos = 2; pos < kGeneratorColumnCount; ++pos) g.setColumn(pos, pos * 1.5);
    for (int pos = 2; pos < kGeneratorColumnCount; ++pos) EXPECT_EQ(g.column(pos), pos * 1.5) << pos;
    EXPECT_EQ(g.points[0].speed, 9);
    EXPECT_EQ(g.points[9].kw, 37.5);
    EXPECT_EQ(g.cutOut, 45);
}

TEST(GeneratorRecord, nameCheckRefusesReservedCharacters) {
    for (const char* bad : {"a/b", "a?", "<x", "x>", "back\\slash", "c:", "st*r", "pi|pe", "say \"hi\""})
        EXPECT_FALSE(isLegalGeneratorName(bad)) << bad;
    // Control characters: line breaks, a tab, the escape, DEL.
    for (const char* bad : {"two\nlines", "cr\r", "tab\there", "\x1b[31mred", "del\x7f", "\x01"})
        EXPECT_FALSE(isLegalGeneratorName(bad)) << bad;
    EXPECT_FALSE(isLegalGeneratorName(std::string_view("nul\0x", 5)));
    for (const char* good : {"", "Bergey Excel 10", "T~1", "O'Brien 5kW", "V90-2.0 (50Hz)", "Ålesund ~ 2",
                             "\xe2\x80\x94 dash"})
        EXPECT_TRUE(isLegalGeneratorName(good)) << good;
}

TEST(GeneratorRecord, storedRoundingOfPowersAndGridLimit) {
    EXPECT_EQ(roundKW(99.996), 100);
    EXPECT_EQ(roundKW(99.994), 99.99);
    EXPECT_EQ(roundKW(1234.6), 1235);
    EXPECT_EQ(roundMaxToGrid(9.999), 10);
    EXPECT_EQ(roundMaxToGrid(12.4), 12);
    EXPECT_EQ(roundMaxToGrid(2.345), 2.35);
    EXPECT_EQ(roundSpeed(48.5964), 48.6);
}

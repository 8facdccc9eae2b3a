#include <gtest/gtest.h>

#include <array>

#include "sounding/HeightInterpolation.h"

using namespace skyloom::sounding;

namespace {
const Units kFeet(UnitMode::Knots);
const Units kMetres(UnitMode::SI);
}  // namespace

TEST(HeightInterpolation, valuesAtHeightsInFeetOrMetres) {
    // Ground 4, 500 ft 8, then 20, 30, ... 100 at 5000 ft.
    std::array<double, kLevelCount> v{4, 8};
    for (std::size_t i = 2; i < v.size(); ++i) v[i] = 10.0 * static_cast<double>(i);
    struct {
        double height;
        const Units& units;
        double value;
    } cases[] = {
        {250, kFeet, 6}, {0, kFeet, 4}, {500, kFeet, 8}, {1250, kFeet, 25}, {4999, kFeet, 90 + 10.0 * 499 / 500},
        // At and above 5000 ft the top level; 1524 m is 5000.2 ft, the top level, not beyond it.
        {5000, kFeet, 100}, {7000, kFeet, 100}, {1524, kMetres, 100},
        // Heights are cut to whole feet first: 80 m = 262.48 ft is 262 ft, 250.9 ft is 250 ft.
        {80, kMetres, 4 + 4 * 262 / 500.0}, {250.9, kFeet, 6},
        // Below the ground: 0, not the ground value.
        {-1, kFeet, 0}, {-0.01, kMetres, 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(levelValueAtHeight(v, c.height, c.units), c.value) << c.height << " " << c.units.lengthUnit();
    const auto pos = levelPositionAtHeight(5000, kFeet);
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->index, 10);
    EXPECT_DOUBLE_EQ(pos->fraction, 1.0);
    EXPECT_FALSE(levelPositionAtHeight(-5, kFeet));
}

TEST(HeightInterpolation, singlePrecisionTablesAndRatios) {
    std::array<float, kLevelCount> f{};
    for (int i = 0; i < kLevelCount; ++i) f[static_cast<std::size_t>(i)] = 2.0f * static_cast<float>(i);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(f, 750, kFeet), 3.0);
    std::array<double, kLevelCount> num{}, den{};
    num.fill(2.0);
    den.fill(4.0);
    num[1] = 6.0;
    den[1] = 2.0;     // quotients 0.5 and 3: interpolated per level quotient, not num/den of sums
    EXPECT_DOUBLE_EQ(levelRatioAtHeight(num, den, 250, kFeet), 1.75);
    den[0] = 0.0;     // no data at the ground counts as 0
    EXPECT_DOUBLE_EQ(levelRatioAtHeight(num, den, 250, kFeet), 1.5);
}

TEST(HeightOfInterest, promptNamesTheCurrentUnit) {
    EXPECT_EQ(heightOfInterestPrompt(kFeet),
              "What height would you like to set the altitude of interest to, add an f or m after the number to "
              "designate feet or meters, a number by itself will be assumed to be the current units (feet)?");
    EXPECT_NE(heightOfInterestPrompt(kMetres).find("current units (meters)?"), std::string::npos);
}

TEST(HeightOfInterest, suffixesAndCurrentUnitGiveFeetWithOneDecimal) {
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("100m", kFeet), 328.1);    // 100 x 3.2808 = 328.08
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("100M", kFeet), 328.1);
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("100", kMetres), 328.1);   // 100 x 3.281
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("100m", kMetres), 328.1);  // already metres
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("260f", kMetres), 260.0);  // 260 x 0.3048 m back in feet
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("260F", kFeet), 260.0);
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("80m", kMetres), 262.5);   // 262.48
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest(" 250.25 ", kFeet), 250.2);  // half goes to even
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("250.35", kFeet), 250.4);
}

TEST(HeightOfInterest, emptyCancelsAndTextReadsAsTypedNumber) {
    EXPECT_FALSE(parseHeightOfInterest("", kFeet));
    EXPECT_FALSE(parseHeightOfInterest("   ", kFeet));
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("abc", kFeet), 0.0);
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("120 feet please", kFeet), 120.0);
    EXPECT_FALSE(parseHeightOfInterest("abc", kFeet, true));
    EXPECT_FALSE(parseHeightOfInterest("12x", kFeet, true));
    EXPECT_FALSE(parseHeightOfInterest("m", kFeet, true));
    EXPECT_DOUBLE_EQ(*parseHeightOfInterest("80 m", kMetres, true), 262.5);
}

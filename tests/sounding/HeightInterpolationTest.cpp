#include <gtest/gtest.h>

#include <array>

#include "sounding/HeightInterpolation.h"

using namespace skyloom::sounding;

namespace {
// Level values 0, 10, 20, ... 100: the value is the height in feet / 50.
std::array<double, kLevelCount> ramp() {
    std::array<double, kLevelCount> v{};
    for (int i = 0; i < kLevelCount; ++i) v[static_cast<std::size_t>(i)] = 10.0 * i;
    return v;
}
const Units kFeet(UnitMode::Knots);
const Units kMetres(UnitMode::SI);
}  // namespace

TEST(HeightInterpolation, valuesBetweenAndAtTheLevels) {
    auto v = ramp();
    v[0] = 4.0;
    v[1] = 8.0;
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 250, kFeet), 6.0);       // halfway ground .. 500 ft
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 0, kFeet), 4.0);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 500, kFeet), 8.0);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 1250, kFeet), 25.0);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 4999, kFeet), 90.0 + 10.0 * 499 / 500);
}

TEST(HeightInterpolation, topLevelAtAndAbove5000Feet) {
    const auto v = ramp();
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 5000, kFeet), 100.0);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 7000, kFeet), 100.0);
    // 1524 m is 5000.2 ft: the top level, not beyond it.
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 1524, kMetres), 100.0);
    const auto pos = levelPositionAtHeight(5000, kFeet);
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->index, 10);
    EXPECT_DOUBLE_EQ(pos->fraction, 1.0);
}

TEST(HeightInterpolation, metresBecomeWholeFeetFirst) {
    const auto v = ramp();
    // 80 m = 262.48 ft, cut to 262 ft before interpolating.
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 80, kMetres), 10.0 * 262 / 500);
    // 250.9 ft is cut to 250 ft.
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, 250.9, kFeet), 5.0);
}

TEST(HeightInterpolation, negativeHeightGivesZero) {
    auto v = ramp();
    v[0] = 7.0;
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, -1, kFeet), 0.0);
    EXPECT_DOUBLE_EQ(levelValueAtHeight(v, -0.01, kMetres), 0.0);
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

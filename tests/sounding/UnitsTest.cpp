#include <gtest/gtest.h>

#include "sounding/Units.h"

using skyloom::sounding::UnitMode;
using skyloom::sounding::Units;

TEST(Units, factorsAndWordsOfTheThreeModes) {
    const Units si(UnitMode::SI), kn(UnitMode::Knots), mph(UnitMode::Mph);
    EXPECT_DOUBLE_EQ(si.speedFactor(), 0.5144);
    EXPECT_DOUBLE_EQ(kn.speedFactor(), 1.0);
    EXPECT_NEAR(mph.speedFactor(), 1.13636, 1e-5);   // 6000 / 5280, not the nautical 1.1508
    EXPECT_DOUBLE_EQ(si.lengthFactor(), 1.0 / 3.281);
    EXPECT_DOUBLE_EQ(kn.lengthFactor(), 1.0);
    EXPECT_DOUBLE_EQ(mph.lengthFactor(), 1.0);
    EXPECT_EQ(si.speedUnit(), "m/sec");
    EXPECT_EQ(kn.speedUnit(), "knots");
    EXPECT_EQ(mph.speedUnit(), "mph");
    EXPECT_EQ(si.lengthUnit(), "meters");
    EXPECT_EQ(mph.lengthUnit(), "feet");
    EXPECT_EQ(si.lengthWord(), "Meters");
    EXPECT_EQ(kn.lengthWord(), "Feet");
    EXPECT_EQ(si.temperatureUnit(), "degC");
    EXPECT_EQ(kn.temperatureUnit(), "degF");
    EXPECT_EQ(mph.optionCaption(), "Mph");
    EXPECT_EQ(kn.optionCaption(), "Knts");
    EXPECT_EQ(si.powerFactorCaption(), "Power Factor   vs  75m");
    EXPECT_EQ(kn.powerFactorCaption(), "Power Factor vs 250 feet");
    EXPECT_EQ(kn.speedAxisCaption(), "Wind Speed (knots)");
    EXPECT_EQ(si.heightAxisCaption(), "Height Above Ground (meters)");
}

TEST(Units, settingIndexAndCommandWords) {
    const std::pair<const char*, UnitMode> settings[] = {
        {"0", UnitMode::Mph}, {"1", UnitMode::Knots}, {"2", UnitMode::SI}, {"7", UnitMode::Mph}, {"", UnitMode::Mph}};
    for (const auto& [text, mode] : settings) EXPECT_EQ(Units::fromSetting(text).mode(), mode) << text;
    EXPECT_EQ(Units(UnitMode::SI).settingIndex(), 2);
    Units u;
    ASSERT_TRUE(Units::fromWord("SI", u));
    EXPECT_TRUE(u.metric());
    ASSERT_TRUE(Units::fromWord("Knots", u));
    EXPECT_EQ(u.mode(), UnitMode::Knots);
    EXPECT_FALSE(Units::fromWord("furlongs", u));
    EXPECT_EQ(u.mode(), UnitMode::Knots);
}

TEST(Units, storedTenthsAndFeetToDisplay) {
    const Units si(UnitMode::SI);
    EXPECT_NEAR(si.speedFromTenths(100), 5.144, 1e-12);
    EXPECT_NEAR(si.lengthFromFeet(3281), 1000.0, 1e-9);
    EXPECT_NEAR(si.feetFromLength(100), 328.1, 1e-9);
    EXPECT_NEAR(Units(UnitMode::Mph).speedFromTenths(528), 60.0, 1e-9);
}

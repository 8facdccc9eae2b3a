#include <gtest/gtest.h>

#include <string>

#include "display/SiteLine.h"

using skyloom::display::SiteLine;

TEST(SiteLine, keyWritesCoordinatesWithTwoDecimalsAndTheWmoAfterTheHash) {
    EXPECT_EQ(SiteLine::key(-34.82, -58.53, 87576), "-34.82, -58.53#87576");
    EXPECT_EQ(SiteLine::key(42.75, 73.8, 72518), "42.75, 73.80#72518");
    EXPECT_EQ(SiteLine::key(5, 120, 1), "5.00, 120.00#1");
}

TEST(SiteLine, composePadsTheVisibleTextTo200Characters) {
    const std::string line = SiteLine::compose("EZEIZA AERO, Argentina South America =>66 feet above sea level.",
                                               -34.82, -58.53, 87576);
    ASSERT_EQ(line.size(), 200u + 20u);
    EXPECT_EQ(line.substr(200), "-34.82, -58.53#87576");
    EXPECT_EQ(line.find_first_not_of(' ', 63), 200u);
    // A visible text of 200 or more characters still gets one blank before the key.
    const std::string longLine = SiteLine::compose(std::string(205, 'x'), "1.00, 2.00#3");
    EXPECT_EQ(longLine, std::string(205, 'x') + " 1.00, 2.00#3");
}

TEST(SiteLine, parseReadsKeyLabelAndVisiblePart) {
    const auto s = SiteLine::parse(
        SiteLine::compose("ALBANY, NY, United States North America =>282 feet above sea level.", 42.75, -73.8, 72518));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->wmo(), 72518);
    EXPECT_DOUBLE_EQ(s->lat(), 42.75);
    EXPECT_DOUBLE_EQ(s->lon(), -73.8);
    EXPECT_EQ(s->latText(), "42.75");
    EXPECT_EQ(s->lonText(), "-73.80");
    EXPECT_EQ(s->keyText(), "42.75, -73.80#72518");
    EXPECT_EQ(s->visible(), "ALBANY, NY, United States North America =>282 feet above sea level.");
    EXPECT_EQ(s->label(), "ALBANY, NY, United States North America");
    EXPECT_EQ(s->displayName(), "ALBANY, NY, United States North America");
}

TEST(SiteLine, displayNameOfADataSiteLineStopsBeforeFrom) {
    const auto s = SiteLine::parse(SiteLine::compose(
        "  EZEIZA AERO, Argentina South America from 02-Jan-2019 to 31-Dec-2019 ALL 1 yrs", -34.82, -58.53, 87576));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->displayName(), "EZEIZA AERO, Argentina South America");
    EXPECT_EQ(s->label(), "EZEIZA AERO, Argentina South America from 02-Jan-2019 to 31-Dec-2019 ALL 1 yrs");
}

TEST(SiteLine, parseFindsTheKeyInALineWithoutPadding) {
    const auto s = SiteLine::parse("SHORT NAME =>12 feet above sea level. 1.50, -2.25#123");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->wmo(), 123);
    EXPECT_DOUBLE_EQ(s->lat(), 1.5);
    EXPECT_DOUBLE_EQ(s->lon(), -2.25);
    EXPECT_EQ(s->label(), "SHORT NAME");
    EXPECT_EQ(s->canonical(), SiteLine::compose("SHORT NAME =>12 feet above sea level.", "1.50, -2.25#123"));
    // Trailing blanks after the key do not matter.
    EXPECT_EQ(SiteLine::parse("A 1.00, 2.00#7   ")->wmo(), 7);
}

TEST(SiteLine, parseRefusesLinesWithoutAKey) {
    EXPECT_FALSE(SiteLine::parse(""));
    EXPECT_FALSE(SiteLine::parse("ALBANY, NY =>282 feet above sea level."));
    EXPECT_FALSE(SiteLine::parse("ALBANY 42.75, -73.80#"));
    EXPECT_FALSE(SiteLine::parse("ALBANY 42.75, -73.80#72x518"));
    // A "#" further back than the last 30 characters is not the key's.
    EXPECT_FALSE(SiteLine::parse("No #1 site" + std::string(40, ' ') + "x"));
}

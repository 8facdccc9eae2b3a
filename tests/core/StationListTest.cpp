#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "TempFolder.h"
#include "core/StationIndex.h"

using namespace skyloom;

TEST(StationList, optionLineFieldsAndTheThirtyCharacterName) {
    auto e = core::parseOptionLine(
        "<OPTION>  ALB 14735 72518 42.75 -73.80 86 Albany County Airport          NY US");
    ASSERT_TRUE(e);
    EXPECT_EQ(std::tie(e->init, e->wban, e->wmo, e->lat, e->lon, e->elev),
              std::make_tuple("ALB", 14735, 72518, 42.75, -73.80, 86.0));
    EXPECT_EQ(std::tie(e->name, e->province, e->country), std::make_tuple("Albany County Airport", "NY", "US"));
}

TEST(StationList, nameLongerThanThirtyIsCutAndTheProvinceStartsInItsRemainder) {
    auto e = core::parseOptionLine("<OPTION>XX 0 12345 1 2 3 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 PR CC");
    ASSERT_TRUE(e);
    EXPECT_EQ(std::tie(e->name, e->province, e->country),
              std::make_tuple("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "456789", "PR"));
}

TEST(StationList, linesThatAreNotOptionsOrLackNumbersAreSkipped) {
    EXPECT_FALSE(core::parseOptionLine("<option>XX 0 12345 1 2 3 Name"));   // case matters
    EXPECT_FALSE(core::parseOptionLine(" <OPTION>XX 0 12345 1 2 3 Name"));
    EXPECT_FALSE(core::parseOptionLine("<OPTION>XX 0 abc 1 2 3 Name"));
    EXPECT_FALSE(core::parseOptionLine("<OPTION>XX 0 12345 95 2 3 Name"));  // impossible latitude
    EXPECT_FALSE(core::parseOptionLine("<OPTION>"));
    auto list = core::parseStationList("junk\r\n<OPTION>A 0 1 1 1 1 One\r\n<OPTION>B 0 2 2 2 2 Two\n\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "Two");
    EXPECT_EQ(list[1].province, "");
}

TEST(StationList, namesWithQuotesAndNonAsciiLettersAreKept) {
    auto e = core::parseOptionLine("<OPTION>X 0 3 1 1 1 L'Aquila \"Nord\" Çatalca   xx YY");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name.substr(0, 19), "L'Aquila \"Nord\" Ça");
}

TEST(StationList, igraListKeepsOnlyStationsWithAWmoNumber) {
    std::ifstream in(test::projectData("stations-sources/igra2-station-list.txt"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    auto list = core::parseStationList(text);
    EXPECT_GT(list.size(), 1000u);
    bool sawUtqiagvik = false;
    for (const auto& s : list) {
        EXPECT_GT(s.wmo, 0);
        EXPECT_LE(std::abs(s.lat), 90.0);   // mobile stations (-98.8888) are left out
        if (s.wmo == 70026) {
            sawUtqiagvik = true;
            EXPECT_EQ(s.country, "US");
            EXPECT_NEAR(s.lat, 71.29, 0.01);
        }
    }
    EXPECT_TRUE(sawUtqiagvik);
}

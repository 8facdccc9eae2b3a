#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <tuple>

#include "TempFolder.h"
#include "core/StationIndex.h"
#include "core/Text.h"

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

TEST(StationList, defaultListIsTheWorldsUpperAirNetworkEachSiteOnce) {
    auto list = core::parseStationList(test::readFile(test::projectData("stations.txt")));
    EXPECT_GE(list.size(), 900u);
    EXPECT_LE(list.size(), 1300u);
    std::set<long> numbers;
    for (const auto& s : list) EXPECT_TRUE(numbers.insert(s.wmo).second) << s.wmo;
    // Two numbers within 0.1 degree are one site renumbered (or twin sites): it appears once.
    for (std::size_t i = 0; i < list.size(); ++i)
        for (std::size_t j = i + 1; j < list.size(); ++j)
            EXPECT_FALSE(std::abs(list[i].lat - list[j].lat) <= 0.1 + 1e-9 &&
                         std::abs(list[i].lon - list[j].lon) <= 0.1 + 1e-9)
                << list[i].wmo << " and " << list[j].wmo;
    // Every country has its name and region; the shipped samples' and demo stations are there.
    std::set<std::string> countries;
    for (const auto& line : core::split(test::readFile(test::projectData("countries.csv")), '\n'))
        if (!line.empty() && line[0] != '#') countries.insert(line.substr(0, line.find(',')));
    for (const auto& s : list) EXPECT_TRUE(countries.count(s.country)) << s.wmo << " " << s.country;
    for (long wmo : {72518L, 72606L, 74494L, 87576L, 71701L, 70026L, 3026L, 4018L, 7645L, 72250L, 72520L, 68816L,
                     85934L, 47646L})
        EXPECT_TRUE(numbers.count(wmo)) << wmo;
    // Both tables know Albany: the table's name and call letters, its position (within 0.1 degree of IGRA's).
    auto albany = std::find_if(list.begin(), list.end(), [](const auto& s) { return s.wmo == 72518; });
    EXPECT_EQ(std::tie(albany->init, albany->name, albany->province, albany->country),
              std::make_tuple("ALB", "Albany", "NY", "US"));
    EXPECT_NEAR(albany->lat, 42.69, 1e-9);
    // Where the two differ by more than 0.1 degree IGRA's position is taken (the table has
    // Santarem's latitude and longitude swapped), except where IGRA's lost its whole degrees
    // (Yushu at latitude 0.00).
    auto at = [&](long wmo) {
        auto s = std::find_if(list.begin(), list.end(), [wmo](const auto& e) { return e.wmo == wmo; });
        return s == list.end() ? std::make_pair(0.0, 0.0) : std::make_pair(s->lat, s->lon);
    };
    EXPECT_EQ(at(82244), std::make_pair(-2.43, -54.72));
    EXPECT_EQ(at(56029), std::make_pair(33.01, 97.01));
}

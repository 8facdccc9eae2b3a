#include "session/StationListImport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "StartedFolder.h"
#include "core/MainDatabase.h"
#include "core/Text.h"

using namespace skyloom;

namespace {

class StationListImportTest : public ::testing::Test {
protected:
    long long stations() { return db().db().execAndGet("SELECT count(*) FROM stations").getInt64(); }
    core::MainDatabase& db() { return f.s->mainDb(); }
    // Writes bytes as a station list file in the folder; its path.
    std::string list(const std::string& name, const std::string& bytes) {
        test::writeFile(f.tmp / name, bytes);
        return (f.tmp / name).string();
    }
    int import(const std::string& path) { return session::importStationListFrom(db(), path, f.prompter); }

    test::StartedFolder f;
};

const std::string kThree =
    "<OPTION>ALB 14735 72518 42.75 -73.80 86 Albany                         NY US\n"
    "not a station\r\n"
    "<OPTION>CHH 0 74494 41.66 -69.96 16 Chatham                        MA US\r"
    "<OPTION>SAEZ 0 87576 -34.81 -58.53 20 Ezeiza Aero                    -- AR\n";

}  // namespace

TEST_F(StationListImportTest, aListWithoutStationsLeavesTheTableAsItWas) {
    const long long before = stations();
    ASSERT_GT(before, 100);
    std::string utf16;
    for (char c : kThree) utf16 += std::string{c, '\0'};
    const std::string left = "; the station list was left as it was.";
    const std::pair<std::string, std::string> cases[] = {
        {"", "is empty"},
        {"\r\n  \n", "is empty"},
        {std::string(4096, '\0'), "is not a plain text file (it holds NUL bytes, as UTF-16 text does)"},
        {"\xff\xfe" + utf16, "is not a plain text file (it holds NUL bytes, as UTF-16 text does)"},
        {"<html><body>Service unavailable</body></html>\n",
         "holds no stations (no \"<OPTION>\" lines and no IGRA v2 station lines)"},
    };
    for (const auto& [bytes, problem] : cases) {
        const std::string path = list("list.txt", bytes);
        EXPECT_EQ(import(path), -1) << problem;
        EXPECT_EQ(f.prompter.lastMessage(), "The station list '" + path + "' " + problem + left);
        EXPECT_EQ(stations(), before);
        EXPECT_FALSE(std::filesystem::exists(f.tmp / "Stations.txt"));
    }
    EXPECT_EQ(import(f.tmp.dir()), -1);
    EXPECT_EQ(f.prompter.lastMessage(), "The station list '" + f.tmp.dir() + "' could not be read" + left);
    EXPECT_EQ(import("file://" + f.tmp.dir() + "missing.txt"), -1);
    EXPECT_EQ(stations(), before);
}

TEST_F(StationListImportTest, aListWithStationsReplacesTheTableAndIsKeptWithCrLfLineBreaks) {
    EXPECT_EQ(import("file://" + list("list.txt", kThree)), 3);
    EXPECT_EQ(stations(), 3);
    EXPECT_EQ(db().db().execAndGet("SELECT stationname FROM stations WHERE wmo = 74494").getString(), "Chatham");
    EXPECT_EQ(test::readFile(f.tmp / "Stations.txt"),
              "<OPTION>ALB 14735 72518 42.75 -73.80 86 Albany                         NY US\r\n"
              "not a station\r\n"
              "<OPTION>CHH 0 74494 41.66 -69.96 16 Chatham                        MA US\r\n"
              "<OPTION>SAEZ 0 87576 -34.81 -58.53 20 Ezeiza Aero                    -- AR\r\n");
    EXPECT_TRUE(f.prompter.messages.empty());
    // Read from text, an empty list changes nothing either.
    EXPECT_EQ(session::importStationListText(db(), ""), 0);
    EXPECT_EQ(stations(), 3);
}

TEST(StationListLineBreaks, everyKindBecomesCrLfOnce) {
    EXPECT_EQ(session::withCrLfLineBreaks("a\nb\r\nc\rd\n\r\ne"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(session::withCrLfLineBreaks(""), "");
    EXPECT_EQ(core::replaceAll("a\nb\nc", "\n", "\r\n"), "a\r\nb\r\nc");
    EXPECT_EQ(core::replaceAll("xx", "x", ""), "");
    EXPECT_EQ(core::replaceAll("abc", "", "z"), "abc");
}

TEST_F(StationListImportTest, aLargeListImportsInLinearTime) {
    // 26 MB of station lines with bare line feeds, as a world list comes.
    std::string big;
    big.reserve(27'000'000);
    for (long i = 0; big.size() < 26'000'000; ++i)
        big += "<OPTION>X" + std::to_string(i % 10000) + " 0 " + std::to_string(10001 + i % 89999) +
               " 12.5 -45.25 100 Station number " + std::to_string(i) + "                MB XX\n";
    const std::string path = list("big.txt", big);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GT(import(path), 300'000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Under 2 s on a quiet machine; the bound leaves room for a busy one (the
    // quadratic line-break rewrite took 87 s).
#ifdef SKYLOOM_SANITIZED
    constexpr double kBound = 150.0;  // the instrumented build runs ten times slower
#else
    constexpr double kBound = 15.0;
#endif
    EXPECT_LT(seconds, kBound);
    EXPECT_EQ(stations(), 89999);
}

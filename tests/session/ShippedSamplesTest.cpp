#include "session/ShippedSamples.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "StartedFolder.h"

using namespace skyloom;

TEST(ShippedSamples, theFiveRealStationsAndUtqiagvikLeftOut) {
    std::vector<long> stations;
    for (const auto& s : session::shippedSamples()) {
        stations.push_back(s.wmo);
        EXPECT_TRUE(std::filesystem::exists(test::projectData(std::string("samples/") + s.file))) << s.file;
    }
    EXPECT_EQ(stations, (std::vector<long>{72518, 72606, 74494, 87576, 71701}));
}

TEST(ShippedSamples, aMissingSampleIsAFailureNamedAndTheOthersStillImport) {
    test::StartedFolder f;
    // A data folder holding only the Gagetown sample.
    const auto data = f.tmp / "share";
    std::filesystem::create_directories(data / "samples/igra2");
    std::filesystem::copy_file(test::sample("igra2/CAM00071701-data.txt"), data / "samples/igra2/CAM00071701-data.txt.gz");
    auto done = session::importShippedSamples(f.s->mainDb(), data.string() + "/", f.prompter, nullptr);
    ASSERT_EQ(done.size(), 5u);
    int failed = 0;
    for (const auto& one : done) {
        if (one.wmo == 71701) {
            EXPECT_FALSE(one.result.failed);
            EXPECT_EQ(one.result.wmo, 71701);
            EXPECT_GT(one.result.added, 230);
        } else {
            ++failed;
            EXPECT_TRUE(one.result.failed) << one.file;
            EXPECT_NE(one.result.report.find(one.file), std::string::npos) << one.result.report;
            EXPECT_FALSE(std::filesystem::exists(f.tmp / "data" / (std::to_string(one.wmo) + ".dat")));
        }
    }
    EXPECT_EQ(failed, 4);
    // Asked nothing; the station has data and is no demo.
    EXPECT_TRUE(f.prompter.questions.empty());
    EXPECT_EQ(f.s->mainDb().db().execAndGet("SELECT stationname FROM stations s JOIN havedata h ON h.wmo = s.wmo "
                                            "WHERE s.wmo = 71701").getString(),
              "Gagetown (Can-Mil)");
}

#include <gtest/gtest.h>

#include <filesystem>

#include "StartedFolder.h"
#include "display/SiteLine.h"
#include "session/GoogleEarthCommand.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

class GoogleEarthCommandTest : public ::testing::Test {
protected:
    // Opens a file as the system would, recording it; false: no program for it.
    std::function<bool(const std::string&)> opener(bool works) {
        return [this, works](const std::string& p) {
            opened.push_back(p);
            return works;
        };
    }

    test::StartedFolder f;
    std::vector<std::string> near{
        display::SiteLine::compose("Albany, NY, United States North America =>312 feet above sea level.", 42.69,
                                   -73.83, 72518)};
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(GoogleEarthCommandTest, writesTheFileAndHasItOpened) {
    EXPECT_TRUE(session::showCircleInGoogleEarth(*f.s, near, opener(true)));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (f.tmp / "GElist0.kml").string());
    EXPECT_NE(test::readFile(opened[0]).find("<name>Albany, NY, United States North America</name>"),
              std::string::npos);
    EXPECT_TRUE(f.prompter.messages.empty());
}

TEST_F(GoogleEarthCommandTest, noProgramForKmlTellsWhereTheFileIs) {
    EXPECT_FALSE(session::showCircleInGoogleEarth(*f.s, near, opener(false)));
    EXPECT_FALSE(session::showCircleInGoogleEarth(*f.s, near, nullptr));
    const std::string expected = "Google Earth error = No association for file extension\n\nThe sites in the white "
                                 "circle were written to the file '" + (f.tmp / "GElist0.kml").string() +
                                 "'; open it with Google Earth by hand.";
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>(2, expected));
    EXPECT_TRUE(fs::exists(f.tmp / "GElist0.kml"));
}

TEST_F(GoogleEarthCommandTest, emptyCircleWritesNothingAndOpensNothing) {
    EXPECT_FALSE(session::showCircleInGoogleEarth(*f.s, {}, opener(true)));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{"You must have at least 1 site inside the white circle"});
    EXPECT_FALSE(fs::exists(f.tmp / "GElist0.kml"));
}

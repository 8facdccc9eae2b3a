#include <gtest/gtest.h>

#include <filesystem>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "display/SiteLine.h"
#include "session/GoogleEarthCommand.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

using namespace skyloom;
namespace fs = std::filesystem;

namespace {

class GoogleEarthCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ScriptedPrompter setup;
        core::NullProgress progress;
        ASSERT_TRUE(session::initProgramFolder(tmp.dir(), setup, progress));
        s = std::make_unique<session::Session>(tmp.dir(), prompter);
        s->launcher = [](const std::string&, const std::string&) { return true; };
        ASSERT_EQ(s->startUp(), session::Session::StartResult::Ready);
    }
    test::TempFolder tmp;
    test::ScriptedPrompter prompter;
    std::unique_ptr<session::Session> s;
    std::vector<std::string> near{
        display::SiteLine::compose("Albany, NY, United States North America =>312 feet above sea level.", 42.69,
                                   -73.83, 72518)};
    std::vector<std::string> opened;
};

}  // namespace

TEST_F(GoogleEarthCommandTest, writesTheFileAndHasItOpened) {
    EXPECT_TRUE(session::showCircleInGoogleEarth(*s, near, [this](const std::string& p) {
        opened.push_back(p);
        return true;
    }));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (tmp / "GElist0.kml").string());
    EXPECT_NE(test::readFile(opened[0]).find("<name>Albany, NY, United States North America</name>"),
              std::string::npos);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(GoogleEarthCommandTest, noProgramForKmlTellsWhereTheFileIs) {
    const auto fails = [this](const std::string& p) {
        opened.push_back(p);
        return false;
    };
    EXPECT_FALSE(session::showCircleInGoogleEarth(*s, near, fails));
    EXPECT_FALSE(session::showCircleInGoogleEarth(*s, near, nullptr));
    const std::string expected = "Google Earth error = No association for file extension\n\nThe sites in the white "
                                 "circle were written to the file '" + (tmp / "GElist0.kml").string() +
                                 "'; open it with Google Earth by hand.";
    EXPECT_EQ(prompter.messages, std::vector<std::string>(2, expected));
    EXPECT_TRUE(fs::exists(tmp / "GElist0.kml"));
}

TEST_F(GoogleEarthCommandTest, emptyCircleWritesNothingAndOpensNothing) {
    EXPECT_FALSE(session::showCircleInGoogleEarth(*s, {}, [this](const std::string& p) {
        opened.push_back(p);
        return true;
    }));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(prompter.messages, std::vector<std::string>{"You must have at least 1 site inside the white circle"});
    EXPECT_FALSE(fs::exists(tmp / "GElist0.kml"));
}

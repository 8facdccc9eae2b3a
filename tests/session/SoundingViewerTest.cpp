#include <gtest/gtest.h>

#include <cmath>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "StartedFolder.h"
#include "StationFileBuilder.h"
#include "core/MainDatabase.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "session/AnimationSchedule.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "session/SoundingViewer.h"
#include "sounding/LevelStatistics.h"
#include "sounding/StationDataFile.h"
#include "core/Prompter.h"

using namespace skyloom;
using namespace skyloom::session;
namespace key = skyloom::session::viewerkey;

namespace {

constexpr long kWmo = 99901;
constexpr int kCtrl = 2;

const char* kIgnoreOff = "Please change the checkbox in the Setup menu if you would like to setup to ignore soundings.";
const char* kQuestion =
    "Do you really want to delete this sounding from your data?  You will not be asked this any more this session, "
    "so make sure you dont touch the 'i' inadvertently after this.";
const char* kAlready = "Sounding is already deleted, click on graph to refresh or continue viewing soundings.";

// A started program folder with one station of two years of twice-daily
// soundings, its analysis and a viewer on it.
class SoundingViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.addStation(kWmo, "ALBANY", 42.75, -73.8, 40);
        analysis = std::make_unique<SiteAnalysis>(*f.s);
        viewer = std::make_unique<SoundingViewer>(*f.s, *analysis);
    }

    void analyse() {
        analysis->setSiteString(analysis->siteEntryText(kWmo));
        outcome = analysis->reanalyseSite(false);
        viewer->analysisFinished(outcome);
    }

    // Ctrl held, then the key.
    ViewerResponse ctrl(int code, ViewerForm form = ViewerForm::MainPage) {
        viewer->keyDown(key::Control, kCtrl, form);
        ViewerResponse r = viewer->keyDown(code, kCtrl, form);
        viewer->keyUp(key::Control);
        return r;
    }

    // Presses each key in turn (Ctrl held when withCtrl): the sounding shown after
    // each press and whether it was redrawn.
    std::vector<std::pair<int, bool>> press(std::initializer_list<int> codes, bool withCtrl = false) {
        std::vector<std::pair<int, bool>> seen;
        for (int code : codes) {
            const bool redrawn = (withCtrl ? ctrl(code) : viewer->keyDown(code, 0)).redrawSounding;
            seen.emplace_back(viewer->currentSounding(), redrawn);
        }
        return seen;
    }

    // Replaces the loaded set by soundings at the given hours; speeds per level
    // from the callback; time weights as the statistics pass sets them.
    void loadSet(const std::vector<core::HoursSince1930>& hours,
                 const std::function<std::int32_t(int, int)>& speed = [](int, int) { return 150; }) {
        auto& set = analysis->soundings();
        set.reset();
        const int count = static_cast<int>(hours.size());
        set.ensureCapacity(count);
        for (int n = 1; n <= count; ++n) {
            const auto un = static_cast<std::size_t>(n);
            set.key[un] = n;
            set.time[un][0] = static_cast<double>(hours[un - 1]);
            for (int l = 0; l < sounding::kLevelCount; ++l) {
                set.level[un][static_cast<std::size_t>(l)][sounding::Speed] = speed(n, l);
                set.level[un][static_cast<std::size_t>(l)][sounding::Direction] = 270;
            }
            set.topWindLevel[un] = 10;
        }
        set.setCount(count);
        sounding::computeTimeWeights(set);
        viewer->setCurrentSounding(1);
    }

    std::unique_ptr<sounding::StationDataFile> openFile() {
        core::SilentPrompter quiet;
        return sounding::StationDataFile::open(test::StationFileBuilder::pathFor(f.tmp.dir(), kWmo), true, quiet);
    }
    long long fileCount(const std::string& sql) { return openFile()->db().execAndGet(sql).getInt64(); }
    long long mainCount(const std::string& sql) { return f.s->mainDb().db().execAndGet(sql).getInt64(); }

    test::StartedFolder f;
    std::unique_ptr<SiteAnalysis> analysis;
    std::unique_ptr<SoundingViewer> viewer;
    AnalysisOutcome outcome = AnalysisOutcome::NoSite;
};

std::vector<core::HoursSince1930> everyTwelveHours(int count, core::HoursSince1930 start = 780000) {
    std::vector<core::HoursSince1930> h;
    for (int i = 0; i < count; ++i) h.push_back(start + 12 * i);
    return h;
}

}  // namespace

// ---- ignoring -------------------------------------------------------------

TEST_F(SoundingViewerTest, ignoringWithTheSettingOffOnlyShowsTheMessage) {
    analyse();
    const long long before = fileCount("SELECT count(*) FROM soundings");
    ctrl(key::I);
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{kIgnoreOff});
    EXPECT_TRUE(f.prompter.questions.empty());
    EXPECT_EQ(fileCount("SELECT count(*) FROM soundings"), before);
    EXPECT_GT(analysis->soundings().key[static_cast<std::size_t>(viewer->currentSounding())], 0);
    EXPECT_FALSE(viewer->stationListStale());
}

TEST_F(SoundingViewerTest, noLeavesTheSoundingAndAsksAgainYesIsAskedOnceAndASecondIgnoreSaysAlreadyDeleted) {
    f.s->settings().setFlag("Iignore", true);
    analyse();
    viewer->keyDown(key::I, 0);   // without Ctrl: nothing
    EXPECT_TRUE(f.prompter.shown.empty());
    const long long before = fileCount("SELECT count(*) FROM soundings");
    f.prompter.no();
    ctrl(key::I);
    EXPECT_FALSE(viewer->ignoreConfirmed());
    EXPECT_EQ(fileCount("SELECT count(*) FROM soundings"), before);
    f.prompter.yes();
    ctrl(key::I);
    EXPECT_EQ(f.prompter.questions, (std::vector<std::string>{kQuestion, kQuestion}));
    EXPECT_TRUE(viewer->ignoreConfirmed());
    EXPECT_EQ(fileCount("SELECT count(*) FROM soundings"), before - 1);
    EXPECT_TRUE(f.prompter.messages.empty());
    ViewerResponse second = ctrl(key::I);
    EXPECT_EQ(f.prompter.questions.size(), 2u);   // confirmed once for the session
    EXPECT_EQ(f.prompter.messages, std::vector<std::string>{kAlready});
    EXPECT_TRUE(second.redrawSounding);
    EXPECT_EQ(fileCount("SELECT count(*) FROM deleted"), 1);
}

TEST_F(SoundingViewerTest, ignoredSoundingMovesToDeletedAndLeavesTheNextAnalysis) {
    f.s->settings().setFlag("Iignore", true);
    analyse();
    ASSERT_EQ(outcome, AnalysisOutcome::Analysed);
    const auto& set = analysis->soundings();
    const int count = set.count();
    EXPECT_EQ(viewer->currentSounding(), count);   // an analysis shows its last sounding
    viewer->setCurrentSounding(5);
    const auto n = static_cast<std::size_t>(5);
    const std::int32_t ignoredKey = set.key[n];
    const double ignoredHrs = set.time[n][0];
    const std::int32_t groundSpeed = set.level[n][0][sounding::Speed];
    const std::int32_t topSpeed = set.level[n][10][sounding::Speed];
    const long long points = set.pointCount[n];
    f.prompter.yes();
    ViewerResponse r = ctrl(key::I);
    EXPECT_TRUE(r.hideHint);
    EXPECT_EQ(set.key[n], -ignoredKey);
    EXPECT_TRUE(viewer->stationListStale());

    auto opened = openFile();
    SQLite::Database& file = opened->db();
    EXPECT_EQ(file.execAndGet("SELECT count(*) FROM soundings WHERE Key = " + std::to_string(ignoredKey)).getInt(), 0);
    SQLite::Statement row(file,
                          "SELECT stationwmo, wmo, Date, Time, sounding, deletedall, deletedline, Reason, numdpdeleted "
                          "FROM deleted");
    ASSERT_TRUE(row.executeStep());
    EXPECT_EQ(row.getColumn(0).getInt64(), kWmo);
    EXPECT_EQ(row.getColumn(1).getInt64(), kWmo);
    // Soundings at 00 and 12 hours from 1 Jan 2018: the fifth is 3 Jan 00:00.
    EXPECT_EQ(row.getColumn(2).getString().substr(0, 10), "2018-01-03");
    const std::vector<std::string> lines = core::split(row.getColumn(4).getString(), '\n');
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "0 " + std::to_string(groundSpeed) + " 270\r");
    EXPECT_EQ(lines[10], "5000 " + std::to_string(topSpeed) + " 270\r");
    EXPECT_EQ(lines[11], "111111111111\r");
    EXPECT_EQ(lines[12], "Numpoints = " + std::to_string(points));
    EXPECT_EQ(row.getColumn(5).getInt(), 1);
    EXPECT_EQ(row.getColumn(6).getString(), "");
    EXPECT_EQ(row.getColumn(7).getString(), "EndUser deleted");
    EXPECT_EQ(row.getColumn(8).getInt64(), points);
    EXPECT_FALSE(row.executeStep());
    EXPECT_EQ(file.execAndGet("SELECT NumDeletedSoundings FROM HaveData").getInt(), 1);
    EXPECT_EQ(file.execAndGet("SELECT NumDeletedDataPoints FROM HaveData").getInt64(), points);
    EXPECT_EQ(mainCount("SELECT NumDeletedSoundings FROM havedata WHERE wmo = 99901"), 1);
    EXPECT_EQ(mainCount("SELECT NumDeletedDataPoints FROM havedata WHERE wmo = 99901"), points);

    // The next analysis reads the file again, without the row, and renews the list first.
    EXPECT_TRUE(analysis->dataSites().empty());
    analyse();
    EXPECT_EQ(outcome, AnalysisOutcome::Analysed);
    EXPECT_EQ(analysis->soundings().count(), count - 1);
    for (int i = 1; i <= analysis->soundings().count(); ++i)
        ASSERT_NE(analysis->soundings().time[static_cast<std::size_t>(i)][0], ignoredHrs);
    EXPECT_FALSE(viewer->stationListStale());
    ASSERT_EQ(analysis->dataSites().size(), 1u);
    EXPECT_EQ(wmoOfSiteText(analysis->dataSites()[0]), kWmo);
}

namespace {
// Presses another key while the confirmation question is open.
class PressingPrompter : public core::Prompter {
public:
    void message(std::string_view, std::string_view) override {}
    std::optional<std::string> input(std::string_view, std::string_view) override { return std::nullopt; }
    bool ask(std::string_view, std::string_view, bool) override {
        if (viewer) during = viewer->keyDown(key::Right, 0);
        return false;
    }
    SoundingViewer* viewer = nullptr;
    ViewerResponse during;
};
}  // namespace

TEST(SoundingViewerKeys, aKeyPressedWhileAnotherIsHandledIsDropped) {
    PressingPrompter prompter;
    test::StartedFolder f;
    f.addStation(kWmo, "ALBANY", 42.75, -73.8, 40);
    // The same folder, started again with a dialogue that presses Right during the question.
    f.s.reset();
    session::Session s(f.tmp.dir(), prompter);
    ASSERT_EQ(s.startUp(), session::Session::StartResult::Ready);
    s.settings().setFlag("Iignore", true);
    SiteAnalysis a(s);
    SoundingViewer v(s, a);
    prompter.viewer = &v;
    a.setSiteString(a.siteEntryText(kWmo));
    ASSERT_EQ(a.reanalyseSite(false), AnalysisOutcome::Analysed);
    v.analysisFinished(AnalysisOutcome::Analysed);
    v.setCurrentSounding(3);
    v.keyDown(key::Control, kCtrl);
    EXPECT_FALSE(v.keyDown(key::I, kCtrl).dropped);
    EXPECT_TRUE(prompter.during.dropped);
    EXPECT_EQ(v.currentSounding(), 3);
    EXPECT_FALSE(v.keyBusy());
}

// ---- stepping and searching -----------------------------------------------

TEST_F(SoundingViewerTest, steppingChangesNothingAtTheEndsAndSkipsIgnoredSoundings) {
    loadSet(everyTwelveHours(5));
    analysis->soundings().key[2] = -2;
    const int L = key::Left, R = key::Right;
    EXPECT_EQ(press({L, R, R, R, R, L, L, L}), (std::vector<std::pair<int, bool>>{
                                                   {1, false}, {3, true}, {4, true}, {5, true},
                                                   {5, false}, {4, true}, {3, true}, {1, true}}));
    EXPECT_TRUE(viewer->keyDown(key::Right, 0).hideHint);
}

TEST_F(SoundingViewerTest, suspectRuleNeedsACalmLevelAtOrAboveOneThousandFeet) {
    // 1: calm at 1500 ft with 12 knots at the ground; 2: calm only at 500 ft;
    // 3: 8 knots with a calm level at 3000 ft; 4: 8 knots with a calm level at 1000 ft only;
    // 5: calm at 4000 ft with exactly 10 knots (not above) elsewhere.
    loadSet(everyTwelveHours(5), [](int n, int l) -> std::int32_t {
        switch (n) {
        case 1: return l == 0 ? 120 : l == 3 ? 0 : 60;
        case 2: return l == 1 ? 0 : 150;
        case 3: return l == 0 ? 80 : l == 6 ? 0 : 50;
        case 4: return l == 0 ? 80 : l == 2 ? 0 : 50;
        default: return l == 8 ? 0 : 100;
        }
    });
    std::vector<bool> suspect;
    for (int n = 1; n <= 5; ++n) suspect.push_back(SoundingViewer::isSuspect(analysis->soundings(), n));
    EXPECT_EQ(suspect, (std::vector<bool>{true, false, true, false, false}));
}

TEST_F(SoundingViewerTest, suspectSearchMovesToTheNextSuspectAndSaysWhenDone) {
    loadSet(everyTwelveHours(6), [](int n, int l) -> std::int32_t { return (n == 4 || n == 2) && l == 3 ? 0 : 120; });
    analysis->soundings().key[2] = -2;   // ignored: the search passes it
    viewer->keyDown(key::Control, kCtrl);
    viewer->keyDown(key::Alt, kCtrl | 4);
    ViewerResponse r = viewer->keyDown(key::Right, kCtrl | 4);
    EXPECT_EQ(viewer->currentSounding(), 4);
    EXPECT_TRUE(r.redrawSounding);
    ASSERT_TRUE(r.hint);
    EXPECT_EQ(*r.hint, "Suggest Press i to Ignore after setting up the i key");
    EXPECT_TRUE(viewer->hintVisible());
    r = viewer->keyDown(key::Right, kCtrl | 4);
    EXPECT_EQ(viewer->currentSounding(), 4);
    EXPECT_FALSE(r.redrawSounding);
    EXPECT_EQ(f.prompter.lastMessage(), "Done looking right!");
    EXPECT_FALSE(viewer->hintVisible());
    f.s->settings().setFlag("Iignore", true);
    viewer->setCurrentSounding(6);
    r = viewer->keyDown(key::Left, kCtrl | 4);
    EXPECT_EQ(viewer->currentSounding(), 4);
    EXPECT_EQ(*r.hint, "Press i to Ignore if Sounding is not realistic to you");
    viewer->keyDown(key::Left, kCtrl | 4);
    EXPECT_EQ(f.prompter.lastMessage(), "Done looking left!");
    viewer->keyUp(key::Alt);
    viewer->keyUp(key::Control);
    EXPECT_FALSE(viewer->ctrlDown());
    EXPECT_FALSE(viewer->altDown());
}

TEST_F(SoundingViewerTest, fThreeSearchesForSuspectsWhereTheDesktopTakesCtrlAlt) {
    loadSet(everyTwelveHours(6), [](int n, int l) -> std::int32_t { return (n == 4 || n == 2) && l == 3 ? 0 : 120; });
    viewer->setCurrentSounding(1);
    ViewerResponse r = viewer->keyDown(key::F3, 0);
    EXPECT_EQ(viewer->currentSounding(), 2);
    EXPECT_TRUE(r.redrawSounding);
    viewer->keyDown(key::F3, 0);
    EXPECT_EQ(viewer->currentSounding(), 4);
    viewer->keyDown(key::F3, 1);   // Shift+F3: back
    EXPECT_EQ(viewer->currentSounding(), 2);
    viewer->keyDown(key::F3, 1);
    EXPECT_EQ(viewer->currentSounding(), 2);
    EXPECT_EQ(f.prompter.lastMessage(), "Done looking left!");
}

TEST_F(SoundingViewerTest, ctrlRightStopsAfterAFortyEightHourUncoveredStretch) {
    // Spacings 12, 59 (47 uncovered), 12, 60 (48 uncovered), 12, 12.
    const core::HoursSince1930 t0 = 780000;
    loadSet({t0, t0 + 12, t0 + 71, t0 + 83, t0 + 143, t0 + 155, t0 + 167});
    const auto& set = analysis->soundings();
    EXPECT_DOUBLE_EQ(SoundingViewer::uncoveredHoursBefore(set, 3), 47);
    EXPECT_DOUBLE_EQ(SoundingViewer::uncoveredHoursBefore(set, 5), 48);
    // Without a further gap Ctrl+Right goes to the last sounding.
    const int L = key::Left, R = key::Right;
    EXPECT_EQ(press({R, R, R, L, L}, true),
              (std::vector<std::pair<int, bool>>{{5, true}, {7, true}, {7, false}, {5, true}, {1, true}}));
}

// ---- the other keys -------------------------------------------------------

TEST_F(SoundingViewerTest, arrowsChangeFrameAdvanceInStepsNeverBelowZero) {
    viewer->setFrameAdvance(0.02);
    ViewerResponse r = viewer->keyDown(key::Down, 0);
    EXPECT_EQ(viewer->frameAdvance(), 0.0);
    EXPECT_FALSE(r.animateCaption);   // no animation: the caption stays
    viewer->keyDown(key::Down, 0);
    EXPECT_EQ(viewer->frameAdvance(), 0.0);
    viewer->startAnimation();
    r = viewer->keyDown(key::Up, 0);
    ASSERT_TRUE(r.animateCaption);
    EXPECT_EQ(*r.animateCaption, "Frame advance is 0.03 sec");
    r = viewer->keyDown(key::Up, 0);
    EXPECT_EQ(*r.animateCaption, "Frame advance is 0.06 sec");
    viewer->keyDown(key::Down, 0);
    r = viewer->keyDown(key::Down, 0);
    EXPECT_EQ(*r.animateCaption, "Frame advance is 0.00 sec");
    EXPECT_EQ(viewer->frameAdvance(), 0.0);
}

TEST_F(SoundingViewerTest, escapeStopsOnlyARunningAnimation) {
    EXPECT_FALSE(viewer->keyDown(key::Escape, 0).stopAnimation);
    viewer->startAnimation();
    EXPECT_FALSE(viewer->takeAdvanceRequest());
    EXPECT_TRUE(viewer->keyDown(key::A, 0).advance);
    EXPECT_TRUE(viewer->takeAdvanceRequest());
    EXPECT_FALSE(viewer->takeAdvanceRequest());
    EXPECT_TRUE(viewer->keyDown(key::Escape, 0).stopAnimation);
    EXPECT_FALSE(viewer->animationOn());
    EXPECT_TRUE(viewer->takeAdvanceRequest());   // the running wait ends at once
}

TEST_F(SoundingViewerTest, powerGraphGroupStartsAtFourAndNeverGoesBelowTwo) {
    EXPECT_EQ(viewer->powerGraphGroup(), 4);
    EXPECT_FALSE(viewer->keyDown(key::Z, 0).redrawEnergyGraph);
    EXPECT_EQ(viewer->powerGraphGroup(), 4);
    EXPECT_TRUE(ctrl(key::Z).redrawEnergyGraph);
    ctrl(key::Z);
    ctrl(key::Z);
    EXPECT_EQ(viewer->powerGraphGroup(), 2);
    EXPECT_TRUE(ctrl(key::A).redrawEnergyGraph);
    EXPECT_EQ(viewer->powerGraphGroup(), 3);
    EXPECT_FALSE(viewer->energyGraphAlternative());
    EXPECT_TRUE(ctrl(key::P).redrawEnergyGraph);
    EXPECT_TRUE(viewer->energyGraphAlternative());
    EXPECT_TRUE(viewer->keyDown(key::F1, 0).openHelp);
}

TEST_F(SoundingViewerTest, ctrlDRebuildsTheDataIndexOnTheMainPageOnly) {
    ctrl(key::D, ViewerForm::PowerPage);
    EXPECT_TRUE(f.prompter.questions.empty());
    f.prompter.no();
    EXPECT_FALSE(ctrl(key::D).dataIndexRebuilt);
    EXPECT_TRUE(f.prompter.messages.empty());
    f.s->mainDb().db().exec("DELETE FROM havedata");
    f.prompter.yes();
    EXPECT_TRUE(ctrl(key::D).dataIndexRebuilt);
    EXPECT_EQ(f.prompter.questions, (std::vector<std::string>{"Re-create data index?", "Re-create data index?"}));
    EXPECT_EQ(f.prompter.lastMessage(), "Done");
    EXPECT_EQ(mainCount("SELECT count(*) FROM havedata WHERE wmo = 99901"), 1);
}

// ---- the animation's schedule ---------------------------------------------

TEST(AnimationSchedule, framesWaitLongFirstThenShrinkToFrameAdvance) {
    // Frame n, frame advance; the wait (none: the caption only) and the caption (none: unchanged).
    struct Case { int n; double advance; std::optional<double> seconds; std::optional<std::string> caption; };
    const Case cases[] = {
        {1, 0.5, 30, "Frame advance is 30 sec"},          {2, 0.5, 15, "Frame advance is 15 sec"},
        {3, 0.5, 5, "Frame advance is 5 sec"},            {26, 0.5, 5, "Frame advance is 5 sec"},
        {27, 0.5, 1 / 1.2, "Frame advance is 0.86 sec"},  {30, 0.5, std::pow(1.2, -4), "Frame advance is 0.51 sec"},
        {124, 0.5, std::pow(1.2, -98), "Frame advance is 0.03 sec"},
        {125, 0.5, 0.5, std::nullopt},                    {126, 0.5, std::nullopt, "Frame advance is 0.53 sec"},
        {127, 0.2, 0.2, std::nullopt},                    {5000, 0.01, 0.01, std::nullopt},
        {5000, 0, 0.01, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "frame " << c.n << ", advance " << c.advance);
        const FrameStep s = animationWait(c.n, c.advance);
        ASSERT_EQ(s.seconds.has_value(), c.seconds.has_value());
        if (c.seconds) { EXPECT_NEAR(*s.seconds, *c.seconds, 1e-12 * *c.seconds); }
        EXPECT_EQ(s.caption, c.caption);
    }
}

TEST(AnimationSchedule, aWaitNeverRunsPastTheLastSecondOfTheDay) {
    EXPECT_EQ(clampWaitToDayEnd(86000, 30), 30);
    EXPECT_EQ(clampWaitToDayEnd(86369, 30), 30);     // ends exactly at 86399
    EXPECT_EQ(clampWaitToDayEnd(86390, 30), 9);
    EXPECT_EQ(clampWaitToDayEnd(86399, 5), 0);
    EXPECT_DOUBLE_EQ(clampWaitToDayEnd(86398.5, 0.01), 0.01);
}

TEST(AnimationSchedule, waitLabelAndFrameAdvanceSteps) {
    EXPECT_EQ(animationWaitText(57, 12, 1460),
              "Altitude Band Height is 57 data points after adding sounding 12 of 1460 PRESS ESC to stop, 'A' to "
              "advance.");
    EXPECT_EQ(stepFrameAdvance(0.3, false), 0.27);   // the steps near zero: the arrow keys' test
    EXPECT_EQ(frameAdvanceCaption(0.03), "Frame advance is 0.03 sec");
    EXPECT_EQ(animationStartCaption(0), "Frame advance is 0.03 sec");
    EXPECT_EQ(animationStartCaption(0.27), "Frame advance is 0.30 sec");
    EXPECT_EQ(fullSpeedWait(0.005), 0.01);
    EXPECT_EQ(fullSpeedWait(0.27), 0.27);
}

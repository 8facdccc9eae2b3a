#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "StartedFolder.h"
#include "WindowTest.h"
#include "display/HeightGraphModel.h"
#include "gui/AnalysisPanel.h"
#include "gui/AnimationPlayer.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/HelpWindow.h"
#include "gui/MapWidget.h"
#include "gui/MainWindow.h"
#include "gui/PowerGraphWidgets.h"
#include "gui/PowerPageWindow.h"
#include "gui/SiteListWidget.h"
#include "core/Settings.h"
#include "session/SiteAnalysis.h"
#include "session/SoundingViewer.h"

using namespace skyloom;

namespace {

constexpr long kAlbany = test::kTestAlbany;

std::vector<double> profileOf(const gui::MainWindow& w) {
    std::vector<double> xs;
    for (const auto& p : w.analysisPanel()->graph1()->model().profile) xs.push_back(p.x);
    return xs;
}

std::vector<double> bandsOf(const gui::MainWindow& w) {
    std::vector<double> shares;
    for (const auto& b : w.analysisPanel()->graph1()->model().bands) shares.insert(shares.end(), b.share.begin(), b.share.end());
    return shares;
}

}  // namespace

class AnimationTest : public QObject {
    Q_OBJECT

    using Fixture = test::AlbanyFolder;

    // Shows the main window with Albany analysed.
    static bool showAnalysed(gui::MainWindow& w) {
        w.show();
        return QTest::qWaitForWindowExposed(&w) && w.analysisPanel()->analyseStation(kAlbany);
    }

private slots:
    void escapeStopsTheAnimationAndLeavesTheWholePeriodDrawn() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QVERIFY(showAnalysed(w));
        gui::AnalysisPanel* panel = w.analysisPanel();
        const int count = w.siteAnalysis().soundings().count();
        QCOMPARE(count, 2 * 730);
        QCOMPARE(w.viewer().currentSounding(), count);
        const std::vector<double> wholeProfile = profileOf(w);
        const std::vector<double> wholeBands = bandsOf(w);
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Animate"));

        w.viewer().setFrameAdvance(0);
        panel->animateButton()->click();
        QVERIFY(w.viewer().animationOn());
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Frame advance is 0.03 sec"));
        QVERIFY(panel->advanceNowButton()->isVisible());
        QTRY_COMPARE(w.animationPlayer()->framesShown(), 1);
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Frame advance is 30 sec"));
        QCOMPARE(w.waitLabel()->text(),
                 QStringLiteral("Altitude Band Height is 1 data points after adding sounding 1 of 1460 PRESS ESC to "
                                "stop, 'A' to advance."));
        QVERIFY(w.waitLabel()->isVisible());
        // The banner stands where no data is: over neither the map nor Graph 1.
        auto placeOf = [&w](QWidget* x) {
            return QRect(x->mapTo(w.centralWidget(), QPoint(0, 0)), x->size());
        };
        QVERIFY(!w.waitLabel()->geometry().intersects(placeOf(w.mapWidget())));
        QVERIFY(!w.waitLabel()->geometry().intersects(placeOf(panel->graph1())));
        // Graph 2 shows the sounding just added; Graph 1 only what was added so far.
        QCOMPARE(w.viewer().currentSounding(), 1);
        QVERIFY(QString::fromStdString(panel->graph2()->model().caption).contains(QStringLiteral("Jan 1, 2018")));
        QVERIFY(profileOf(w) != wholeProfile);

        for (int frame = 2; frame <= 4; ++frame) {
            panel->advanceNowButton()->click();
            QTRY_COMPARE(w.animationPlayer()->framesShown(), frame);
        }
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Frame advance is 5 sec"));
        QVERIFY(w.animationPlayer()->pendingWaitMs() > 30 || QTime::currentTime().hour() == 23);

        // Up during a wait: the wait goes on with the new frame advance, and says so.
        QTest::keyClick(&w, Qt::Key_Up);
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Frame advance is 0.03 sec"));
        QTRY_COMPARE(w.animationPlayer()->framesShown(), 5);
        // 'A' ends a wait like the button.
        QTest::keyClick(&w, Qt::Key_A);
        QTRY_COMPARE(w.animationPlayer()->framesShown(), 6);
        QTest::keyClick(&w, Qt::Key_Down);
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Frame advance is 0.00 sec"));
        QTRY_COMPARE(w.animationPlayer()->framesShown(), 7);

        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.viewer().animationOn());
        QVERIFY(!w.animationPlayer()->running());
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Animate"));
        QVERIFY(!panel->advanceNowButton()->isVisible());
        QVERIFY(!w.waitLabel()->isVisible());
        const int shown = w.animationPlayer()->framesShown();
        QTest::qWait(150);
        QCOMPARE(w.animationPlayer()->framesShown(), shown);
        QCOMPARE(profileOf(w), wholeProfile);
        QCOMPARE(bandsOf(w), wholeBands);
        QCOMPARE(w.viewer().currentSounding(), shown);
    }

    void theLastSoundingEndsTheAnimationWithTheFinalGraphs() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QVERIFY(showAnalysed(w));
        gui::AnalysisPanel* panel = w.analysisPanel();
        // Three days: six soundings.
        w.siteAnalysis().fromPicker().setValue(core::makeDate(2018, 3, 1));
        w.siteAnalysis().toPicker().setValue(core::makeDate(2018, 3, 3));
        panel->animateButton()->click();
        QCOMPARE(panel->lastOutcome(), session::AnalysisOutcome::Analysed);
        QCOMPARE(w.siteAnalysis().soundings().count(), 6);
        const std::vector<double> wholeProfile = profileOf(w);
        QTRY_COMPARE(w.animationPlayer()->framesShown(), 1);
        for (int frame = 2; frame <= 6; ++frame) {
            panel->advanceNowButton()->click();
            QTRY_COMPARE(w.animationPlayer()->framesShown(), frame);
        }
        QVERIFY(w.viewer().animationOn());
        QCOMPARE(profileOf(w), wholeProfile);   // all six added: the same profile
        panel->advanceNowButton()->click();      // the last wait ends the pass
        QTRY_VERIFY(!w.animationPlayer()->running());
        QVERIFY(!w.viewer().animationOn());
        QCOMPARE(panel->animateButton()->text(), QStringLiteral("Animate"));
        QCOMPARE(w.animationPlayer()->framesShown(), 6);
        QCOMPARE(w.viewer().currentSounding(), 6);
        QCOMPARE(profileOf(w), wholeProfile);
    }

    void arrowKeysStepThroughTheSoundingsOnGraphTwo() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QVERIFY(showAnalysed(w));
        const int count = w.siteAnalysis().soundings().count();
        const QString last = QString::fromStdString(w.analysisPanel()->graph2()->model().caption);
        QVERIFY(last.contains(QStringLiteral("Dec 31, 2019 12:00")));
        QTest::keyClick(&w, Qt::Key_Right);   // at the last sounding: nothing changes
        QCOMPARE(w.viewer().currentSounding(), count);
        QTest::keyClick(&w, Qt::Key_Left);
        QTest::keyClick(&w, Qt::Key_Left);
        QCOMPARE(w.viewer().currentSounding(), count - 2);
        QVERIFY(QString::fromStdString(w.analysisPanel()->graph2()->model().caption)
                    .contains(QStringLiteral("Dec 30, 2019 12:00")));
        // Ctrl+Left: no gap in the file, so the first sounding.
        QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(w.viewer().currentSounding(), 1);
        QVERIFY(!w.viewer().ctrlDown());
        // F1 from the keys of the window.
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(w.helpWindow()->isVisible());
    }

    void ctrlIInTheWindowIgnoresTheShownSoundingForTheNextAnalysis() {
        Fixture f;
        f.s->settings().setFlag("Iignore", true);
        gui::MainWindow w(*f.s);
        QVERIFY(showAnalysed(w));
        gui::AnalysisPanel* panel = w.analysisPanel();
        const int count = w.siteAnalysis().soundings().count();
        QVERIFY(panel->dataSitesList()->item(0)->text().contains(QStringLiteral("0.0% ignored")));
        QTest::keyClick(&w, Qt::Key_Left);
        f.prompter.yes();
        QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(f.prompter.questions.size(), std::size_t{1});
        QVERIFY(w.siteAnalysis().stationListStale());
        QVERIFY(w.siteAnalysis().soundings().key[static_cast<std::size_t>(count - 1)] < 0);
        // Stepping passes the ignored sounding.
        QTest::keyClick(&w, Qt::Key_Left);
        QCOMPARE(w.viewer().currentSounding(), count - 2);
        QTest::keyClick(&w, Qt::Key_Right);
        QCOMPARE(w.viewer().currentSounding(), count);
        // The next analysis reads the file without it and renews the list's ignored share.
        panel->recalcButton()->click();
        QCOMPARE(panel->lastOutcome(), session::AnalysisOutcome::Analysed);
        QCOMPARE(w.siteAnalysis().soundings().count(), count - 1);
        QVERIFY(!w.siteAnalysis().stationListStale());
        QVERIFY(panel->dataSitesList()->item(0)->text().contains(QStringLiteral("0.1% ignored")));
    }

    void powerPageAndHelpWindowKeysReachTheSameViewer() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QVERIFY(showAnalysed(w));
        QWidget* power = w.openPowerPage();
        gui::PowerGraphsPanel* graphs = w.powerGraphs();
        QVERIFY(graphs);
        QCOMPARE(w.viewer().powerGraphGroup(), 4);
        QCOMPARE(graphs->grouping(), 4);
        const auto bars = graphs->storedGraph()->model().bars.size();
        QTest::keyClick(power, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.viewer().powerGraphGroup(), 5);
        QCOMPARE(graphs->grouping(), 5);
        QVERIFY(graphs->storedGraph()->model().bars.size() < bars);
        QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(power, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.viewer().powerGraphGroup(), 2);
        QCOMPARE(graphs->grouping(), 2);
        // Ctrl+P: the energy graphs switch between totals and rates, and back.
        QVERIFY(!graphs->alternativeMode());
        QTest::keyClick(power, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(graphs->alternativeMode());
        QTest::keyClick(power, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!graphs->alternativeMode());
        QTest::keyClick(power, Qt::Key_D, Qt::ControlModifier);   // Main Page only: no question
        QVERIFY(f.prompter.questions.empty());
        const int count = w.siteAnalysis().soundings().count();
        const auto& set = w.siteAnalysis().soundings();
        QCOMPARE(graphs->outputGraph()->marker(), std::optional<double>(set.time[std::size_t(count)][0]));
        QTest::keyClick(power, Qt::Key_Left);
        QCOMPARE(w.viewer().currentSounding(), count - 1);
        // Stepping marks the shown sounding on the Power Page's output and energy graphs.
        const std::optional<double> shown(set.time[std::size_t(count - 1)][0]);
        QCOMPARE(graphs->outputGraph()->marker(), shown);
        QCOMPARE(graphs->storedGraph()->marker(), shown);
        QCOMPARE(graphs->purchaseGraph()->marker(), shown);
        w.openHelp();
        QTest::keyClick(w.helpWindow(), Qt::Key_Left);
        QCOMPARE(w.viewer().currentSounding(), count - 2);
        // Ctrl+D on the Main Page asks, and on No leaves the index alone.
        f.prompter.no();
        QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(f.prompter.questions, std::vector<std::string>{"Re-create data index?"});
    }
};

QTEST_MAIN(AnimationTest)
#include "AnimationTest.moc"

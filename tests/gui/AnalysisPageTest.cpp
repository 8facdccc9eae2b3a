#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QtTest>

#include "../analysis/SampleRecords.h"
#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "StartedFolder.h"
#include "WindowTest.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "display/MapModel.h"
#include "gui/AnalysisPanel.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/MainWindow.h"
#include "gui/MapWidget.h"
#include "gui/SettingsDialog.h"
#include "gui/SiteListWidget.h"
#include "gui/StudyPanel.h"
#include "analysis/AnalysisStore.h"
#include "session/AnalysisCommands.h"
#include "session/StudyCommands.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "session/StationSummary.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {

constexpr long kAlbany = test::kTestAlbany;
constexpr long kPlains = 99902;

QPoint pixelOf(gui::MapWidget* map, double lat, double lon) {
    display::MapPoint m = display::toMap(lat, lon);
    return gui::MapRenderer::toPixel(QRectF(map->rect()), m.x, m.y).toPoint();
}

void move(QWidget* w, QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

class AnalysisPageTest : public QObject {
    Q_OBJECT

    // A program folder with two stations that have two years of soundings each.
    struct Fixture : test::AlbanyFolder {
        Fixture() { addStation(kPlains, "PLAINS", 40.0, -100.0, 90); }
    };

    static bool analysed(gui::MainWindow& w) {
        return w.analysisPanel()->lastOutcome() == session::AnalysisOutcome::Analysed;
    }

private slots:
    void pickingInTheDropDownAnalysesTheStation() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QComboBox* combo = w.analysisPanel()->siteCombo();
        QCOMPARE(combo->count(), 2);
        QCOMPARE(w.analysisPanel()->dataSitesList()->count(), 2);
        QCOMPARE(w.summaryText(), QString::fromUtf8(session::kNoStationPrompt));
        int i = combo->findData(static_cast<qlonglong>(kAlbany));
        QVERIFY(i >= 0);
        emit combo->activated(i);
        QVERIFY(analysed(w));
        QCOMPARE(w.siteAnalysis().currentWmo(), kAlbany);
        QCOMPARE(w.summaryText(), QString::fromStdString(w.siteAnalysis().summaryLine()));
        QVERIFY(w.summaryText().contains(" soundings with "));
        QCOMPARE(w.analysisPanel()->siteLabel()->text(), QStringLiteral("ALBANY, United States North America"));
        QCOMPARE(w.analysisPanel()->fromDate()->minimumDate(), QDate(2018, 1, 1));
        QCOMPARE(w.analysisPanel()->toDate()->maximumDate(), QDate(2019, 12, 31));
        QVERIFY(!w.analysisPanel()->graph1()->model().empty);
        QVERIFY(w.mapWidget()->scene().shown.has_value());
        QVERIFY(!w.waitLabel()->isVisible());
    }

    void anImportedRealSoundingFileIsPickedAndSummarised() {
        test::TempFolder tmp;
        test::ScriptedPrompter prompter;
        core::SilentPrompter quiet;
        core::NullProgress progress;
        QVERIFY(session::initProgramFolder(tmp.dir(), quiet, progress));
        session::Session s(tmp.dir(), prompter);
        QCOMPARE(s.startUp(), session::Session::StartResult::Ready);
        // The import reads the station from the file name: its wmo and a blank.
        std::filesystem::copy_file(test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"), tmp / "72518 alb.txt");
        sounding::ImportOptions options;
        options.mainDb = &s.mainDb();
        auto result = sounding::importFile(tmp.dir(), (tmp / "72518 alb.txt").string(), options, quiet);
        QVERIFY2(result.added > 600, result.report.c_str());
        s.reloadStationIndex();

        gui::MainWindow w(s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(test::pickStation(w, 72518));
        QVERIFY2(w.summaryText().startsWith("ALL 1.0 years of 90-91 using "), qPrintable(w.summaryText()));
        QCOMPARE(w.analysisPanel()->fromDate()->date().year(), 1990);
        QVERIFY(!w.analysisPanel()->graph1()->model().profile.empty());
        QVERIFY(test::saveScreenshot(w, "main-analysis-page-albany-1990.png"));
    }

    void clickingADotOnTheMapAnalysesIt() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::MapWidget* map = w.mapWidget();
        QPoint dot = pixelOf(map, 40.0, -100.0);
        move(map, dot);
        QVERIFY(map->tipText().startsWith("Left Click to show data for PLAINS"));
        QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, dot);
        QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, dot);
        QVERIFY(analysed(w));
        QCOMPARE(w.siteAnalysis().currentWmo(), kPlains);
        QVERIFY(w.summaryText().contains(" soundings with "));
        QVERIFY(w.mapModel().referenceSite().has_value());
        QCOMPARE(w.mapModel().referenceSite()->wmo, kPlains);
        QVERIFY(!w.mapModel().circle().frozen);  // a click on a station does not freeze the circle

        // A right click compares another station with the reference site.
        QPoint other = pixelOf(map, 42.75, -73.8);
        move(map, other);
        QTest::mousePress(map, Qt::RightButton, Qt::NoModifier, other);
        QTest::mouseRelease(map, Qt::RightButton, Qt::NoModifier, other);
        QCOMPARE(w.siteAnalysis().currentWmo(), kAlbany);
        QCOMPARE(w.mapModel().referenceSite()->wmo, kPlains);
        QVERIFY(w.analysisPanel()->graph1()->model().powerTexts[0].find("at the Reference Site.") != std::string::npos);
    }

    void metricUnitsRelabelTheAxes() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.analysisPanel()->analyseStation(kAlbany);
        auto before = w.analysisPanel()->graph1()->model();
        QCOMPARE(before.heightCaption, std::string("Height Above Ground (feet)"));
        QCOMPARE(before.speedAxis[1].text, std::string("11.4"));  // miles per hour
        w.settingsDialog()->chooseUnits(2);
        w.settingsDialog()->closeIt();
        auto after = w.analysisPanel()->graph1()->model();
        QCOMPARE(after.heightCaption, std::string("Height Above Ground (meters)"));
        QCOMPARE(after.speedCaption, std::string("Wind Speed (m/sec)"));
        QCOMPARE(after.powerFactorCaption, std::string("Power Factor   vs  75m"));
        QCOMPARE(after.speedAxis[1].text, std::string("5.1"));
        QCOMPARE(after.heightAxis[1].text, std::string("152"));
        // The data keep their places.
        QCOMPARE(after.profile.size(), before.profile.size());
        for (std::size_t i = 0; i < after.profile.size(); ++i) QCOMPARE(after.profile[i].x, before.profile[i].x);

        gui::Graph2Widget* g2 = w.analysisPanel()->graph2();
        QCOMPARE(g2->model().title, std::string("Graph 2: Sounding Wind Speed (m/sec)"));
        QTest::mouseClick(g2, Qt::LeftButton);
        QCOMPARE(g2->model().title, std::string("Graph 2: Temperature (degABSOLUTE)"));
        QTest::mouseClick(g2, Qt::LeftButton);
        QCOMPARE(g2->model().title, std::string("Graph 2: Pressure (millibars)"));
        QTest::mouseClick(g2, Qt::LeftButton);
        QCOMPARE(g2->model().mode, display::Graph2Mode::Speed);
    }

    void recalculationChecksTheDateOrder() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.analysisPanel()->analyseStation(kAlbany);
        w.analysisPanel()->fromDate()->setDate(QDate(2019, 3, 1));
        w.analysisPanel()->toDate()->setDate(QDate(2019, 3, 1));
        QTest::mouseClick(w.analysisPanel()->recalcButton(), Qt::LeftButton);
        QCOMPARE(f.prompter.lastMessage(), std::string("'To' date must be after 'From' date"));
        w.analysisPanel()->toDate()->setDate(QDate(2019, 6, 30));
        QTest::mouseClick(w.analysisPanel()->recalcButton(), Qt::LeftButton);
        QVERIFY(analysed(w));
        QCOMPARE(w.siteAnalysis().currentFrom(), core::makeDate(2019, 3, 1));
        QCOMPARE(w.siteAnalysis().currentTo(), core::makeDate(2019, 6, 30));
        QVERIFY(!w.summaryText().startsWith("ALL "));
        // The picker stays inside the station's range.
        w.analysisPanel()->toDate()->setDate(QDate(2030, 1, 1));
        QCOMPARE(w.analysisPanel()->toDate()->date(), QDate(2019, 12, 31));
    }

    void escStopsARunningAnalysisWhileTheWindowRepaints() {
        Fixture f;
        // Twenty years of soundings: long enough for the wait label to be seen.
        constexpr long kLong = 99903;
        {
            test::StationFileBuilder b(test::StationFileBuilder::pathFor(f.tmp.dir(), kLong), kLong);
            b.addTwiceDaily(core::makeDate(1995, 1, 1), core::makeDate(2014, 12, 31),
                            [](int n) { return 50 + (n * 13) % 150; });
            test::registerStation(f.s->mainDb(), b.write(), "LONG RECORD", "US", 35.0, -90.0);
            f.s->reloadStationIndex();
        }
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        int paints = 0;
        bool waitShown = false;
        struct Watch : QObject {
            int* paints;
            explicit Watch(int* p) : paints(p) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++*paints;
                return false;
            }
        } watch(&paints);
        w.mapWidget()->installEventFilter(&watch);
        // While the work runs: a repaint is asked for, then Esc is pressed.
        QTimer repaint;
        bool pressed = false;
        connect(&repaint, &QTimer::timeout, w.mapWidget(), [&] {
            waitShown = waitShown || w.waitLabel()->isVisible();
            w.mapWidget()->update();
            // Esc once the soundings are being read.
            if (waitShown && !pressed) {
                pressed = true;
                QTest::keyClick(w.mapWidget(), Qt::Key_Escape);
            }
        });
        // A zero interval fires whenever the work lets events through, so the
        // test does not depend on how fast this machine reads the soundings.
        repaint.start(0);
        w.analysisPanel()->analyseStation(kLong);
        repaint.stop();
        QVERIFY(waitShown);
        QVERIFY(paints > 0);
        QCOMPARE(w.analysisPanel()->lastOutcome(), session::AnalysisOutcome::Cancelled);
        QVERIFY(!w.waitLabel()->isVisible());
        // A cancelled analysis leaves the window ready for the next one.
        QVERIFY(w.analysisPanel()->analyseStation(kAlbany));
    }

    void theStudyOfSitesAboveASpeedAnalysesAndSavesEverySite() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.prompter.yes().answer("30").answer("0").yes().yes().no();
        QAction* entry = w.findChild<QAction*>("mnuAveAbove");
        QVERIFY(entry && entry->isEnabled());
        entry->trigger();
        QVERIFY(f.prompter.allAnswersUsed());
        const int sites = f.s->mainDb().db().execAndGet("SELECT count(*) FROM havedata").getInt();
        QVERIFY(sites >= 2);
        // Every site was analysed and saved, and all of them (threshold 0) are in the new study.
        QCOMPARE(f.s->mainDb().db().execAndGet("SELECT count(DISTINCT wmo) FROM datapoints").getInt(), sites);
        QCOMPARE(f.s->mainDb().db().execAndGet("SELECT count(*) FROM studykeys").getInt(), sites);
        const std::string report = f.prompter.lastMessage();
        QVERIFY2(report.rfind("Of your " + std::to_string(sites) + " purchased sites, " + std::to_string(sites) +
                                  " have ", 0) == 0,
                 report.c_str());
        QVERIFY(report.find(", or 100.0%") != std::string::npos);
    }

    void theStudyGridListsTheCurrentStudyAndRecallsARow() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto& store = w.analyses().store();
        auto record = [](long wmo, double usage, const char* from, const char* to) {
            auto r = test::sampleRecord(wmo, usage);
            r.fromDate = from;
            r.toDate = to;
            return r;
        };
        long long a = store.insert(record(kAlbany, 10, "2018-03-01", "2018-09-30"));
        long long b = store.insert(record(kPlains, 20, "2019-01-01", "2019-06-30"));
        long long c = store.insert(record(kAlbany, 30, "2018-01-01", "2019-12-31"));
        auto& studies = w.studies();
        long long study = studies.store().create("Coast sites");
        studies.store().addMember(study, a);
        studies.store().addMember(study, c);
        studies.currentStudyKey = study;
        studies.showStudy();
        w.showStudyPanel(true);
        QCOMPARE(w.findChild<QPushButton*>("ShowHideStudyBut")->text(), QStringLiteral("Hide Study List"));
        QCOMPARE(f.s->settings().get("StudyVisible"), std::string("-1"));

        gui::StudyPanel* panel = w.studyPanel();
        QCOMPARE(panel->model()->rowCount(), 2);
        QCOMPARE(panel->model()->keyOf(0), c);  // newest first
        QCOMPARE(panel->model()->keyOf(1), a);
        QCOMPARE(panel->ninLab()->text(), QStringLiteral("2 in list"));
        QCOMPARE(panel->studyLab()->text(), QStringLiteral(" Coast sites"));
        QCOMPARE(panel->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("  Radiosonde Location"));

        // Picking a row recalls that analysis: its station and period are analysed again.
        QTest::mouseClick(panel->grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          panel->grid()->visualRect(panel->model()->index(1, 2)).center());
        QVERIFY(analysed(w));
        QCOMPARE(w.siteAnalysis().currentWmo(), kAlbany);
        QCOMPARE(w.analysisPanel()->fromDate()->date(), QDate(2018, 3, 1));
        QCOMPARE(w.analysisPanel()->toDate()->date(), QDate(2018, 9, 30));
        QCOMPARE(w.analyses().currentAnalysisId, a);

        // A heading click sorts and marks the heading; the listed stations are marked on the map.
        panel->grid()->horizontalHeader()->sectionClicked(0);
        QVERIFY(panel->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().endsWith("SRTv"));
        QCOMPARE(panel->model()->keyOf(0), a);
        QCOMPARE(w.mapWidget()->scene().markedSites.size(), std::size_t(2));

        // A comment typed into its cell is stored with the analysis; other cells take no text.
        panel->grid()->setCurrentIndex(panel->model()->index(0, 1));
        panel->grid()->setFocus();
        QTest::keyClick(panel->grid(), 'S');
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "heltered valley");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor commits on the next turn
        QCOMPARE(QString::fromStdString(store.load(a)->comment.value_or("")), QStringLiteral("Sheltered valley"));
        QCOMPARE(panel->model()->data(panel->model()->index(0, 1), Qt::DisplayRole).toString(),
                 QStringLiteral("Sheltered valley"));
        panel->grid()->setCurrentIndex(panel->model()->index(0, 3));
        panel->grid()->setFocus();
        QTest::keyClicks(panel->grid(), "z");
        QVERIFY(!panel->grid()->indexWidget(panel->model()->index(0, 3)));
        for (QLineEdit* editor : panel->grid()->viewport()->findChildren<QLineEdit*>()) QVERIFY(!editor->isVisible());
        const long long help = f.s->helpKey;
        f.s->helpKey = a;
        QVERIFY(!w.studies().setGridComment(a, "changed"));
        QCOMPARE(f.prompter.messages.back(), std::string("You are not allowed to delete this row or change its comment."));
        QCOMPARE(QString::fromStdString(store.load(a)->comment.value_or("")), QStringLiteral("Sheltered valley"));
        f.s->helpKey = help;

        QTest::mouseClick(w.findChild<QPushButton*>("ShowAllStudies"), Qt::LeftButton);
        QCOMPARE(panel->model()->rowCount(), 3);
        QCOMPARE(panel->ninLab()->text(), QStringLiteral("3 in list"));
        (void)b;

        QTest::mouseClick(w.findChild<QPushButton*>("ShowHideStudyBut"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QCOMPARE(f.s->settings().get("StudyVisible"), std::string("0"));
        QTest::mouseClick(w.findChild<QPushButton*>("ShowHideStudyBut"), Qt::LeftButton);
        QVERIFY(test::saveScreenshot(w, "main-analysis-page-study-list.png"));
    }

    void screenshotOfTheAnalysedSite() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::MapWidget* map = w.mapWidget();
        QPoint dot = pixelOf(map, 42.75, -73.8);
        move(map, dot);
        QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, dot);
        QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, dot);
        QVERIFY(analysed(w));
        move(map, dot + QPoint(150, 100));
        QVERIFY(test::saveScreenshot(w, "main-analysis-page-with-site.png"));
    }
};

QTEST_MAIN(AnalysisPageTest)
#include "AnalysisPageTest.moc"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "StartedFolder.h"
#include "WindowTest.h"
#include "TempFolder.h"
#include "analysis/AnalysisStore.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "display/MapModel.h"
#include "display/SiteLine.h"
#include "gui/AnalysisPanel.h"
#include "gui/GuiProgress.h"
#include "gui/HelpWindow.h"
#include "gui/MainWindow.h"
#include "gui/MapWidget.h"
#include "gui/OrderPanel.h"
#include "gui/SiteListWidget.h"
#include "ordering/OrderList.h"
#include "power/GeneratorStore.h"
#include "session/PowerPage.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "session/StationSummary.h"

using namespace skyloom;

namespace {

// The pixel of a map point on the widget.
QPoint pixelOf(gui::MapWidget* map, double lat, double lon) {
    display::MapPoint m = display::toMap(lat, lon);
    return gui::MapRenderer::toPixel(QRectF(map->rect()), m.x, m.y).toPoint();
}

void move(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    using Fixture = test::StartedFolder;

private slots:
    void opensOnTheAnalysisPageWithItsCaptions() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.summaryText(), QString::fromUtf8(session::kNoStationPrompt));
        QCOMPARE(w.windowTitle(), QStringLiteral("  Analysis Page of Skyloom - Wind Data Display Program V24.0"));
        auto* orderBut = w.findChild<QPushButton*>("OrderBut");
        QCOMPARE(orderBut->text(), QStringLiteral("Order Data"));
        QTest::mouseClick(orderBut, Qt::LeftButton);
        QVERIFY(w.orderPageShown());
        QCOMPARE(orderBut->text(), QStringLiteral("See Analysis"));
        QCOMPARE(w.windowTitle(), QStringLiteral("  Order Data Page of Skyloom - Wind Data Display Program V24.0"));
        QCOMPARE(f.s->settings().get("OnPage"), std::string("Order"));
        QTest::mouseClick(orderBut, Qt::LeftButton);
        QCOMPARE(f.s->settings().get("OnPage"), std::string("Wind"));
    }

    void menusCarryTheirCaptionsAndNoDeadEntry() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QStringList menus;
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"Print", "Tools", "Help"}));
        QCOMPARE(w.menuEntry("mnuUnits")->text(), QStringLiteral("Settings"));
        QCOMPARE(w.menuEntry("mnuPrintPageLandscape")->text(),
                 QStringLiteral("Print Main Page to Default Printer - Landscape - Horizontal"));
        QCOMPARE(w.menuEntry("mnuHelp")->text(), QStringLiteral("Show Help File"));
        const char* names[] = {"mnuPrintPageLandscape", "mnuPrintPagePortrait", "mnuCopyFormToClipboard",
                               "mnuSaveBitmap", "mnuPrintPageLandscape2", "mnuPrintPagePortrait2",
                               "mnuCopyFormToClipboard2", "mnuSaveBitmap2", "mnuAveAbove", "mnuPPG", "mnuEDC",
                               "mnuUnits", "mnuRepair", "mnuCheckForDataUpdates", "mnuRecall", "mnuHelp",
                               "mnuCheckForUpdates", "mnuRevert", "mnuRevHistory", "mnuAbout"};
        for (const char* n : names) {
            QAction* a = w.menuEntry(n);
            QVERIFY2(a, n);
            if (!a->isVisible()) continue;  // Revert shows only when a previous version exists
            // An entry either works or says that it comes later.
            if (!a->isEnabled()) QVERIFY2(a->toolTip().contains("later"), n);
            else QVERIFY2(!a->toolTip().contains("later"), n);
        }
        w.menuEntry("mnuRevHistory")->trigger();
        QVERIFY(f.prompter.lastMessage().find("Major Revision 2.1") != std::string::npos);
        w.menuEntry("mnuHelp")->trigger();
        QVERIFY(w.helpWindow()->isVisible());
        w.helpWindow()->hide();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QVERIFY(w.helpWindow()->isVisible());
        for (const char* part : {"Picking a site", "Reading the graphs", "The Power Page", "Studies", "Ordering data",
                                 "Getting soundings onto this computer"})
            QVERIFY2(gui::HelpWindow::guideHtml().contains(QString::fromLatin1(part)), part);
    }

    void downloadingPurchasedDataInstallsTheInbox() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QCOMPARE(w.analysisPanel()->siteCombo()->count(), 0);
        // A delivered data file waits in the supplier's inbox.
        const long wmo = f.s->stations().stations().front().wmo;
        std::filesystem::create_directories(f.tmp / "supplier/inbox");
        test::StationFileBuilder b((f.tmp / "supplier/inbox" / (std::to_string(wmo) + ".dat")).string(), wmo);
        b.addTwiceDaily(core::makeDate(2015, 1, 1), core::makeDate(2015, 12, 31));
        b.write();
        w.menuEntry("mnuCheckForDataUpdates")->trigger();
        QVERIFY(std::filesystem::exists(test::StationFileBuilder::pathFor(f.tmp.dir(), wmo)));
        QCOMPARE(w.analysisPanel()->siteCombo()->count(), 1);
        QCOMPARE(w.mapWidget()->scene().dataSites.size(), std::size_t(1));
        QVERIFY(w.stationCountText().endsWith(", 1 with data on this computer"));
    }

    void savingTheMainPageAsABitmap() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.showPage(true);
        gui::MapWidget* map = w.mapWidget();
        move(map, QPoint(map->width() / 2, map->height() / 2));
        QVERIFY(!map->tipText().isEmpty());
        test::writeFile(f.tmp / "taken.bmp", "x");
        f.prompter.answer("taken").answer("my page.");
        w.menuEntry("mnuSaveBitmap")->trigger();
        QCOMPARE(f.prompter.prompts.at(0), std::string("What filename do you want to save the Page as?"));
        QCOMPARE(f.prompter.messages.at(0), std::string("A file with this name exists, try again: taken.bmp"));
        QImage saved(QString::fromStdString((f.tmp / "my page.bmp").string()));
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), w.size());
        QVERIFY(!map->tipText().isEmpty());  // back after the capture
        f.prompter.cancel();  // an empty answer saves nothing
        w.menuEntry("mnuSaveBitmap")->trigger();
        QVERIFY(f.prompter.allAnswersUsed());
    }

    void pointerMovesTheCircleAndClicksFreezeAndUnfreezeIt() {
        Fixture f;
        QVERIFY(f.s->stations().stations().size() > 100);
        gui::MainWindow w(*f.s);
        w.showPage(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::MapWidget* map = w.mapWidget();
        const auto& st = f.s->stations().stations().front();
        // Away from the station's tip, a little north-east of it.
        QPoint near = pixelOf(map, st.lat + 0.4, st.lon + 0.4) + QPoint(12, -12);
        move(map, near);
        QVERIFY(w.mapModel().circle().visible);
        QVERIFY(!w.tlatText().isEmpty());
        QVERIFY(w.mapModel().nearestStation().has_value());

        QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, near);
        QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, near);
        QVERIFY(w.mapModel().circle().frozen);
        auto* ifo = w.orderPanel()->ifo();
        QCOMPARE(ifo->text(), QStringLiteral("White circle is now frozen. RIGHT CLICK on map to Unfreeze it."));
        QVERIFY(ifo->styleSheet().contains("255, 0, 0"));
        QVERIFY(w.orderPanel()->clearLeftListButton()->isVisibleTo(&w));
        QVERIFY(w.orderPanel()->nlabel()->text().contains(" Sites in 200 mile diameter white circle"));
        QCOMPARE(static_cast<std::size_t>(w.orderPanel()->nearList()->count()), w.mapModel().nearList().size());
        QString frozenLat = w.tlatText();
        move(map, near + QPoint(40, 30));
        QCOMPARE(w.tlatText(), frozenLat);  // frozen: the pointer no longer moves it

        QTest::mousePress(map, Qt::RightButton, Qt::NoModifier, near + QPoint(40, 30));
        QTest::mouseRelease(map, Qt::RightButton, Qt::NoModifier, near + QPoint(40, 30));
        QVERIFY(!w.mapModel().circle().frozen);
        move(map, near + QPoint(60, 30));
        QVERIFY(w.tlatText() != frozenLat);
    }

    void fifteenNearestAndTheOrderList() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.showPage(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.prompter.answer("99").answer("42.75").answer("-73.8");
        QTest::mouseClick(w.findChild<QPushButton*>("closest"), Qt::LeftButton);
        QCOMPARE(f.prompter.lastMessage(), std::string("Please enter data in the correct range."));
        QCOMPARE(w.orderPanel()->nearList()->count(), 15);
        QVERIFY(w.orderPanel()->nlabel()->text().startsWith("Nearest 15 Sites to coordinates 42.75"));
        QVERIFY(w.mapModel().circle().frozen);

        gui::SiteListWidget* nearList = w.orderPanel()->nearList();
        nearList->item(0)->setSelected(true);
        nearList->item(1)->setSelected(true);
        QTest::mouseClick(w.findChild<QPushButton*>("transfer"), Qt::LeftButton);
        QCOMPARE(w.orderPanel()->orderList()->count(), 2);
        QCOMPARE(ordering::loadOrderList(f.tmp.dir()).size(), std::size_t(2));
        QVERIFY(!w.orderPanel()->addToOrder(gui::SiteListWidget::lineOf(nearList->item(0))));  // once per station
        QCOMPARE(w.mapWidget()->scene().orderSites.size(), std::size_t(2));

        // Pressing a line moves the circle onto its station and describes it on the clipboard.
        std::string line = gui::SiteListWidget::lineOf(nearList->item(3));
        auto site = display::SiteLine::parse(line);
        QTest::mouseClick(nearList->viewport(), Qt::LeftButton, Qt::NoModifier,
                          nearList->visualItemRect(nearList->item(3)).center());
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QString::fromStdString(site->label())));
        QVERIFY(std::abs(w.mapModel().circle().centreLat() - site->lat()) < 1e-9);
        QVERIFY(std::abs(w.mapModel().circle().centreLon() - site->lon()) < 1e-9);

        w.orderPanel()->orderList()->item(0)->setSelected(true);
        QTest::mouseClick(w.findChild<QPushButton*>("clearitems"), Qt::LeftButton);
        QCOMPARE(w.orderPanel()->orderList()->count(), 1);
        QTest::mouseClick(w.findChild<QPushButton*>("clearall"), Qt::LeftButton);
        QCOMPARE(w.orderPanel()->orderList()->count(), 0);
        QVERIFY(!std::filesystem::exists(f.tmp / "OrderList.bin"));

        QTest::mouseClick(w.findChild<QPushButton*>("ClearLeftList"), Qt::LeftButton);
        QCOMPARE(nearList->count(), 0);
        QVERIFY(!w.mapModel().circle().frozen);
        QCOMPARE(w.orderPanel()->ifo()->text().toStdString(), std::string(display::kIfoFirstText));
    }

    void requestForQuotationGoesThroughTheYearsWindow() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.showPage(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.prompter.answer("42.75").answer("-73.8");
        QTest::mouseClick(w.findChild<QPushButton*>("closest"), Qt::LeftButton);
        QVERIFY(w.orderPanel()->addToOrder(gui::SiteListWidget::lineOf(w.orderPanel()->nearList()->item(0))));
        QString shown;
        QTimer::singleShot(100, [&] {
            auto* years = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!years) return;
            shown = years->objectName();
            QVERIFY(test::saveScreenshot(*years, "years-window.png"));
            for (auto* b : years->findChildren<QPushButton*>())
                if (b->text() == "Continue") b->click();
        });
        std::filesystem::create_directories(f.tmp / "supplier/USAGE");  // the supplier's upload folder
        f.prompter.answer("Jane Doe, wind farm survey").answer("no address").answer("jane@example.org");
        QTest::mouseClick(w.findChild<QPushButton*>("ExportOrder"), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("Years"));
        QVERIFY(std::find(f.prompter.messages.begin(), f.prompter.messages.end(),
                          "Invalid email address please try again") != f.prompter.messages.end());
        QCOMPARE(f.s->settings().get("Email"), std::string("jane@example.org"));
        QVERIFY(f.prompter.lastMessage().find("You will soon receive a quote by email to jane@example.org") == 0);
    }

    void escStopsLongWorkAndTheWindowRepaintsMeanwhile() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::GuiProgress& progress = w.progress();
        progress.begin(QStringLiteral("          Test site\\n          Please wait retrieving data!"));
        QVERIFY(w.waitLabel()->isVisible());
        int paints = 0;
        struct Counter : QObject {
            int* n;
            explicit Counter(int* c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++*n;
                return false;
            }
        } counter(&paints);
        w.mapWidget()->installEventFilter(&counter);
        w.mapWidget()->update();
        QTimer::singleShot(50, [&] { QTest::keyClick(&w, Qt::Key_Escape); });
        QElapsedTimer t;
        t.start();
        int steps = 0;
        while (!progress.cancelRequested() && t.elapsed() < 5000) {
            progress.step(++steps, 1000000, {});
            QThread::usleep(200);
        }
        QVERIFY(progress.cancelRequested());
        QVERIFY(paints > 0);
        progress.end();
        QVERIFY(!w.waitLabel()->isVisible());
    }

    void analysesOfAnEarlierCalculationAreRecalculatedOnceTheWindowIsUp() {
        test::AlbanyFolder f;
        long long key = 0;
        double potKW = 0;
        {
            session::PowerPage page(*f.s);
            QVERIFY(page.chooseGenerator(power::GeneratorStore(f.s->mainDb().db()).first()->name));
            page.site().setSiteString(page.site().siteEntryText(test::kTestAlbany));
            QCOMPARE(page.site().reanalyseSite(true), session::AnalysisOutcome::Analysed);
            key = page.lastSavedKey();
            QVERIFY(key != 0);
            potKW = analysis::AnalysisStore(f.s->mainDb().db()).load(key)->result(analysis::PotkW);
        }
        f.s->mainDb().db().exec("UPDATE datapoints SET PotkW = -1");
        f.s->settings().set("ReCalcLevel", "6");

        gui::MainWindow w(*f.s);
        QCOMPARE(f.s->settings().get("ReCalcLevel"), std::string("6"));
        QVERIFY(f.prompter.questions.empty());
        f.prompter.yes();
        w.show();
        QTRY_COMPARE(f.s->settings().get("ReCalcLevel"), std::string("7"));
        QCOMPARE(f.prompter.questions.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(f.prompter.questions[0]).startsWith(
            QStringLiteral("We are sorry but a program revision has been made that necessitates the recalculation of "
                           "all your 1 analysis.")));
        QCOMPARE(analysis::AnalysisStore(f.s->mainDb().db()).load(key)->result(analysis::PotkW), potKW);
        QVERIFY(w.progress().steps() > 0);
        QVERIFY(!w.waitLabel()->isVisible());
        // The pages show the analysis the recalculation left loaded.
        QCOMPARE(w.siteAnalysis().currentWmo(), test::kTestAlbany);
        QVERIFY(w.summaryText().contains(QStringLiteral("soundings")));

        // A new window on the same folder asks nothing.
        gui::MainWindow again(*f.s);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCoreApplication::processEvents();
        QCOMPARE(f.prompter.questions.size(), std::size_t(1));
    }

    void screenshotsOfBothPages() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::MapWidget* map = w.mapWidget();
        const auto& st = f.s->stations().stations()[f.s->stations().stations().size() / 3];
        move(map, pixelOf(map, st.lat, st.lon));
        QVERIFY(test::saveScreenshot(w, "main-analysis-page.png"));
        w.showPage(true);
        f.prompter.answer("51.5").answer("0.1");
        QTest::mouseClick(w.findChild<QPushButton*>("closest"), Qt::LeftButton);
        w.orderPanel()->addToOrder(gui::SiteListWidget::lineOf(w.orderPanel()->nearList()->item(0)));
        QVERIFY(test::saveScreenshot(w, "main-order-page.png"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

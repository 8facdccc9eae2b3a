#include <filesystem>
#include <fstream>

#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "../sounding/ImportTestText.h"
#include "StartedFolder.h"
#include "WindowTest.h"
#include "core/DatabaseFile.h"
#include "gui/AnalysisPanel.h"
#include "gui/GuiProgress.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/ImportControlFrame.h"
#include "gui/MainWindow.h"
#include "session/SoundingViewer.h"
#include "gui/OrderPanel.h"
#include "gui/SiteListWidget.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"

using namespace skyloom;
using test::FslLine;

namespace {

constexpr long kAlbany = test::kTestAlbany;
constexpr long kEzeiza = 87576;

std::string good(int day) { return test::goodSounding(day, kEzeiza); }
std::string needsReview(int day) { return test::soundingNeedingReview(day, kEzeiza); }

// What the window showed while a review waited, taken before the button was clicked.
struct SeenDuringReview {
    bool reviewing = false;
    bool buttonsShown = false;
    bool dockShown = false;
    bool beginEnabled = true;
    bool graphsWhole = false;  // no graph squeezed under its least height, Graph 2 in view
    QString cutLabel;  // a label too small for its text, if any
    QString stext, reason, graph2Caption, siteLabel, nsi, ndi, nsd, ndd;
    int soundingBeforeKey = -1, soundingAfterKey = -1;
};

struct Fixture : test::AlbanyFolder {
    Fixture() { std::filesystem::create_directories(tmp / "Text Data Files"); }
};

// When the review comes up: remember what is shown, optionally try to start other
// work, save a picture, then press the button (or close the window).
void answerReview(gui::MainWindow& w, SeenDuringReview& seen, QPushButton* (gui::ImportControlFrame::*button)() const,
                  const QString& screenshot = {}) {
    gui::ImportControlFrame* frame = w.importControl();
    QObject::connect(&frame->decider(), &gui::WindowReviewDecider::reviewShown, &w, [&w, &seen, frame, button,
                                                                                      screenshot] {
        QTimer::singleShot(30, &w, [&w, &seen, frame, button, screenshot] {
            seen.reviewing = frame->reviewing();
            seen.buttonsShown = frame->acceptButton()->isVisible() && frame->deleteButton()->isVisible();
            seen.dockShown = w.importDock()->isVisible();
            seen.beginEnabled = frame->beginButton()->isEnabled();
            seen.stext = frame->stext()->toPlainText();
            seen.reason = frame->reasonLabel()->text();
            seen.graph2Caption = QString::fromStdString(w.analysisPanel()->graph2()->model().caption);
            {
                QWidget* g1 = w.analysisPanel()->graph1();
                QWidget* g2 = w.analysisPanel()->graph2();
                seen.graphsWhole = g1->height() >= g1->minimumHeight() && g2->height() >= g2->minimumHeight() &&
                                   g2->visibleRegion().boundingRect().height() == g2->height();
                seen.cutLabel = test::cutLabel(w);
            }
            seen.nsi = frame->countText("Nsi");
            seen.ndi = frame->countText("Ndi");
            seen.nsd = frame->countText("Nsd");
            seen.ndd = frame->countText("Ndd");
            // A click on another site while the import waits starts nothing.
            auto* list = w.analysisPanel()->dataSitesList();
            if (list->count() > 0) {
                QRect r = list->visualItemRect(list->item(list->count() - 1));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
            }
            seen.siteLabel = w.analysisPanel()->siteLabel()->text();
            // Nor do the viewer keys: the shown sounding stays where it is.
            seen.soundingBeforeKey = w.viewer().currentSounding();
            QTest::keyClick(frame->acceptButton(), Qt::Key_Left);
            QTest::keyClick(&w, Qt::Key_Left);
            seen.soundingAfterKey = w.viewer().currentSounding();
            if (!screenshot.isEmpty()) {
                test::saveScreenshot(w, screenshot);
            }
            if (button) QTest::mouseClick((frame->*button)(), Qt::LeftButton);
            else w.close();
        });
    });
}

bool analyseAlbany(gui::MainWindow& w) { return test::pickStation(w, kAlbany); }

}  // namespace

class ImportReviewTest : public QObject {
    Q_OBJECT

private slots:
    void theFrameCarriesTheCriteriaWithTheirDefaultsAndTheCounters() {
        Fixture f;
        gui::MainWindow w(*f.s);
        gui::ImportControlFrame* frame = w.importControl();
        QCOMPARE(frame->title(), QStringLiteral("Import Control"));
        QCOMPARE(frame->laltField()->text(), QStringLiteral("250"));
        QCOMPARE(frame->maltField()->text(), QStringLiteral("500"));
        QCOMPARE(frame->difGndField()->text(), QStringLiteral("30"));
        QCOMPARE(frame->dif500Field()->text(), QStringLiteral("20"));
        QStringList labels;
        for (QLabel* l : frame->findChildren<QLabel*>()) labels << l->text();
        for (const char* text : {"First Wind Info Review Criteria",
                                 "Auto accept and extrapolate to GND if first wind below this (feet AGL):",
                                 "All first winds between these two altitudes will always come up for human review",
                                 "Auto delete whole sounding if first wind above this (feet AGL):",
                                 "Max 0-500 feet wind dif allowed before review (knts):",
                                 "Max 500 foot change wind dif allowed before review:", "Num soundings imported:",
                                 "Num data points imported:", "Num soundings discarded:",
                                 "Num data points discarded:"})
            QVERIFY2(labels.contains(QString::fromLatin1(text)), text);
        QCOMPARE(frame->acceptButton()->text(), QStringLiteral("Accept Sounding"));
        QCOMPARE(frame->deleteButton()->text(), QStringLiteral("Delete Sounding"));
        QCOMPARE(frame->beginButton()->text(), QStringLiteral("Begin"));
        QCOMPARE(frame->startButton()->text(), QStringLiteral("Start"));
        QCOMPARE(frame->countText("Nsi"), QStringLiteral("0"));
        QVERIFY(!frame->startButton()->isEnabled());   // no file chosen yet
        frame->maltField()->setText(QStringLiteral("600 ft"));
        frame->difGndField()->setText(QStringLiteral("12.5"));
        QCOMPARE(frame->criteria().malt, 600.0);
        QCOMPARE(frame->criteria().maltText, std::string("600 ft"));
        QCOMPARE(frame->criteria().difGnd, 12.5);
        QCOMPARE(w.menuEntry("mnuImportControl")->text(), QStringLiteral("Import Control"));
        QCOMPARE(w.analysisPanel()->dataSitesList()->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(w.orderPanel()->nearList()->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void acceptSoundingStoresTheReviewedSoundingAsAccepted() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(analyseAlbany(w));
        const QString albanyCaption = QString::fromStdString(w.analysisPanel()->graph2()->model().caption);
        const QString albanyLabel = w.analysisPanel()->siteLabel()->text();
        f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", good(2) + needsReview(4) + good(5)));
        SeenDuringReview seen;
        answerReview(w, seen, &gui::ImportControlFrame::acceptButton, "import-control-review.png");
        QVERIFY(w.importControl()->beginImport());

        QVERIFY(seen.reviewing);
        QVERIFY(seen.buttonsShown);
        QVERIFY(seen.dockShown);
        QVERIFY(seen.graphsWhole);
        QVERIFY2(seen.cutLabel.isEmpty(), qPrintable(seen.cutLabel));
        QVERIFY(!seen.beginEnabled);
        QVERIFY2(seen.stext.startsWith("    254      0      4      JAN    2019\n"), qPrintable(seen.stext));
        QCOMPARE(seen.stext.count('\n'), 11);   // header, three station and check lines, seven data lines
        QCOMPARE(seen.reason, QStringLiteral("The first wind lies between the two review altitudes."));
        QCOMPARE(seen.graph2Caption, QStringLiteral("The above is the Radiosonde Sounding for Jan 4, 2019 00:00"));
        QCOMPARE(seen.siteLabel, albanyLabel);   // the click on the list started nothing
        QCOMPARE(seen.soundingAfterKey, seen.soundingBeforeKey);
        QCOMPARE(seen.nsi, QStringLiteral("1"));
        QCOMPARE(seen.ndi, QStringLiteral("7"));
        QCOMPARE(seen.nsd, QStringLiteral("0"));

        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 3);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings WHERE Date = '2019-01-04'"), 1);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM deleted"), 0);
        gui::ImportControlFrame* frame = w.importControl();
        QCOMPARE(frame->countText("Nsi"), QStringLiteral("3"));
        QCOMPARE(frame->countText("Ndi"), QStringLiteral("21"));
        QCOMPARE(frame->countText("Nsd"), QStringLiteral("0"));
        QCOMPARE(frame->countText("Ndd"), QStringLiteral("0"));
        QVERIFY(!frame->reviewing());
        QVERIFY(!frame->acceptButton()->isVisible());
        QVERIFY(frame->startButton()->isEnabled());
        QCOMPARE(f.prompter.lastMessage(),
                 std::string(" Added 3 unique soundings from Wednesday Jan-02-2019 to Saturday Jan-05-2019 with 21 "
                             "data points."));
        // The analysed site's sounding is drawn again, and the new station is listed.
        QCOMPARE(QString::fromStdString(w.analysisPanel()->graph2()->model().caption), albanyCaption);
        QVERIFY(w.analysisPanel()->siteCombo()->findData(static_cast<qlonglong>(kEzeiza)) >= 0);
        QVERIFY(!w.progress().running());
        // Station files changed: the next analysis reads its file again.
        QVERIFY(!w.siteAnalysis().loadedSetKey().loaded);
        const int reads = w.siteAnalysis().fileReads();
        QVERIFY(analyseAlbany(w));
        QCOMPARE(w.siteAnalysis().fileReads(), reads + 1);
    }

    void deleteSoundingStoresItAsRejectedWithItsText() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // A window at its least height: the graph column is scrolled to Graph 2.
        w.resize(w.width(), 100);
        f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", good(2) + needsReview(4) + good(5)));
        SeenDuringReview seen;
        answerReview(w, seen, &gui::ImportControlFrame::deleteButton);
        QVERIFY(w.importControl()->beginImport());
        QVERIFY(seen.reviewing);
        QVERIFY(seen.graphsWhole);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 2);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings WHERE Date = '2019-01-04'"), 0);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM deleted WHERE Date = '2019-01-04'"), 1);
        // No finding of the checks: the first wind lay between Lalt and Malt.
        QCOMPARE(f.textOf(kEzeiza, "SELECT Reason FROM deleted"), std::string(" User reviewed and deleted it."));
        QCOMPARE(QString::fromStdString(f.textOf(kEzeiza, "SELECT sounding FROM deleted")).replace("\r\n", "\n"), seen.stext);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT numdpdeleted FROM deleted"), 7);
        gui::ImportControlFrame* frame = w.importControl();
        QCOMPARE(frame->countText("Nsi"), QStringLiteral("2"));
        QCOMPARE(frame->countText("Ndi"), QStringLiteral("14"));
        QCOMPARE(frame->countText("Nsd"), QStringLiteral("1"));
        QCOMPARE(frame->countText("Ndd"), QStringLiteral("7"));
    }

    void closingTheWindowDuringReviewLeavesTheFileAsItWas() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", good(2) + needsReview(4)));
        SeenDuringReview seen;
        answerReview(w, seen, nullptr);
        QVERIFY(!w.importControl()->beginImport());
        QVERIFY(seen.reviewing);
        QCOMPARE(seen.nsi, QStringLiteral("1"));
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 0);
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM deleted"), 0);
        QCOMPARE(w.importControl()->countText("Nsi"), QStringLiteral("0"));
        QVERIFY(f.prompter.messages.empty());
        QVERIFY(!w.progress().running());
        QVERIFY(!w.importControl()->importing());
    }

    void beginRefusesAFileThatNamesNoStation() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Neither the name nor the file (its station line taken out) names the station.
        f.prompter.file(f.writeTextFile("Ezeiza.txt", test::soundingWithoutStationLine(2, kEzeiza)));
        QTest::mouseClick(w.importControl()->beginButton(), Qt::LeftButton);
        QCOMPARE(f.prompter.messages, std::vector<std::string>{"Need WMO at start with space after it, rename it."});
        QVERIFY(!std::filesystem::exists(f.tmp / "data" / "87576.dat"));
        QVERIFY(!w.importControl()->startButton()->isEnabled());
        QVERIFY(f.prompter.allAnswersUsed());
    }

    void aRaisedMaltDeletesTheSoundingWithoutReview() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        int reviews = 0;
        connect(&w.importControl()->decider(), &gui::WindowReviewDecider::reviewShown, &w, [&] {
            ++reviews;
            QTimer::singleShot(0, &w, [&w] { w.importControl()->acceptButton()->click(); });
        });
        w.importControl()->maltField()->setText(QStringLiteral("200"));
        f.prompter.file(f.writeTextFile("87576 Ezeiza.txt", needsReview(4)));
        QTest::mouseClick(w.importControl()->beginButton(), Qt::LeftButton);
        QCOMPARE(reviews, 0);
        QCOMPARE(w.importControl()->countText("Nsd"), QStringLiteral("1"));
        QCOMPARE(f.prompter.lastMessage(), std::string("AFTER OUR REVIEW OF THE DATA, NO VALID SOUNDINGS WERE FOUND"));
    }

    void siteListImportAsksPerFileReviewsAndShowsKnots() {
        Fixture f;
        f.s->units = 0;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.showPage(true);
        f.writeTextFile("87576 a.txt", good(2) + needsReview(4));
        f.writeTextFile("87576 b.txt", good(5));
        f.prompter.yes().no();
        SeenDuringReview seen;
        answerReview(w, seen, &gui::ImportControlFrame::acceptButton);
        QVERIFY(w.importControl()->importStationTextFiles(kEzeiza));
        QVERIFY(seen.reviewing);
        QVERIFY(!w.orderPageShown());   // the review is drawn on the Analysis page's graphs
        QCOMPARE(f.prompter.questions,
                 (std::vector<std::string>{"Import this file? : 87576 a.txt", "Import this file? : 87576 b.txt"}));
        QCOMPARE(f.numberOf(kEzeiza, "SELECT count(*) FROM soundings"), 2);
        QCOMPARE(f.s->units, 1);
        QCOMPARE(w.analysisPanel()->graph1()->model().speedCaption, std::string("Wind Speed (knots)"));
        QCOMPARE(w.importControl()->countText("Nsi"), QStringLiteral("2"));
    }
};

QTEST_MAIN(ImportReviewTest)
#include "ImportReviewTest.moc"

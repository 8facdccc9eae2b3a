#include <cstdio>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <SQLiteCpp/SQLiteCpp.h>

#include "StartedFolder.h"
#include "WindowTest.h"
#include "core/MainDatabase.h"
#include "gui/AnalysisPanel.h"
#include "gui/MainWindow.h"
#include "gui/PageCapture.h"
#include "gui/PowerPageWindow.h"
#include "session/AnalysisCommands.h"
#include "session/PowerPage.h"

using namespace skyloom;

namespace {
constexpr long kAlbany = test::kTestAlbany;

// "Page size:      842 x 595 pts (A4)" from pdfinfo: true when wider than high.
std::optional<bool> pdfLandscape(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return std::nullopt;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (!out.contains(QRegularExpression("Pages:\\s+1\\b"))) return std::nullopt;
    const auto m = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+)").match(out);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toDouble() > m.captured(2).toDouble();
}
}  // namespace

class PageCaptureTest : public QObject {
    Q_OBJECT

    using Fixture = test::AlbanyFolder;

    // The main window with the station analysed and the Power Page open.
    struct Open : test::PowerPageShown {
        Open() { open(); }
        long long key() { return w.powerPage().lastSavedKey(); }
        int printCode() {
            SQLite::Statement q(f.s->mainDb().db(), "SELECT Print FROM datapoints WHERE key = ?");
            q.bind(1, static_cast<std::int64_t>(key()));
            return q.executeStep() ? q.getColumn(0).getInt() : -1;
        }
        long long rows() { return f.s->mainDb().db().execAndGet("SELECT count(*) FROM datapoints").getInt64(); }
        QString appDir() const { return QString::fromStdString(f.s->appDir()); }
    };

private slots:
    void initTestCase() { qputenv("SKYLOOM_PRINT_TO_PDF", "1"); }

    void printingEitherPageWritesAFittedPdfAndSavesTheAnalysisWithItsCode() {
        if (QProcess::execute("pdfinfo", {"-v"}) < 0) QSKIP("pdfinfo (Debian package poppler-utils) is not installed");
        Open o;
        QVERIFY(QTest::qWaitForWindowExposed(o.p));
        QVERIFY(o.key() != 0);
        const long long rows = o.rows();
        struct Case {
            int code;
            bool landscape;
            const char* base;
        };
        for (const Case c : {Case{1, true, "Main Page Analysis "}, Case{2, false, "Main Page Analysis "},
                             Case{11, true, "Power Page Analysis "}, Case{12, false, "Power Page Analysis "}}) {
            const bool done = c.code < 10 ? o.w.outputMainPage(c.code) : o.w.outputPowerPage(c.code);
            QVERIFY(done);
            const std::string said = o.f.prompter.messages.back();
            const std::string lead = "No printer is installed, so the page was printed to the file ";
            QVERIFY2(said.rfind(lead, 0) == 0, said.c_str());
            const QString pdf = QString::fromStdString(said.substr(lead.size()));
            QVERIFY2(QFileInfo(pdf).fileName().startsWith(QString::fromLatin1(c.base)), qPrintable(pdf));
            QCOMPARE(pdfLandscape(pdf), std::optional<bool>(c.landscape));
            QCOMPARE(o.printCode(), c.code);
            QCOMPARE(o.w.analyses().printTrigger, 0);
            QCOMPARE(o.rows(), rows);
            const QString kept = test::screenshotPath(QFileInfo(pdf).fileName());
            QFile::remove(kept);
            QVERIFY(QFile::copy(pdf, kept));
        }
        // A later print of the same analysis does not overwrite an earlier one.
        QDir dir(o.appDir());
        QCOMPARE(dir.entryList({"Power Page Analysis *.pdf"}).size(), 2);
        QVERIFY(o.w.outputPowerPage(11));
        QVERIFY(QString::fromStdString(o.f.prompter.messages.back()).endsWith(" (3).pdf"));
        const QStringList pdfs = dir.entryList({"Power Page Analysis *.pdf"});
        QCOMPARE(pdfs.size(), 3);
        // The picture rendered from the PDF is a real page.
        const QString png = QDir::tempPath() + "/skyloom-page-capture";
        QCOMPARE(QProcess::execute("pdftoppm", {"-png", "-r", "30", "-singlefile", dir.filePath(pdfs.front()), png}), 0);
        QImage page(png + ".png");
        QVERIFY(!page.isNull());
        QVERIFY(page.width() > 100);
    }

    void bitmapNamesFollowTheRulesAndACancelSavesNothing() {
        Open o;
        QVERIFY(QTest::qWaitForWindowExposed(o.p));
        // The proposed name carries the ID as the study grid shows it.
        const QString idText = QString::number(o.w.analyses().currentAnalysisId);

        o.f.prompter.answer("Ridge view.");
        QVERIFY(o.w.outputPowerPage(15));
        QCOMPARE(QString::fromStdString(o.f.prompter.defaults.back()), "Power Page Analysis " + idText + ".bmp");
        const QString file = QDir(o.appDir()).filePath("Ridge view.bmp");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("BM"));
        f.close();
        QImage image(file, "BMP");
        QCOMPARE(image.size(), o.p->size());
        QCOMPARE(o.printCode(), 15);
        QFile::remove(test::screenshotPath("power-page-capture.bmp"));
        QVERIFY(QFile::copy(file, test::screenshotPath("power-page-capture.bmp")));

        // An existing name is refused and asked again; ".BMP" in any case is kept.
        o.f.prompter.answer("Ridge view").answer("Main.Bmp");
        QVERIFY(o.w.outputMainPage(5));
        QCOMPARE(QString::fromStdString(o.f.prompter.messages.back()),
                 QStringLiteral("A file with this name exists, try again: Ridge view.bmp"));
        QVERIFY(QFileInfo::exists(QDir(o.appDir()).filePath("Main.Bmp")));
        QCOMPARE(QImage(QDir(o.appDir()).filePath("Main.Bmp"), "BMP").size(), o.w.size());
        QCOMPARE(o.printCode(), 5);
        QFile::remove(test::screenshotPath("main-page-capture.bmp"));
        QVERIFY(QFile::copy(QDir(o.appDir()).filePath("Main.Bmp"), test::screenshotPath("main-page-capture.bmp")));

        // Cancelled: no file and no save.
        o.f.prompter.cancel();
        QVERIFY(!o.w.outputPowerPage(15));
        QCOMPARE(o.printCode(), 5);
    }

    void theClipboardGetsThePageAndTheEditButtonsNeverShow() {
        Open o;
        QVERIFY(QTest::qWaitForWindowExposed(o.p));
        QVERIFY(o.w.outputPowerPage(13));
        QCOMPARE(o.printCode(), 13);
        QCOMPARE(QApplication::clipboard()->image().size(), o.p->size());

        // The capture leaves the place of every edit button as bare background,
        // and the buttons come back afterwards.
        const QImage seen = o.p->grab().toImage();
        gui::CapturedPage page;
        page.window = o.p;
        page.editButtons = o.p->editButtons();
        const QImage captured = gui::capturePage(page).toImage();
        QCOMPARE(captured.size(), seen.size());
        QCOMPARE(page.editButtons.size(), 5);
        for (QWidget* b : page.editButtons) {
            QVERIFY(b->isVisible());
            const QRect r(b->mapTo(o.p, QPoint(0, 0)), b->size());
            const QImage before = seen.copy(r), after = captured.copy(r);
            QVERIFY2(before != after, qPrintable(b->objectName()));
            const QRgb background = after.pixel(r.width() / 2, r.height() / 2);
            for (int x = 2; x < r.width() - 2; x += 3)
                QCOMPARE(after.pixel(x, r.height() / 2), background);
        }
        // The Main Page hides its study buttons the same way, keeping their place.
        o.w.showStudyPanel(true);
        QTest::qWait(50);
        QWidget* buttons = o.w.findChild<QWidget*>("ButtonsF");
        QVERIFY(buttons);
        QVERIFY(buttons->isVisible());
        const QRect r(buttons->mapTo(&o.w, QPoint(0, 0)), buttons->size());
        const QImage main = o.w.grab().toImage();
        gui::CapturedPage mainPage;
        mainPage.window = &o.w;
        mainPage.editButtons = {buttons};
        const QImage mainCaptured = gui::capturePage(mainPage).toImage();
        QVERIFY(main.copy(r) != mainCaptured.copy(r));
        QCOMPARE(buttons->mapTo(&o.w, QPoint(0, 0)), r.topLeft());
        QVERIFY(buttons->isVisible());
    }

    void aShortWindowCapturesItsWholeGraphColumnAndItsKeysNeverScrollIt() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(test::pickStation(w, kAlbany));
        w.resize(w.width(), 560);   // held at the window's least height
        QCoreApplication::processEvents();
        auto* scroll = w.findChild<QScrollArea*>("GraphScroll");
        QVERIFY(scroll);
        QWidget* column = w.analysisPanel()->graphsArea();
        const int hidden = column->height() - scroll->viewport()->height();
        QVERIFY2(hidden > 0, qPrintable(QString::number(hidden)));

        // A key a button leaves alone climbs to the column and is dropped there.
        scroll->verticalScrollBar()->setValue(0);
        for (Qt::Key k : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End})
            QTest::keyClick(w.findChild<QPushButton*>("PowerBut"), k);
        QCOMPARE(scroll->verticalScrollBar()->value(), 0);

        // The picture is the window with the column whole: taller by what was out of view.
        QVERIFY(w.outputMainPage(3));
        const QImage picture = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(w.width(), w.height() + hidden));
        const QRect place(scroll->mapTo(&w, QPoint(0, 0)), column->size());
        QCOMPARE(picture.copy(place), column->grab().toImage().convertToFormat(QImage::Format_RGB32));
        // Above the column the window is as shown (the map beside it loses its white dot).
        const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect top(place.left(), 0, place.width(), place.top());
        QCOMPARE(picture.copy(top), shown.copy(top));
    }
};

QTEST_MAIN(PageCaptureTest)
#include "PageCaptureTest.moc"

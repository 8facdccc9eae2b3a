#include <filesystem>

#include <QAction>
#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include "StartedFolder.h"
#include "TempFolder.h"
#include "WindowTest.h"
#include "core/Prompter.h"
#include "gui/MainWindow.h"
#include "gui/PowerPageWindow.h"
#include "gui/WindResourceRenderer.h"
#include "gui/WindResourceWindow.h"
#include "session/PowerPage.h"
#include "session/Session.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {
constexpr long kAlbany = 72518;

// Pixels of one colour inside a rectangle of a picture.
int pixelsOf(const QImage& image, const QRectF& area, const QColor& colour) {
    int n = 0;
    const QRect r = area.toAlignedRect().intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb()) ++n;
    return n;
}
}  // namespace

class WindResourceWindowTest : public QObject {
    Q_OBJECT

    // A program folder with Albany's soundings of 1990 from the real sample.
    struct Fixture : test::StartedFolder {
        Fixture() {
            core::SilentPrompter quiet;
            sounding::ImportOptions options;
            options.mainDb = &s->mainDb();
            sounding::importFile(tmp.dir(), test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl").string(), options,
                                 quiet, kAlbany);
            s->reloadStationIndex();
        }
    };

    // Albany analysed on the Main Page and the window opened from the Tools menu.
    struct Shown {
        Fixture f;
        gui::MainWindow w{*f.s};
        gui::WindResourceWindow* window = nullptr;
        bool open() {
            w.show();
            if (!QTest::qWaitForWindowExposed(&w) || !test::pickStation(w, kAlbany)) return false;
            QAction* entry = w.menuEntry("mnuWindResource");
            if (!entry || entry->text() != QStringLiteral("Wind Resource")) return false;
            entry->trigger();
            window = w.findChild<gui::WindResourceWindow*>();
            return window && QTest::qWaitForWindowExposed(window);
        }
    };

private slots:
    void opensOnTheAnalysedSiteAndFollowsTheHeight() {
        Shown s;
        QVERIFY(s.open());
        const auto& run = s.window->run();
        QCOMPARE(run.heading.wmo, kAlbany);
        QVERIFY2(run.resource.computed, run.resource.message.c_str());
        QVERIFY(run.resource.soundings > 600);
        QCOMPARE(s.window->heightFeet(), s.w.powerPage().heightFeet());
        QVERIFY(QString::fromStdString(s.window->graphs().title).startsWith("Wind resource of "));

        // The height of interest picked on the Power Page is followed.
        gui::PowerPageWindow* p = s.w.openPowerPage();
        s.f.prompter.answer("1000f");
        QVERIFY(p->clickField("Llookheight"));
        QCOMPARE(s.w.powerPage().heightFeet(), 1000.0);
        QCOMPARE(s.window->heightFeet(), 1000.0);
        QCOMPARE(s.window->run().resource.heightFeet, 1000.0);
        QVERIFY(QString::fromStdString(s.window->graphs().title).contains(" at 1000 feet, "));

        // Its own height: out of range is refused and asked again; then it stays
        // until the height of interest changes again.
        s.f.prompter.answer("6000").answer("2500");
        s.window->button("ResourceHeight")->click();
        QCOMPARE(s.f.prompter.lastMessage(), std::string("The height must lie between the ground and 5000 feet (1524 meters)."));
        QCOMPARE(s.window->heightFeet(), 2500.0);
        QVERIFY(s.window->button("ResourceHeight")->text().contains("2500 feet"));
        QVERIFY(s.f.prompter.allAnswersUsed());
        s.w.analysisPanel()->recalculate();
        QCOMPARE(s.window->heightFeet(), 2500.0);

        // The units of the program are followed.
        s.f.s->setUnits(1);
        QCOMPARE(s.window->run().resource.units.speedUnit(), std::string_view("knots"));
        // The Power Page's button opens it at the height of interest.
        p->button("WindResourceBut")->click();
        QCOMPARE(s.window->heightFeet(), 1000.0);
        QVERIFY(test::saveScreenshot(*s.window, "wind-resource-albany-1990.png"));
    }

    void itsPictureShowsTheRoseTheHistogramAndTheTable() {
        Shown s;
        QVERIFY(s.open());
        s.window->showAt(1000);
        const QImage image = s.window->picture().toImage();
        QVERIFY(!image.isNull());
        gui::WindResourceCanvas* canvas = s.window->canvas();
        const QPoint at = canvas->mapTo(s.window, QPoint(0, 0));
        const QRectF drawn = QRectF(canvas->rect()).adjusted(6, 4, -6, -6).translated(at);
        const auto layout = gui::WindResourceRenderer::layout(drawn, QFontMetricsF(canvas->font()).height());
        QVERIFY(pixelsOf(image, layout.rose, gui::WindResourceRenderer::roseFill()) > 500);
        QVERIFY(pixelsOf(image, layout.histogram, gui::WindResourceRenderer::barFill()) > 500);
        QVERIFY(pixelsOf(image, layout.table, gui::WindResourceRenderer::tableHeaderFill()) > 200);
        // Each part in its own place: no rose in the histogram, no bars in the rose.
        QCOMPARE(pixelsOf(image, layout.histogram, gui::WindResourceRenderer::roseFill()), 0);
        QCOMPARE(pixelsOf(image, layout.rose, gui::WindResourceRenderer::barFill()), 0);
        // The buttons stay out of the picture.
        QCOMPARE(image.size(), s.window->size());
        QVERIFY(s.window->button("ResourcePrint")->isVisible());
        QPushButton* print = s.window->button("ResourcePrint");
        QCOMPARE(image.pixelColor(print->mapTo(s.window, print->rect().center())), s.window->palette().window().color());

        // Saved as a picture in the program folder, under the name asked for.
        s.f.prompter.answer("albany resource");
        QVERIFY(s.window->savePicture());
        QImage saved(QString::fromStdString(s.f.tmp.dir() + "albany resource.bmp"));
        QCOMPARE(saved.size(), image.size());

        // Printed to a PDF file when no printer is there.
        qputenv("SKYLOOM_PRINT_TO_PDF", "1");
        QVERIFY(s.window->print(true));
        qunsetenv("SKYLOOM_PRINT_TO_PDF");
        QVERIFY(s.f.prompter.lastMessage().find("printed to the file") != std::string::npos);
        QVERIFY(std::filesystem::exists(s.f.tmp.dir() + "Wind Resource 72518 1000 feet.pdf"));
    }

    void itsFiguresReadBackWholeWithPythonsCsvModule() {
        const QString python = QStandardPaths::findExecutable("python3");
        if (python.isEmpty()) QSKIP("python3 is not installed");
        Shown s;
        QVERIFY(s.open());
        s.window->showAt(1000);
        const std::string path = s.f.tmp.dir() + "albany, \"1990\".csv";
        s.f.prompter.file(path);
        QVERIFY(s.window->saveCsv());
        for (const auto& entry : std::filesystem::directory_iterator(s.f.tmp.path()))
            QVERIFY2(entry.path().string().find(".csv.part") == std::string::npos, entry.path().c_str());
        const std::string text = test::readFile(path);
        QVERIFY(text.find("nan") == std::string::npos);
        const auto& r = s.window->run().resource;
        // Every line a row; numbers read as numbers, texts quoted; the blocks where they belong.
        const QString script = QStringLiteral(
            "import csv,sys\n"
            "text=open(sys.argv[1],newline='').read()\n"
            "rows=list(csv.reader(open(sys.argv[1],newline=''),quoting=csv.QUOTE_NONNUMERIC))\n"
            "assert len(rows)==text.count('\\r\\n'), (len(rows), text.count('\\r\\n'))\n"
            "assert rows[0][0]=='Wind resource' and rows[1]==['Station',72518.0], rows[:2]\n"
            "i=[r[:1] for r in rows].index(['Rose sector'])\n"
            "assert [r[0] for r in rows[i+1:i+13]]==[30.0*k for k in range(12)]\n"
            "assert abs(sum(r[1] for r in rows[i+1:i+13])-100)<0.01\n"
            "j=[r[:1] for r in rows].index(['Year'])\n"
            "assert rows[j+1][0]==1990.0 and rows[j+1][3] in ('yes','no')\n"
            "k=[r[:1] for r in rows].index(['Figure'])\n"
            "f={r[0]:r[1] for r in rows[k+1:] if len(r)>=2 and isinstance(r[0],str)}\n"
            "print(len(rows), f['Weibull shape, maximum likelihood'], f['Calm share'])\n");
        QProcess py;
        py.start(python, {"-c", script, QString::fromStdString(path)});
        QVERIFY(py.waitForFinished(30000));
        const QString out = QString::fromUtf8(py.readAllStandardOutput()).trimmed();
        QVERIFY2(py.exitCode() == 0, qPrintable(QString::fromUtf8(py.readAllStandardError())));
        const QStringList figures = out.split(' ');
        QCOMPARE(figures.size(), 3);
        QVERIFY(std::fabs(figures[1].toDouble() - r.maximumLikelihood->shape) < 1e-4);
        QVERIFY(std::fabs(figures[2].toDouble() - r.calmShare) < 1e-3);

        // A cancelled choice writes nothing.
        s.f.prompter.noFile();
        QVERIFY(!s.window->saveCsv());
    }
};

QTEST_MAIN(WindResourceWindowTest)
#include "WindResourceWindowTest.moc"

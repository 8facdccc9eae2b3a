// Both pages, the Order Data page and the Import Control frame on the commonest
// laptop screen and a larger one: every control inside the window, no label cut,
// no two controls over each other.
#include <QDockWidget>
#include <QScrollArea>
#include <QtTest>

#include "WindowTest.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/ImportControlFrame.h"

using namespace skyloom;

class ScreenFitTest : public QObject {
    Q_OBJECT

    // The window's inside on a screen of this size, less a title bar and a panel.
    static QSize inside(QSize screen) { return screen - QSize(0, 60); }

    static void fits(QWidget& window, const QString& what) {
        // The layout settles in two passes: the rows, then the map's share of them.
        for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
        const QString problem = test::layoutProblem(window);
        QVERIFY2(problem.isEmpty(), qPrintable(what + ": " + problem));
    }

private slots:
    void bothPagesAndTheirFramesFitALaptopScreen_data() {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("1366x768") << QSize(1366, 768);
        QTest::newRow("1600x900") << QSize(1600, 900);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
    }
    void bothPagesAndTheirFramesFitALaptopScreen() {
        QFETCH(QSize, screen);
        const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        w.resize(inside(screen));
        fits(w, "Analysis page at " + size);
        QVERIFY(test::saveScreenshot(w, "fit-analysis-" + size + ".png"));

        w.showPage(true);
        fits(w, "Order Data page at " + size);
        QVERIFY(test::saveScreenshot(w, "fit-order-" + size + ".png"));
        w.showPage(false);

        w.importDock()->show();
        QCoreApplication::processEvents();
        fits(w, "Import Control frame at " + size);
        // Graph 2 keeps its room: its height labels never print over each other.
        gui::Graph2Widget* g2 = w.analysisPanel()->graph2();
        QVERIFY2(g2->height() >= g2->minimumHeight(), qPrintable(size));
        QVERIFY(test::saveScreenshot(w, "fit-import-" + size + ".png"));
        w.importDock()->hide();

        // The Power Page fits the screen; what does not fit beside scrolls under.
        p->resize(inside(screen));
        QCoreApplication::processEvents();
        fits(*p, "Power Page at " + size);
        if (screen.width() <= 1366) QVERIFY(!p->graphsBesideFigures());
        if (screen.width() >= 1920) QVERIFY(p->graphsBesideFigures());
        auto* scroll = p->findChild<QScrollArea*>("PowerScroll");
        QVERIFY(scroll);
        fits(*scroll->widget(), "Power Page contents at " + size);
        QVERIFY(test::saveScreenshot(*scroll->widget(), "fit-power-" + size + ".png"));
    }
};

QTEST_MAIN(ScreenFitTest)
#include "ScreenFitTest.moc"

// A change of the unit mode while both pages are open: every figure and caption
// of the Power Page, its graphs and a picture taken afterwards follow at once.
#include <cmath>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QtTest>

#include "WindowTest.h"
#include "core/Rounding.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/PowerGraphWidgets.h"
#include "gui/SettingsDialog.h"
#include "session/GeneratorCommands.h"
#include "session/PowerPage.h"
#include "sounding/Units.h"

using namespace skyloom;

class UnitsChangeTest : public QObject {
    Q_OBJECT

    static QString text(gui::PowerPageWindow* p, const QString& name) {
        QLabel* l = p->field(name);
        return l ? l->text() : QStringLiteral("<no field %1>").arg(name);
    }
    static QString one(double v) { return QString::number(v, 'f', 1); }

    // Every numeric field and caption of the page in the unit mode `u`, from the stored generator.
    static void checkPage(gui::PowerPageWindow* p, gui::MainWindow& w, sounding::UnitMode mode) {
        const sounding::Units u(mode);
        const power::GeneratorRecord& g = *w.powerPage().generator();
        const QString speed = QString::fromUtf8(std::string(u.speedUnit()));
        const QString length = QString::fromUtf8(std::string(u.lengthUnit()));
        QCOMPARE(text(p, "SpeedHeading"), "Speed (" + speed + ")");
        QCOMPARE(text(p, "CutOutHeading"), "Cut-out (" + speed + ")");
        QCOMPARE(text(p, "HubHeightHeading"), "Hub height (" + length + ")");
        QCOMPARE(text(p, "LlookheightHeading"), "Analysis height (" + length + ")");
        QCOMPARE(text(p, "TemperatureHeading"),
                 "Temperature (" + QString::fromUtf8(std::string(u.temperatureUnit())) + ")");
        auto shownSpeed = [&](double knots) { return one(core::roundHalfAwayFromZero(knots * u.speedFactor(), 2)); };
        QCOMPARE(text(p, "Speed0"), shownSpeed(g.cutInSpeed));
        for (int i = 1; i <= power::kCurvePoints; ++i)
            QCOMPARE(text(p, QStringLiteral("Speed%1").arg(i)), shownSpeed(g.points[static_cast<std::size_t>(i - 1)].speed));
        QCOMPARE(text(p, "HubHeight"), QString::number(u.metric() ? std::round(g.height / 3.281) : g.height, 'f', 0));
        const double celsius = g.temperature / 10.0;
        QCOMPARE(text(p, "Temperature"), one(u.metric() ? celsius : celsius * 9 / 5 + 32));
        QCOMPARE(text(p, "CutOut"), one(u.shownSpeed(g.cutOut)));
        QCOMPARE(text(p, "Llookheight"), one(u.lengthFromFeet(w.powerPage().heightFeet())));
        QVERIFY(text(p, "PowerAnalysisLab").contains(" " + length + " "));

        // The graphs speak the same units, and the cut-out mark shows the field's figure.
        const display::PowerCurveModel& curve = w.powerGraphs()->curveGraph()->model();
        QCOMPARE(QString::fromStdString(curve.xCaption), QString::fromUtf8(std::string(u.speedAxisCaption())));
        QCOMPARE(QString::fromStdString(curve.cutOutLabel), "Cut-out " + text(p, "CutOut") + " " + speed);
        QVERIFY(QString::fromStdString(w.powerGraphs()->outputGraph()->model().title).endsWith(" " + length));
        QVERIFY(QString::fromStdString(w.analysisPanel()->graph1()->model().title).contains(speed));
    }

    // Where a saved page picture shows this label, it shows what the page shows there now.
    static bool pictureShows(const QImage& picture, const QImage& page, gui::PowerPageWindow* p, const QString& name) {
        QLabel* l = p->field(name);
        const QRect at(l->mapTo(p, QPoint(0, 0)), l->size());
        return picture.copy(at).convertToFormat(QImage::Format_RGB32) ==
               page.copy(at).convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void everyFieldOfBothPagesFollowsAUnitsChangeAndSoDoesTheirPicture() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        QCOMPARE(f.s->units, 0);
        checkPage(p, w, sounding::UnitMode::Mph);

        for (int mode : {2, 1, 0}) {
            w.settingsDialog()->chooseUnits(mode);
            w.settingsDialog()->closeIt();
            QCOMPARE(f.s->units, mode);
            checkPage(p, w, static_cast<sounding::UnitMode>(mode));
            // Another generator keeps the units too.
            const int other = (p->generatorsDD()->currentIndex() + 1) % p->generatorsDD()->count();
            emit p->generatorsDD()->activated(other);
            checkPage(p, w, static_cast<sounding::UnitMode>(mode));
        }

        // After SI again, a picture of the page (what every print is made of) shows the new figures.
        w.settingsDialog()->chooseUnits(2);
        w.settingsDialog()->closeIt();
        QCoreApplication::processEvents();
        f.prompter.answer("units");
        QVERIFY(w.outputPowerPage(15));
        QImage picture(QDir(QString::fromStdString(f.s->appDir())).filePath("units.bmp"));
        QVERIFY(!picture.isNull());
        const QImage page = p->grab().toImage();
        QCOMPARE(picture.size(), page.size());
        for (const char* name : {"SpeedHeading", "Speed0", "Speed5", "HubHeight", "Temperature", "CutOut",
                                 "Llookheight", "HubHeightHeading"})
            QVERIFY2(pictureShows(picture, page, p, QString::fromUtf8(name)), name);
        QVERIFY(test::saveScreenshot(*p, "power-page-si.png"));
    }
};

QTEST_MAIN(UnitsChangeTest)
#include "UnitsChangeTest.moc"

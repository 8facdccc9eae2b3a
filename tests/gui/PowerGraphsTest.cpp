#include <cmath>
#include <filesystem>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "ScriptedPrompter.h"
#include "StartedFolder.h"
#include "WindowTest.h"
#include "TempFolder.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "gui/AnalysisPanel.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/MainWindow.h"
#include "gui/PowerGraphWidgets.h"
#include "gui/PowerPageWindow.h"
#include "power/EnergyInputs.h"
#include "power/GeneratorStore.h"
#include "power/PowerPageEnergy.h"
#include "session/GeneratorCommands.h"
#include "session/PowerPage.h"
#include "session/Session.h"
#include "sounding/SoundingImport.h"

using namespace skyloom;

namespace {
constexpr long kAlbany = 72518;

}  // namespace

class PowerGraphsTest : public QObject {
    Q_OBJECT

    // A program folder holding Albany's soundings of 1990 as imported from the real sample.
    struct Fixture : test::StartedFolder {
        Fixture() {
            std::filesystem::copy_file(test::sample("fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl"),
                                       tmp / "72518 alb.txt");
            core::SilentPrompter quiet;
            sounding::ImportOptions options;
            options.mainDb = &s->mainDb();
            auto result = sounding::importFile(tmp.dir(), (tmp / "72518 alb.txt").string(), options, quiet);
            if (result.added < 600) throw std::runtime_error(result.report);
            s->reloadStationIndex();
        }
    };

    static void analyse(gui::MainWindow& w) { QVERIFY(test::pickStation(w, kAlbany)); }

    // A use about the generator's mean output against a small store, so that the
    // store fills and empties and power is bought now and then.
    static void useAndStore(Fixture& f, session::PowerPage& page) {
        f.prompter.answer("0.25");
        QCOMPARE(page.editInput(power::EnergyField::Usage, f.prompter), power::InputOutcome::Changed);
        f.prompter.answer("0.05");
        QCOMPARE(page.editInput(power::EnergyField::BankSize, f.prompter), power::InputOutcome::Changed);
        QVERIFY(page.energy().computed());
    }

    // Albany 1990 analysed with that use and store, and the graphs panel drawn for it.
    struct Balanced {
        Fixture f;
        gui::MainWindow w{*f.s};
        session::PowerPage& page = w.powerPage();
        gui::PowerGraphsPanel panel;
        explicit Balanced(QSize size = {1000, 700}) {
            analyse(w);
            useAndStore(f, page);
            panel.resize(size);
            panel.refresh(page);
        }
    };

private slots:
    void theGraphsShowTheAnalysedStation() {
        Balanced b({1180, 820});
        auto& [f, w, page, panel] = b;
        const power::PowerPageEnergy& e = page.energy().energy();
        QVERIFY(e.times().size() > 600);
        QCOMPARE(e.speedKnots().size(), e.times().size());

        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        const auto& g = *page.generator();
        const auto& curve = panel.curveGraph()->model();
        QVERIFY(!curve.empty);
        QCOMPARE(curve.curve.points.front().x, g.cutInSpeed);
        QCOMPARE(curve.curve.points.front().y, 0.0);
        QCOMPARE(QString::fromStdString(curve.title), QString::fromStdString("Power Curve of " + g.name));
        QCOMPARE(QString::fromStdString(curve.xCaption),
                 QString::fromStdString(std::string(page.site().units().speedAxisCaption())));

        const auto& output = panel.outputGraph()->model();
        QVERIFY(!output.empty);
        QVERIFY(output.points.size() > 100 && output.points.size() <= 300);

        const auto& stored = panel.storedGraph()->model();
        const auto& bought = panel.purchaseGraph()->model();
        QVERIFY(!stored.empty && !bought.empty);
        QCOMPARE(stored.title, power::storedGraphTitle("0.25"));
        QCOMPARE(bought.title, power::shortfallGraphTitle("0.25"));
        // The store works during the period: it is neither always empty nor always full.
        double lowest = 1e9, highest = 0;
        for (const auto& b : stored.bars) {
            lowest = std::min(lowest, b.value);
            highest = std::max(highest, b.value);
        }
        QVERIFY(lowest < 0.01 && highest > 0.04);
        QCOMPARE(stored.group, 4);
        QCOMPARE(stored.bars.size(), (e.times().size() + 3) / 4);
        QVERIFY(bought.bars.back().value > 0);
        QVERIFY(test::saveScreenshot(panel, "power-graphs-albany-1990.png"));

        // The extra curves of the Tools menu and, in black, the generator nearest in size.
        power::GeneratorStore store(f.s->mainDb().db());
        std::optional<power::GeneratorRecord> other;
        for (const auto& name : store.namesTallestFirst()) {
            auto candidate = store.findByName(name);
            if (name == g.name || !candidate) continue;
            if (!other || std::fabs(candidate->maxKW - g.maxKW) < std::fabs(other->maxKW - g.maxKW)) other = candidate;
        }
        QVERIFY(other.has_value());
        panel.setComparison(other);
        panel.setCurveExtras(true, true);
        const auto& extra = panel.curveGraph()->model();
        QVERIFY(extra.comparison.has_value());
        QVERIFY(!extra.powerBand.empty());
        QVERIFY(!extra.distribution.empty());
        QCOMPARE(extra.legend.size(), std::size_t(3));
        panel.setCurveExtras(false, false);
        QVERIFY(panel.curveGraph()->model().powerBand.empty());
        panel.setCurveExtras(true, true);
        QVERIFY(test::saveScreenshot(panel, "power-graphs-albany-1990-extras.png"));
    }

    void groupingAndTheAlternativeModeChangeTheEnergyGraphs() {
        Balanced b;
        auto& [f, w, page, panel] = b;
        const std::size_t n = page.energy().energy().times().size();

        panel.setGrouping(panel.grouping() + 1);
        QCOMPARE(panel.grouping(), 5);
        QCOMPARE(panel.storedGraph()->model().bars.size(), (n + 4) / 5);
        for (int i = 0; i < 6; ++i) panel.setGrouping(panel.grouping() - 1);
        QCOMPARE(panel.grouping(), 2);
        QCOMPARE(panel.purchaseGraph()->model().group, 2);
        QCOMPARE(panel.purchaseGraph()->model().bars.size(), (n + 1) / 2);

        QVERIFY(!panel.storedGraph()->model().rates);
        panel.setAlternativeMode(true);
        QVERIFY(panel.storedGraph()->model().rates);
        QCOMPARE(QString::fromStdString(panel.storedGraph()->model().yCaption),
                 QStringLiteral("Charge (+) or discharge (-) (kW)"));
        QCOMPARE(QString::fromStdString(panel.purchaseGraph()->model().yCaption), QStringLiteral("Power bought (kW)"));
        // A rerun keeps the grouping and the mode.
        panel.refresh(page);
        QCOMPARE(panel.storedGraph()->model().group, 2);
        QVERIFY(panel.purchaseGraph()->model().rates);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(test::saveScreenshot(panel, "power-graphs-rates.png"));
    }

    void hoverOverAnEnergyGraphNamesTheSoundingUnderThePointer() {
        Balanced b;
        auto& [f, w, page, panel] = b;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        gui::EnergyGraph* graph = panel.purchaseGraph();
        const QRectF plot = graph->plotArea();
        QVERIFY(plot.width() > 200 && plot.height() > 80);
        const auto& m = graph->model();
        const power::PowerPageEnergy& e = page.energy().energy();
        for (double share : {0.1, 0.5, 0.9}) {
            const QPointF at(plot.left() + share * plot.width(), plot.center().y());
            const double x = m.xMin + share * (m.xMax - m.xMin);
            const auto i = m.soundingAt(x);
            QVERIFY(i.has_value());
            QCOMPARE(graph->tipAt(at), QString::fromStdString(e.hoverText(*i)));
            QVERIFY(graph->tipAt(at).startsWith("For "));
        }
        QCOMPARE(graph->tipAt(QPointF(2, 2)), QString::fromStdString(power::kShortfallGraphTip));
        QCOMPARE(panel.storedGraph()->tipAt(QPointF(2, 2)), QString::fromStdString(power::kStoredGraphTip));
    }

    void powerButShowsOrHidesTheCurveOverTheWindGraphAndRemembersIt() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        analyse(w);
        QPushButton* but = w.analysisPanel()->powerButton();
        QCOMPARE(but->objectName(), QStringLiteral("PowerBut"));
        QCOMPARE(but->text(), QStringLiteral("Hide Power Curve"));
        const auto& g = *w.powerPage().generator();
        QVERIFY(!w.analysisPanel()->graph1()->model().powerCurve.empty());
        QVERIFY(QString::fromStdString(w.analysisPanel()->graph1()->model().powerCurveLabel)
                    .startsWith(QString::fromStdString("Power Curve of " + g.name)));
        QVERIFY(test::saveScreenshot(w, "main-page-power-curve.png"));

        QTest::mouseClick(but, Qt::LeftButton);
        QCOMPARE(but->text(), QStringLiteral("Show Power Curve"));
        QVERIFY(w.analysisPanel()->graph1()->model().powerCurve.empty());
        QVERIFY(!f.s->powerVisible);
        QCOMPARE(f.s->settings().get("PowerVisible"), std::string("0"));

        // A new window of the same run starts hidden, as stored.
        {
            gui::MainWindow again(*f.s);
            QCOMPARE(again.analysisPanel()->powerButton()->text(), QStringLiteral("Show Power Curve"));
        }
        QTest::mouseClick(but, Qt::LeftButton);
        QCOMPARE(but->text(), QStringLiteral("Hide Power Curve"));
        QCOMPARE(f.s->settings().get("PowerVisible"), std::string("-1"));
        QVERIFY(!w.analysisPanel()->graph1()->model().powerCurve.empty());
    }

    void thePowerPageWindowCarriesTheGraphs() {
        Fixture f;
        gui::MainWindow w(*f.s);
        analyse(w);
        QVERIFY(w.powerGraphs() == nullptr);
        gui::PowerPageWindow* p = w.openPowerPage();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        gui::PowerGraphsPanel* graphs = w.powerGraphs();
        QVERIFY(graphs && graphs->isVisible());
        QCOMPARE(graphs->window(), static_cast<QWidget*>(p));
        QVERIFY(!graphs->curveGraph()->model().empty);
        QVERIFY(!graphs->outputGraph()->model().empty);

        // An input of the page reruns the balance and the graphs follow at once.
        f.prompter.answer("0.25");
        QVERIFY(p->clickField("Pusage"));
        QCOMPARE(graphs->storedGraph()->model().title, power::storedGraphTitle("0.25"));
        f.prompter.answer("0.05");
        QVERIFY(p->clickField("BatMWhr"));
        QVERIFY(!graphs->storedGraph()->model().empty);

        w.menuEntry("mnuEDC")->trigger();
        QVERIFY(!graphs->curveGraph()->model().distribution.empty());
        QVERIFY(graphs->curveGraph()->model().powerBand.empty());

        // A generator chosen with Shift is drawn in black over the current curve.
        const std::string current = w.powerPage().generator()->name;
        std::string other;
        for (const auto& name : power::GeneratorStore(f.s->mainDb().db()).namesTallestFirst())
            if (name != current) other = name;   // the smallest other generator
        QVERIFY(!other.empty());
        p->generators().choose(other, true);
        QCOMPARE(w.powerPage().generator()->name, current);
        QVERIFY(graphs->curveGraph()->model().comparison.has_value());
        QCOMPARE(graphs->curveGraph()->model().comparison->name, other);
        QVERIFY(test::saveScreenshot(*p, "power-page-with-graphs.png"));
    }

    void theToolsEntriesSwitchTheExtraCurves() {
        Fixture f;
        gui::MainWindow w(*f.s);
        QAction* band = w.menuEntry("mnuPPG");
        QAction* distribution = w.menuEntry("mnuEDC");
        QVERIFY(band->isEnabled() && band->isCheckable() && !band->isChecked());
        QVERIFY(distribution->isEnabled() && distribution->isCheckable());
        QCOMPARE(band->text(),
                 QStringLiteral("Show a Black 'Power Band Curve', the source of the generators Sweet Spot, on the Power Curve"));
        QCOMPARE(distribution->text(), QStringLiteral("Show a Red 'Energy Distribution Curve' on Power Curve for this altitude"));
        QSignalSpy spy(&w, &gui::MainWindow::powerCurveExtrasChanged);
        band->trigger();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.back().at(0).toBool(), true);
        QCOMPARE(spy.back().at(1).toBool(), false);
        distribution->trigger();
        QVERIFY(w.powerBandShown() && w.energyDistributionShown());
        band->trigger();
        QCOMPARE(spy.size(), 3);
        QVERIFY(!w.powerBandShown() && w.energyDistributionShown());
    }
};

QTEST_MAIN(PowerGraphsTest)
#include "PowerGraphsTest.moc"

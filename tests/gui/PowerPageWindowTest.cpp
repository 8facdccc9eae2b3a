#include <algorithm>
#include <cmath>
#include <vector>

#include <QElapsedTimer>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QPushButton>
#include <QtTest>

#include <SQLiteCpp/SQLiteCpp.h>

#include "ScriptedPrompter.h"
#include "StationFileBuilder.h"
#include "StartedFolder.h"
#include "TempFolder.h"
#include "WindowTest.h"
#include "analysis/AnalysisStore.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "gui/AnalysisPanel.h"
#include "gui/MainWindow.h"
#include "gui/PowerPageWindow.h"
#include "gui/StudyPanel.h"
#include "power/PowerPageEnergy.h"
#include "session/GeneratorCommands.h"
#include "session/PowerPage.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "sounding/SoundingImport.h"

#include <filesystem>

using namespace skyloom;

namespace {
constexpr long kAlbany = test::kTestAlbany;
}

class PowerPageWindowTest : public QObject {
    Q_OBJECT

    using Fixture = test::AlbanyFolder;

    static void analyse(gui::MainWindow& w) { QVERIFY(test::pickStation(w, kAlbany)); }

    static QString text(gui::PowerPageWindow* p, const char* name) {
        QLabel* l = p->field(QString::fromUtf8(name));
        return l ? l->text() : QStringLiteral("<no field %1>").arg(QString::fromUtf8(name));
    }

    // Every energy and money figure on the page is the one the session computed.
    static void compareFigures(gui::PowerPageWindow* p, session::PowerPage& page) {
        const power::PowerPageEnergy& e = page.energy().energy();
        const power::EnergyLines lines = e.energyLines();
        QCOMPARE(text(p, "TotalEPot"), QString::fromStdString(lines.potential));
        QCOMPARE(text(p, "TotalEUse"), QString::fromStdString(lines.used));
        QCOMPARE(text(p, "UnUsedCapHeading"), QString::fromStdString(lines.gridHeading));
        QCOMPARE(text(p, "UnUsedCap"), QString::fromStdString(lines.grid));
        QCOMPARE(text(p, "ShortE"), QString::fromStdString(lines.shortfall));
        QCOMPARE(text(p, "DieselPercent"), QString::fromStdString(lines.dieselPercent));
        QCOMPARE(text(p, "PercentNonWind"), QString::fromStdString(lines.percentNonWind));
        const power::MoneyLines money = e.moneyLines();
        QCOMPARE(text(p, "BuyE"), QString::fromStdString(money.bought));
        QCOMPARE(text(p, "ShortfallCost"), QString::fromStdString(money.shortfallCost));
        QCOMPARE(text(p, "NetCashFlowlabHeading"), QString::fromStdString(money.netCashHeading));
        QCOMPARE(text(p, "NetCashFlowlab"), QString::fromStdString(money.netCash) + " per Yr");
        QCOMPARE(text(p, "ACElab"), QString::fromStdString(money.usedEnergyCost));
        QCOMPARE(text(p, "NetSaveLabel"), QString::fromStdString(money.netSave));
        const power::NetCostLine net = e.netCostLine();
        QCOMPARE(text(p, "ACETlabHeading"), QString::fromStdString(net.label));
        QCOMPARE(text(p, "ACETlab"), QString::fromStdString(net.value));
        const power::PowerAnalysis a = page.power().analysisAt(page.heightFeet(), page.site().units());
        QVERIFY(text(p, "PowerAnalysisLab").startsWith("Power Analysis for "));
        QCOMPARE(text(p, "PowerAnalysisLab"), QString::fromStdString(a.summary));
        QCOMPARE(text(p, "TempPressLab"), QString::fromStdString(a.effectLine));
        QCOMPARE(text(p, "IdleLab"), QString::fromStdString(power::idleDaysLine(e.idle())));
        QCOMPARE(text(p, "IdleStartsLab"), QString::fromStdString(power::idleStartsLine(e.idle())));
    }

private slots:
    void theAnalysisTimeReadsAsTheProgramWritesIt() {
        using W = gui::PowerPageWindow;
        QCOMPARE(W::analysisTimeText("2026-12-05 19:09:10"), QStringLiteral("Saturday December 5, 2026  07:09:10 pm"));
        QCOMPARE(W::analysisTimeText("2026-01-01 00:05:00"), QStringLiteral("Thursday January 1, 2026  12:05:00 am"));
        QCOMPARE(W::analysisTimeText("2026-06-30 12:00:59"), QStringLiteral("Tuesday June 30, 2026  12:00:59 pm"));
        QCOMPARE(W::analysisTimeText("not a date"), QString());
    }

    void choosingAGeneratorRerunsAndShowsTheSavedAnalysis() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        session::PowerPage& page = w.powerPage();

        QComboBox* dd = p->generatorsDD();
        QVERIFY(dd->count() >= 2);
        // Tallest first: the list is the commands' list, and the current one is selected.
        for (int i = 0; i < dd->count(); ++i)
            QCOMPARE(dd->itemText(i).toStdString(), p->generators().list()[static_cast<std::size_t>(i)]);
        const int other = dd->currentIndex() == 1 ? 0 : 1;
        const QString name = dd->itemText(other);
        const long long before = page.lastSavedKey();
        emit dd->activated(other);
        QVERIFY(page.generator().has_value());
        QCOMPARE(QString::fromStdString(page.generator()->name), name);
        QCOMPARE(dd->currentText(), name);
        QCOMPARE(page.heightFeet(), page.generator()->height);
        QCOMPARE(text(p, "HubHeight"), QString::number(p->generators().shownHubHeight(), 'f', 0));
        QCOMPARE(text(p, "KW1"), QString::number(page.generator()->points[0].kw));
        QCOMPARE(text(p, "Speed1"), QString::number(p->generators().shownSpeed(1), 'f', 1));
        QCOMPARE(text(p, "CostPerYear"), QString::fromStdString(p->generators().shownCostPerYear()));
        QVERIFY(p->field("Speed1")->toolTip() == QStringLiteral(" Click here to change this data. "));

        // The run saved a new record, and the page shows its ID and time.
        QVERIFY(page.energy().computed());
        const long long key = page.lastSavedKey();
        QVERIFY(key != 0);
        QVERIFY(key != before);
        QCOMPARE(text(p, "AnID"), QStringLiteral("%1").arg(key, 6, 10, QLatin1Char('0')));
        analysis::AnalysisStore store(f.s->mainDb().db());
        const auto stored = store.load(key);
        QVERIFY(stored.has_value());
        QCOMPARE(QString::fromStdString(std::get<std::string>(stored->generator[0])).trimmed(), name);
        QVERIFY(text(p, "AnalTime").contains(QString::number(QDate::currentDate().year())));
        compareFigures(p, page);

        // A supplied curve is locked: the click tells why and changes nothing.
        const auto curve = *page.generator();
        const std::size_t messages = f.prompter.messages.size();
        QVERIFY(p->clickField("Speed3"));
        QCOMPARE(f.prompter.messages.size(), messages + 1);
        QCOMPARE(*page.generator(), curve);
        QVERIFY(!p->clickField("NoSuchField"));
    }

    void theListShowsTheLibraryFactsOfEachSuppliedCurve() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        QComboBox* dd = p->generatorsDD();
        QCOMPARE(dd->model()->columnCount(), 4);
        const int row = dd->findText(QStringLiteral("Northern Power NPS 100C-21 (100 kW)"));
        QVERIFY(row >= 0);
        const auto cell = [dd, row](int column, int role = Qt::DisplayRole) {
            return dd->model()->index(row, column).data(role).toString();
        };
        QCOMPARE(cell(1), QStringLiteral("distributed"));
        QCOMPARE(cell(2), QStringLiteral("20.7 m"));
        QCOMPARE(cell(3), QStringLiteral("theoretical"));
        QVERIFY2(cell(0, Qt::ToolTipRole).contains(QStringLiteral("data/turbines/data/Distributed/NPS100C-21_100kW_20.7.csv")),
                 qPrintable(cell(0, Qt::ToolTipRole)));
        // A copy is the user's own curve: no library facts beside it.
        emit dd->activated(row);
        p->generators().copyCurve();
        p->refresh();
        const int copy = dd->findText(QStringLiteral("Northern Power NPS 100C-21 (100 kW)~1"));
        QVERIFY(copy >= 0);
        QCOMPARE(dd->model()->index(copy, 1).data().toString(), QString());
        dd->showPopup();
        QVERIFY(dd->view()->isVisible());
        QVERIFY(dd->view()->window()->grab().save(test::screenshotPath(QStringLiteral("generator-list.png"))));
        dd->hidePopup();
    }

    void theMainWindowButtonOpensOnePowerPage() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* button = w.findChild<QPushButton*>("PowerPageBut");
        QVERIFY(button);
        QVERIFY(w.findChildren<gui::PowerPageWindow*>().isEmpty());
        button->click();
        const auto pages = w.findChildren<gui::PowerPageWindow*>();
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages.front()->isVisible());
        QVERIFY(pages.front()->isWindow());
        QCOMPARE(pages.front()->generatorsDD()->currentText().toStdString(), w.powerPage().generator()->name);
        button->click();
        QCOMPARE(w.findChildren<gui::PowerPageWindow*>().size(), 1);
        QCOMPARE(w.openPowerPage(), pages.front());
    }

    void aCopiedCurveIsEditableUntilASavedAnalysisUsesIt() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        session::PowerPage& page = w.powerPage();
        const std::string original = page.generator()->name;
        const long long before = page.lastSavedKey();
        QVERIFY(before != 0);

        // The copy is shown with its results marked stale; nothing is run or saved with it.
        p->button("CopyCurve")->click();
        const std::string copy = page.generator()->name;
        QCOMPARE(QString::fromStdString(copy), QString::fromStdString(original) + "~1");
        QCOMPARE(p->generatorsDD()->currentText().toStdString(), copy);
        QCOMPARE(p->field("GenName")->text().toStdString(), copy);
        QCOMPARE(page.lastSavedKey(), before);
        QVERIFY(p->recalculateButton()->isVisible());
        QCOMPARE(p->recalculateButton()->text(), QStringLiteral("Click here to Recalculate this Analysis"));

        // So it can be edited.
        const double low = p->generators().shownSpeed(2);
        const double high = p->generators().shownSpeed(3);
        const double between = std::round((low + high) / 2.0 * 10.0) / 10.0;
        QVERIFY(between > low && between < high);
        f.prompter.answer(QString::number(between, 'f', 1).toStdString());
        QVERIFY(p->clickField("Speed2"));
        QCOMPARE(text(p, "Speed2"), QString::number(between, 'f', 1));
        QVERIFY(p->generators().resultsStale());

        // A speed above the next point is refused with its message and changes nothing.
        f.prompter.answer(QString::number(high + 1.0, 'f', 1).toStdString());
        QVERIFY(p->clickField("Speed2"));
        QCOMPARE(QString::fromStdString(f.prompter.messages.back()),
                 QStringLiteral("You must enter a speed that is less than the speed above it."));
        QCOMPARE(text(p, "Speed2"), QString::number(between, 'f', 1));

        // The recalculation runs with the changed curve and saves it in an analysis:
        // from then on the curve is locked, the analysis open on the page too.
        p->recalculateButton()->click();
        QVERIFY(!p->recalculateButton()->isVisible());
        QVERIFY(!p->generators().resultsStale());
        const long long open = page.lastSavedKey();
        QVERIFY(open != 0 && open != before);
        QCOMPARE(page.generator()->points[1].speed, p->generators().current()->points[1].speed);
        QCOMPARE(QString::fromStdString(page.generator()->name), QString::fromStdString(copy));
        const std::size_t prompts = f.prompter.prompts.size();
        QVERIFY(p->clickField("KW4"));
        QVERIFY(QString::fromStdString(f.prompter.messages.back())
                    .startsWith(QStringLiteral("This power curve has been used in an analysis.  If you wish")));
        QCOMPARE(f.prompter.prompts.size(), prompts);

        // Copy, Remove and New stay allowed; Copy of a copy gives base~2, editable again.
        p->button("CopyCurve")->click();
        QCOMPARE(p->field("GenName")->text(), QString::fromStdString(original) + "~2");
        QCOMPARE(p->generatorsDD()->currentText(), QString::fromStdString(original) + "~2");
        const std::size_t messages = f.prompter.messages.size();
        f.prompter.cancel();
        QVERIFY(p->clickField("KW4"));
        QCOMPARE(f.prompter.messages.size(), messages);
        QCOMPARE(f.prompter.prompts.back(), std::string("New KiloWatts?"));
    }

    void theCommentAndTheStudyIndicatorBelongToTheAnalysisShown() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        session::PowerPage& page = w.powerPage();
        const long long key = page.lastSavedKey();
        QVERIFY(key != 0);

        // Study 0: no button, no labels.
        QVERIFY(p->button("AddThisAnalysisToStudy")->isHidden());
        QCOMPARE(text(p, "CSlab"), QString());
        QCOMPARE(text(p, "CurStLab"), QString());

        // A comment typed and left is written to the analysis shown.
        QLineEdit* comment = p->commentField();
        QVERIFY(!comment->isReadOnly());
        comment->setFocus();
        QTest::keyClicks(comment, "Ridge north of town");
        emit comment->editingFinished();
        analysis::AnalysisStore store(f.s->mainDb().db());
        QCOMPARE(QString::fromStdString(store.load(key)->comment.value_or("")), QStringLiteral("Ridge north of town"));

        f.prompter.answer("Hill sites");
        QVERIFY(page.studies().beginNewStudy());
        p->refresh();
        QCOMPARE(text(p, "CSlab"), QStringLiteral("Current Study is:"));
        QCOMPARE(text(p, "CurStLab"), QStringLiteral(" Hill sites"));
        QVERIFY(!p->button("AddThisAnalysisToStudy")->isHidden());
        auto* inList = w.findChild<QLabel*>("NinLab");
        QVERIFY(inList);
        w.studyPanel()->refresh();
        QCOMPARE(inList->text(), QStringLiteral("0 in list"));
        p->button("AddThisAnalysisToStudy")->click();
        QCOMPARE(text(p, "CSlab"), QStringLiteral("This analysis is already in the Current Study:"));
        // The Main Page's study grid counts it at once.
        QCOMPARE(inList->text(), QStringLiteral("1 in list"));
        QVERIFY(p->button("AddThisAnalysisToStudy")->isHidden());

        // The help text's own analysis cannot have its comment changed.
        page.comment = "Help File Analysis";
        p->refresh();
        QVERIFY(comment->isReadOnly());
    }

    void shiftChoosingDrawsACurveWithoutChangingTheGenerator() {
        Fixture f;
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        gui::PowerPageWindow* p = w.openPowerPage();
        session::PowerPage& page = w.powerPage();
        const std::string current = page.generator()->name;
        QComboBox* dd = p->generatorsDD();
        const int other = dd->currentIndex() == 1 ? 0 : 1;
        QSignalSpy redraws(p, &gui::PowerPageWindow::resultsShown);
        QTest::keyPress(dd, Qt::Key_Shift, Qt::ShiftModifier);
        emit dd->activated(other);
        QTest::keyRelease(dd, Qt::Key_Shift);
        QCOMPARE(page.generator()->name, current);
        QCOMPARE(dd->currentText().toStdString(), current);
        QVERIFY(p->comparisonCurve().has_value());
        QCOMPARE(QString::fromStdString(p->comparisonCurve()->name), dd->itemText(other));
        QVERIFY(redraws.count() >= 1);
        // A plain choice drops the comparison.
        emit dd->activated(other);
        QVERIFY(!p->comparisonCurve().has_value());
        QCOMPARE(QString::fromStdString(page.generator()->name), dd->itemText(dd->currentIndex()));

        // The edit buttons are the five the captures hide.
        QStringList names;
        for (QWidget* b : p->editButtons()) names << b->objectName();
        QCOMPARE(names, (QStringList{"NewCurve", "CopyCurve", "DeleteCurve", "Export", "Import"}));
        QCOMPARE(p->button("DeleteCurve")->text(), QStringLiteral("Remove"));
    }

    void aPriceOrUsageChangeOnThirtyYearsShowsAtOnce() {
        test::StartedFolder f;
        constexpr long kLong = 99930;
        test::StationFileBuilder b(test::StationFileBuilder::pathFor(f.tmp.dir(), kLong), kLong);
        b.addTwiceDaily(core::makeDate(1990, 1, 1), core::makeDate(2019, 12, 31),
                        [](int n) { return 30 + (n * 53) % 150; });
        test::registerStation(f.s->mainDb(), b.write(), "THIRTY YEARS", "US", 40.0, -100.0);
        f.s->reloadStationIndex();
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(test::pickStation(w, kLong));
        QVERIFY(w.powerPage().site().soundings().count() > 21000);
        gui::PowerPageWindow* p = w.openPowerPage();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        const int reads = w.powerPage().site().fileReads();

        // Each change: the input box answered, the balance and money rerun, the
        // analysis saved and every figure on the page redrawn.
        std::vector<qint64> times;
        const char* fields[] = {"Pusage", "SellDperkWhr", "BuyDperKwHr", "Pusage", "SellDperkWhr"};
        const char* answers[] = {"12", "0.07", "0.21", "30", "0.05"};
        for (int i = 0; i < 5; ++i) {
            f.prompter.answer(answers[i]);
            QElapsedTimer t;
            t.start();
            QVERIFY(p->clickField(fields[i]));
            QCoreApplication::processEvents();   // the window is painted anew here
            times.push_back(t.nsecsElapsed() / 1000);
            QCOMPARE(text(p, fields[i]), QString::fromLatin1(answers[i]));
            compareFigures(p, w.powerPage());
        }
        // The soundings in memory were used: no file read again.
        QCOMPARE(w.powerPage().site().fileReads(), reads);
        std::sort(times.begin(), times.end());
        qInfo() << "page update after an input change, median" << times[2] << "us";
        // About 20 ms on a quiet machine; the bound leaves room for a test run that
        // shares the cores with others, and still catches a page that reads or
        // recomputes the whole record again (seconds).
        QVERIFY2(times[2] < 150000, qPrintable(QString::number(times[2])));
    }

    void aRealStationReadsWholeOnThePage() {
        test::StartedFolder f;
        std::filesystem::copy_file(test::sample("fsl/esrl_87576_SAEZ_2019_kt_99999.fsl"), f.tmp / "87576 saez.txt");
        sounding::ImportOptions options;
        options.mainDb = &f.s->mainDb();
        core::SilentPrompter quiet;
        auto result = sounding::importFile(f.tmp.dir(), (f.tmp / "87576 saez.txt").string(), options, quiet);
        QVERIFY2(result.added > 250, result.report.c_str());
        f.s->reloadStationIndex();
        gui::MainWindow w(*f.s);
        w.show();
        QVERIFY(test::pickStation(w, 87576));
        gui::PowerPageWindow* p = w.openPowerPage();
        QVERIFY(QTest::qWaitForWindowExposed(p));
        // A 100 kW generator against a 40 kW demand with a 1 MWh store.
        const int mill = p->generatorsDD()->findText("Northern Power NPS 100C-21 (100 kW)");
        QVERIFY(mill >= 0);
        emit p->generatorsDD()->activated(mill);
        QCOMPARE(QString::fromStdString(w.powerPage().generator()->name), QStringLiteral("Northern Power NPS 100C-21 (100 kW)"));
        f.prompter.answer("40");
        QVERIFY(p->clickField("Pusage"));
        f.prompter.answer("1");
        QVERIFY(p->clickField("BatMWhr"));
        compareFigures(p, w.powerPage());
        QTest::qWait(20);

        QVERIFY(p->geometry().width() <= 1920 && p->geometry().height() <= 1080);
        // Every shown text fits its label: nothing is cut off, across or down.
        QVERIFY(test::saveScreenshot(*p, "power-page-ezeiza-2019.png"));
    }

    void changingTheUsageRecomputesTheFiguresShown() {
        test::PowerPageShown o;
        QVERIFY(o.open());
        auto& [f, w, p] = o;
        session::PowerPage& page = w.powerPage();
        QVERIFY(page.energy().computed());
        compareFigures(p, page);
        const QString potential = text(p, "TotalEPot");

        f.prompter.answer("25");
        QVERIFY(p->clickField("Pusage"));
        QCOMPARE(page.energy().energy().inputs.aveUsed, 25.0);
        QCOMPARE(text(p, "Pusage"), QStringLiteral("25"));
        compareFigures(p, page);
        // The usage does not change what the generator produces.
        QCOMPARE(text(p, "TotalEPot"), potential);
        QVERIFY(text(p, "UnUsedCapHeading") == "Sold to GRID:" || text(p, "UnUsedCapHeading") == "Capacity Shortfall:");

        // A refused usage keeps the shown value and the figures.
        const QString used = text(p, "TotalEUse");
        f.prompter.answer("-3");
        QVERIFY(p->clickField("Pusage"));
        QCOMPARE(QString::fromStdString(f.prompter.messages.back()), QStringLiteral("You must enter a kW that is greater than 0."));
        QCOMPARE(text(p, "Pusage"), QStringLiteral("25"));
        QCOMPARE(text(p, "TotalEUse"), used);
        QCOMPARE(f.prompter.prompts.back(), std::string("New Total Average Power Used by Power Grid (kW)?"));
        QCOMPARE(f.prompter.defaults.back(), std::string("25"));

        // Without a store the storage cost and efficiency are hidden; with one they show.
        QVERIFY(!p->field("StoreEff")->isVisible());
        f.prompter.answer("2");
        QVERIFY(p->clickField("BatMWhr"));
        QCOMPARE(page.energy().energy().inputs.bankSize, 2.0);
        QVERIFY(p->field("StoreEff")->isVisible());
        compareFigures(p, page);

        f.prompter.answer("0.15");
        QVERIFY(p->clickField("BuyDperKwHr"));
        QCOMPARE(page.energy().energy().inputs.buyPrice, 0.15);
        compareFigures(p, page);

        QVERIFY(test::saveScreenshot(*p, "power-page.png"));
    }
};

QTEST_MAIN(PowerPageWindowTest)
#include "PowerPageWindowTest.moc"

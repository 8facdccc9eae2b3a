#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include "ScriptedPrompter.h"
#include "StartedFolder.h"
#include "WindowTest.h"
#include "TempFolder.h"
#include "core/Constants.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "gui/PageOutput.h"
#include "gui/SettingsDialog.h"
#include "gui/ValueField.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

using namespace skyloom;

class SettingsDialogTest : public QObject {
    Q_OBJECT

    using Fixture = test::StartedFolder;

private slots:
    void everyValueFieldRefusesOutOfRangeWithItsMessage() {
        Fixture f;
        gui::SettingsDialog dlg(*f.s);
        QSignalSpy dots(&dlg, &gui::SettingsDialog::dotSizeChanged);
        QSignalSpy analysis(&dlg, &gui::SettingsDialog::analysisInputsChanged);

        f.prompter.answer("99").answer("1001").answer("250");
        QTest::mouseClick(dlg.dotSizeField(), Qt::LeftButton);
        QCOMPARE(f.prompter.messages.size(), std::size_t(2));
        QCOMPARE(f.prompter.messages[0], std::string("Must be in the range of 100 to 1000"));
        QCOMPARE(f.prompter.prompts[0], std::string("What size would you like to have your purchased data site dots on "
                                                     "the map.  As a % of normal size. (100-1000%)"));
        QCOMPARE(f.prompter.defaults[0], std::string("100"));
        QCOMPARE(dlg.dotSizeField()->text(), QStringLiteral("250"));
        QCOMPARE(f.s->dotSize, 250.0);
        QCOMPARE(f.s->settings().get("DotSize"), std::string("250"));
        QCOMPARE(dots.count(), 1);

        f.prompter.answer("250");  // unchanged: nothing happens
        QTest::mouseClick(dlg.dotSizeField(), Qt::LeftButton);
        QCOMPARE(dots.count(), 1);

        f.prompter.answer("-0.5").answer("100.5").cancel();
        QTest::mouseClick(dlg.stateOfChargeField(), Qt::LeftButton);
        QCOMPARE(f.prompter.messages[2], std::string("Must be in the range of 0 to 100"));
        QCOMPARE(f.prompter.messages[3], std::string("Must be in the range of 0 to 100"));
        QCOMPARE(f.prompter.prompts.back(), std::string("What state of charge will the batteries be in at the "
                                                         "beginning of the period (0-100%)"));
        QCOMPARE(dlg.stateOfChargeField()->text(), QStringLiteral("75"));
        QCOMPARE(analysis.count(), 0);

        f.prompter.answer("0");  // the lower edge is inside
        QTest::mouseClick(dlg.stateOfChargeField(), Qt::LeftButton);
        QCOMPARE(f.s->settings().get("StateOfCharge"), std::string("0"));
        QCOMPARE(analysis.count(), 1);

        f.prompter.answer("-1").answer("12.34567");
        QTest::mouseClick(dlg.storageCostField(), Qt::LeftButton);
        QCOMPARE(f.prompter.messages[4], std::string("Must be greater than or equal to 0"));
        QCOMPARE(f.prompter.prompts.back(),
                 std::string("What is the cost of energy storage capacity in Dollars per kWhr per Year"));
        QCOMPARE(f.s->settings().get("BatCostPerkWhrPerYr"), std::string("12.346"));
        QCOMPARE(analysis.count(), 2);
        QVERIFY(f.prompter.allAnswersUsed());
    }

    void closeAppliesUnitsAndTheBlueLine() {
        Fixture f;
        gui::SettingsDialog dlg(*f.s);
        QSignalSpy changed(&dlg, &gui::SettingsDialog::displayChanged);
        dlg.closeIt();
        QCOMPARE(changed.count(), 0);  // nothing chosen: nothing redone
        dlg.chooseUnits(2);
        dlg.chooseShowWhat(1);
        QTest::mouseClick(dlg.findChild<QPushButton*>("Closeit"), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.s->units, 2);
        QCOMPARE(f.s->speedStatistic, std::string("Mean"));
        QCOMPARE(f.s->settings().get("Units"), std::string("2"));
        QCOMPARE(f.s->settings().get("ShowWhat"), std::string("1"));
        QVERIFY(!dlg.isVisible());
    }

    void sliderSavesTheDataColourAndIgnoreZeroItsFlag() {
        Fixture f;
        gui::SettingsDialog dlg(*f.s);
        QCOMPARE(dlg.dataColorSlider()->minimum(), core::kDataColorMin);
        QCOMPARE(dlg.dataColorSlider()->maximum(), core::kDataColorMax);
        QCOMPARE(dlg.dataColorSlider()->value(), core::kDataColorDefault);
        QSignalSpy color(&dlg, &gui::SettingsDialog::dataColorChanged);
        dlg.dataColorSlider()->setValue(-60);
        QCOMPARE(color.count(), 1);
        QCOMPARE(f.s->settings().get("DataColor"), std::string("-60"));
        auto c = gui::dataDistributionColor(-60);
        QCOMPARE(c.r, 180);
        QCOMPARE(c.g, 179);
        QCOMPARE(gui::dataDistributionColor(core::kDataColorMax).r, 255);
        QCOMPARE(gui::dataDistributionColor(16).g, 255);  // parts never pass 255

        QSignalSpy zero(&dlg, &gui::SettingsDialog::ignoreZeroChanged);
        dlg.ignoreZeroBox()->click();
        QCOMPARE(zero.count(), 1);
        QCOMPARE(f.s->settings().get("IgnoreZ"), std::string("-1"));
        QCOMPARE(dlg.ignoreZeroBox()->text(), QStringLiteral("Ingore Soundings with Zero Speed Ground Winds"));
        QVERIFY(!dlg.ignoreKeyActive());
        dlg.ignoreKeyBox()->click();
        QVERIFY(dlg.ignoreKeyActive());
    }

    void bitmapNamesGetTheirExtension() {
        QCOMPARE(gui::bitmapFileName("site.").value(), std::string("site.bmp"));
        QCOMPARE(gui::bitmapFileName("Site.BmP").value(), std::string("Site.BmP"));
        QCOMPARE(gui::bitmapFileName("page").value(), std::string("page.bmp"));
        QVERIFY(!gui::bitmapFileName("a/b"));
        test::TempFolder tmp;
        test::writeFile(tmp / "taken.bmp", "x");
        test::ScriptedPrompter p;
        p.answer("taken").answer("free.");
        auto path = gui::askBitmapPath(p, tmp.dir(), "Main Page Analysis 3.bmp");
        QCOMPARE(path.value(), tmp.dir() + "free.bmp");
        QCOMPARE(p.messages.at(0), std::string("A file with this name exists, try again: taken.bmp"));
        auto fit = gui::fitToPage(200, 100, 1000, 1000);
        QCOMPARE(fit.width, 930.0);
        QCOMPARE(fit.height, 465.0);
        QCOMPARE(fit.left, 35.0);
    }

    void screenshotOfTheDialog() {
        Fixture f;
        gui::SettingsDialog dlg(*f.s);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(test::saveScreenshot(dlg, "settings-dialog.png"));
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"

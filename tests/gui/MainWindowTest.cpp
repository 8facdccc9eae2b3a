#include <QDir>
#include <QLabel>
#include <QtTest>

#include "TempFolder.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "gui/MainWindow.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"
#include "session/StationSummary.h"

using namespace skyloom;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnANewFolderAndShowsThePrompt() {
        test::TempFolder tmp;
        core::SilentPrompter prompter;
        core::NullProgress progress;
        QVERIFY(session::initProgramFolder(tmp.dir(), prompter, progress));
        session::Session s(tmp.dir(), prompter);
        QCOMPARE(s.startUp(), session::Session::StartResult::Ready);
        gui::MainWindow w(s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.summaryText(), QString::fromUtf8(session::kNoStationPrompt));
        QVERIFY(w.stationCountText().startsWith(QString::number(s.stations().stations().size()) + " radiosonde"));
        QCOMPARE(w.windowTitle(), QStringLiteral("  Analysis Page of Skyloom - Wind Data Display Program V24.0"));
        QImage shot = w.grab().toImage();
        QVERIFY(!shot.isNull());
        QString dir = qEnvironmentVariable("SKYLOOM_SCREENSHOT_DIR", QDir::tempPath());
        QDir().mkpath(dir);
        QVERIFY(shot.save(dir + "/main-window-first-start.png"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include "core/DatabaseFile.h"
#include "gui/MainWindow.h"
#include "gui/QtPrompter.h"
#include "gui/ScreenshotRun.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

namespace {

// A failure no window caught (a database another program keeps locked, a full
// disk) is shown in a message box instead of ending the program.
class SkyloomApplication : public QApplication {
public:
    using QApplication::QApplication;
    skyloom::core::Prompter* prompter = nullptr;
    std::string appDir;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            if (prompter) prompter->message(skyloom::core::failureText(e, appDir), "Skyloom");
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    SkyloomApplication app(argc, argv);
    QApplication::setApplicationName("Skyloom");
    QCommandLineParser args;
    args.addHelpOption();
    QCommandLineOption folder("folder", "Program folder (default: the per-user data folder).", "DIR");
    args.addOption(folder);
    // For the documentation pictures (tools/screenshots): analyse a station, save the pages, end.
    QCommandLineOption shots("screenshots", "Save pictures of the pages into DIR and end.", "DIR");
    QCommandLineOption station("station", "With --screenshots: the station to analyse.", "WMO");
    QCommandLineOption generator("generator", "With --screenshots: the generator (default: the first supplied).",
                                 "NAME");
    args.addOption(shots);
    args.addOption(station);
    args.addOption(generator);
    args.process(app);
    const std::string dir = args.isSet(folder) ? args.value(folder).toStdString()
                                               : skyloom::session::defaultProgramFolder();

    skyloom::gui::QtPrompter prompter;
    app.prompter = &prompter;
    app.appDir = skyloom::session::ensureTrailingSlash(dir);
    // Started from the desktop on a folder that is not set up yet: set it up the
    // way `skyloom-cli init` does (stations, generators, real samples, demo data).
    if (!QFileInfo::exists(QString::fromStdString(skyloom::session::ensureTrailingSlash(dir)) + "Skyloom.dat")) {
        const QString cli = QCoreApplication::applicationDirPath() + "/skyloom-cli";
        QProcess init;
        init.start(cli, {"--quiet", "init", "--folder", QString::fromStdString(dir)});
        if (!init.waitForFinished(10 * 60 * 1000) || init.exitStatus() != QProcess::NormalExit || init.exitCode() != 0) {
            const QString why = QString::fromLocal8Bit(init.readAllStandardError()).trimmed();
            prompter.message("The program folder '" + dir + "' could not be set up" +
                             (why.isEmpty() ? std::string(".") : ": " + why.toStdString()));
            return 1;
        }
    }
    skyloom::session::Session session(dir, prompter);
    if (session.startUp() != skyloom::session::Session::StartResult::Ready) return 1;

    int rc = 0;
    {
        // The windows (and the statements they hold on the main database) go before the database closes.
        skyloom::gui::MainWindow window(session);
        prompter.setParent(&window);
        QObject::connect(&window, &skyloom::gui::MainWindow::endRequested, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        window.show();
        if (args.isSet(shots))
            skyloom::gui::ScreenshotRun{args.value(shots), args.value(station).toLong(), args.value(generator)}.start(window);
        rc = app.exec();
    }
    session.shutDown();
    return rc;
}

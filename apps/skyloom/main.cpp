#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "gui/MainWindow.h"
#include "gui/QtPrompter.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Skyloom");
    QCommandLineParser args;
    args.addHelpOption();
    QCommandLineOption folder("folder", "Program folder (default: the per-user data folder).", "DIR");
    args.addOption(folder);
    args.process(app);
    const std::string dir = args.isSet(folder) ? args.value(folder).toStdString()
                                               : skyloom::session::defaultProgramFolder();

    skyloom::gui::QtPrompter prompter;
    skyloom::session::Session session(dir, prompter);
    if (session.startUp() != skyloom::session::Session::StartResult::Ready) return 1;

    skyloom::gui::MainWindow window(session);
    prompter.setParent(&window);
    QObject::connect(&window, &skyloom::gui::MainWindow::endRequested, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    int rc = app.exec();
    session.shutDown();
    return rc;
}

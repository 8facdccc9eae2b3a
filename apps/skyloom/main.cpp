#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "core/DatabaseFile.h"
#include "gui/MainWindow.h"
#include "gui/QtPrompter.h"
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
    args.process(app);
    const std::string dir = args.isSet(folder) ? args.value(folder).toStdString()
                                               : skyloom::session::defaultProgramFolder();

    skyloom::gui::QtPrompter prompter;
    app.prompter = &prompter;
    app.appDir = skyloom::session::ensureTrailingSlash(dir);
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

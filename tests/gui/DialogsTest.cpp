// Every dialog a window asks for is shown over that window: it paints and stays
// above it. Offscreen the test checks the parent and the dialog's own picture;
// on a real X server (tools/check-dialogs runs it under Xvfb with a window
// manager) it also checks what the screen shows where the dialog and the Power
// Page stand.
#include <functional>

#include <QAction>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "TempFolder.h"
#include "core/Progress.h"
#include "gui/MainWindow.h"
#include "gui/PowerPageWindow.h"
#include "gui/QtPrompter.h"
#include "session/ProgramFolder.h"
#include "session/Session.h"

using namespace skyloom;

namespace {

bool onRealScreen() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Share of pixels that differ from the most common one: 0 for a uniform (unpainted) picture.
double variety(const QImage& image) {
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2) ++counts[img.pixel(x, y)];
    int most = 0, all = 0;
    for (int c : counts) {
        most = std::max(most, c);
        all += c;
    }
    return all ? 1.0 - double(most) / all : 0.0;
}

// Share of pixels of a widget's own picture that the screen shows in its place.
double shownOnScreen(QWidget* w, QRect part = {}) {
    if (part.isNull()) part = w->rect();
    const QPoint at = w->mapToGlobal(part.topLeft());
    const QImage screen =
        w->screen()->grabWindow(0, at.x(), at.y(), part.width(), part.height()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage own = w->grab(part).toImage().convertToFormat(QImage::Format_RGB32);
    if (screen.size() != own.size() || own.isNull()) return 0;
    int same = 0, all = 0;
    for (int y = 0; y < own.height(); y += 2)
        for (int x = 0; x < own.width(); x += 2, ++all)
            if (screen.pixel(x, y) == own.pixel(x, y)) ++same;
    return all ? double(same) / all : 0.0;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    struct Program {
        test::TempFolder tmp;
        gui::QtPrompter prompter;
        std::unique_ptr<session::Session> s;
        std::unique_ptr<gui::MainWindow> w;
        gui::PowerPageWindow* p = nullptr;
        bool open() {
            core::SilentPrompter quiet;
            core::NullProgress progress;
            if (!session::initProgramFolder(tmp.dir(), quiet, progress)) return false;
            s = std::make_unique<session::Session>(tmp.dir(), prompter);
            if (s->startUp() != session::Session::StartResult::Ready) return false;
            w = std::make_unique<gui::MainWindow>(*s);
            prompter.setParent(w.get());
            w->setGeometry(20, 40, 1200, 700);
            w->show();
            if (!QTest::qWaitForWindowExposed(w.get())) return false;
            p = w->openPowerPage();
            p->move(260, 120);   // over the Main Page, so a raised Main Page would cover it
            return QTest::qWaitForWindowExposed(p);
        }
    };

    // Runs `ask` (which opens a modal dialog) and checks the dialog once it shows,
    // then closes it as Cancel or No would.
    static QString checkDialog(QWidget* over, const std::function<void()>& ask) {
        QString problem = QStringLiteral("no dialog was shown");
        QTimer poll;
        poll.setInterval(30);
        int waited = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* d = QApplication::activeModalWidget();
            if ((!d || !d->isVisible()) && ++waited < 200) return;
            poll.stop();
            if (!d) return;
            QTest::qWait(onRealScreen() ? 400 : 20);   // the window manager places and paints it
            problem.clear();
            if (!d->parentWidget() || d->parentWidget()->window() != over)
                problem = QStringLiteral("%1 is not parented to %2").arg(d->metaObject()->className(), over->objectName());
            else if (!d->windowHandle() || d->windowHandle()->transientParent() != over->windowHandle())
                problem = QStringLiteral("%1 is not transient for %2").arg(d->metaObject()->className(), over->objectName());
            else if (variety(d->grab().toImage()) < 0.01)
                problem = QStringLiteral("%1 paints nothing").arg(d->metaObject()->className());
            else if (onRealScreen() && shownOnScreen(d) < 0.9)
                problem = QStringLiteral("%1 is not painted on the screen above the other windows (%2 of it shows)")
                              .arg(d->metaObject()->className())
                              .arg(shownOnScreen(d));
            else if (onRealScreen() && over != d) {
                // The window it was asked from stays above the others: its top-left corner shows.
                const QRect corner(0, 0, std::min(160, over->width()), std::min(60, over->height()));
                if (shownOnScreen(over, corner) < 0.9)
                    problem = QStringLiteral("%1 went under another window while its dialog showed").arg(over->objectName());
            }
            if (auto* box = qobject_cast<QMessageBox*>(d)) box->done(QMessageBox::No);
            else if (auto* dialog = qobject_cast<QDialog*>(d)) dialog->reject();
        });
        poll.start();
        ask();
        poll.stop();
        return problem;
    }

private slots:
    void dialogsOfThePowerPageStandOverThePowerPage() {
        Program o;
        QVERIFY(o.open());
        gui::PowerPageWindow* p = o.p;
        for (const char* field : {"Pusage", "BatMWhr", "BuyDperKwHr", "GenName", "HubHeight"}) {
            const QString problem = checkDialog(p, [&] { p->clickField(QString::fromUtf8(field)); });
            QVERIFY2(problem.isEmpty(), qPrintable(QString::fromUtf8(field) + ": " + problem));
        }
        for (const char* button : {"NewCurve", "DeleteCurve"}) {
            const QString problem = checkDialog(p, [&] { p->button(QString::fromUtf8(button))->click(); });
            QVERIFY2(problem.isEmpty(), qPrintable(QString::fromUtf8(button) + ": " + problem));
        }
    }

    void dialogsOfTheMainPageStandOverTheMainPage() {
        Program o;
        QVERIFY(o.open());
        o.w->activateWindow();
        o.w->raise();
        QTest::qWait(onRealScreen() ? 300 : 10);
        QString problem = checkDialog(o.w.get(), [&] { o.w->menuEntry("mnuAbout")->trigger(); });
        QVERIFY2(problem.isEmpty(), qPrintable("About: " + problem));
        problem = checkDialog(o.w.get(), [&] { o.w->menuEntry("mnuRecall")->trigger(); });
        QVERIFY2(problem.isEmpty(), qPrintable("Recall: " + problem));
    }

    void anInputBoxOfTheSettingsStandsOverTheSettings() {
        Program o;
        QVERIFY(o.open());
        QTimer::singleShot(0, o.w.get(), [&] {
            QWidget* settings = QApplication::activeModalWidget();
            QVERIFY(settings);
            const QString problem =
                checkDialog(settings, [&] { settings->findChild<QPushButton*>("StateOfCharge")->click(); });
            QVERIFY2(problem.isEmpty(), qPrintable("StateOfCharge: " + problem));
            settings->close();
        });
        o.w->openSettings();
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"

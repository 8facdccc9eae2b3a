#include "gui/ScreenshotRun.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

#include "gui/AnalysisPanel.h"
#include "gui/MainWindow.h"
#include "gui/PowerPageWindow.h"
#include "power/GeneratorStore.h"
#include "session/GeneratorCommands.h"
#include "session/PowerPage.h"
#include "session/Session.h"

namespace skyloom::gui {

namespace {

// Lets the window manager place and the windows paint.
void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString sizeText(const QSize& s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

}  // namespace

void ScreenshotRun::start(MainWindow& w) const {
    const ScreenshotRun run = *this;
    QTimer::singleShot(0, &w, [run, &w] {
        QTextStream err(stderr);
        QDir().mkpath(run.folder);
        const QDir out(run.folder);
        const QSize screen = w.screen()->size();
        bool ok = true;
        auto save = [&](QWidget& shown, const QString& name) {
            settle(600);
            const QString path = out.filePath(name);
            if (!shown.grab().save(path)) {
                err << "could not write " << path << "\n";
                ok = false;
            } else {
                err << "wrote " << path << "\n";
            }
        };
        w.showPage(false);
        w.showMaximized();
        settle(800);
        if (!w.analysisPanel()->analyseStation(run.station)) {
            err << "station " << run.station << " could not be analysed\n";
            QApplication::exit(1);
            return;
        }
        PowerPageWindow* p = w.openPowerPage();
        std::string name = run.generator.toStdString();
        if (name.empty()) {
            // The first supplied generator of the list, the tallest first.
            power::GeneratorStore store(w.powerPage().session().mainDb().db());
            for (const std::string& n : p->generators().list())
                if (auto g = store.findByName(n); g && g->orgData != 0) {
                    name = n;
                    break;
                }
        }
        if (!p->generators().choose(name)) {
            err << "there is no generator named '" << QString::fromStdString(name) << "'\n";
            QApplication::exit(1);
            return;
        }
        p->refresh();
        p->setWindowState(Qt::WindowMaximized);
        p->show();
        settle(800);
        save(w, "main-analysis-page-" + sizeText(screen) + ".png");
        save(*p, "power-page-" + sizeText(screen) + ".png");
        p->hide();
        w.showPage(true);
        save(w, "order-data-page-" + sizeText(screen) + ".png");
        w.showPage(false);
        QApplication::exit(ok ? 0 : 1);
    });
}

}  // namespace skyloom::gui

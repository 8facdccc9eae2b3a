#include "gui/MainWindow.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QVBoxLayout>

#include "core/Constants.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include "session/Session.h"
#include "session/StationSummary.h"

namespace skyloom::gui {

QString MainWindow::pageCaption(bool orderPage) {
    QString version = QString::fromStdString(core::formatNumber(core::kProgramVersion, "#.0"));
    return (orderPage ? QStringLiteral("  Order Data Page of Skyloom - Wind Data Display Program V")
                      : QStringLiteral("  Analysis Page of Skyloom - Wind Data Display Program V")) +
           version;
}

MainWindow::MainWindow(session::Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
    setWindowTitle(pageCaption(session_.onPage == "Order"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    summary_ = new QLabel(central);
    summary_->setWordWrap(true);
    summary_->setObjectName("Sumdat");
    count_ = new QLabel(central);
    count_->setObjectName("StationCount");
    QFont big = summary_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    summary_->setFont(big);
    layout->addStretch(1);
    summary_->setAlignment(Qt::AlignCenter);
    layout->addWidget(summary_);
    count_->setAlignment(Qt::AlignCenter);
    layout->addWidget(count_);
    layout->addStretch(2);
    setCentralWidget(central);
    buildMenus();
    refreshStationInfo();
    resize(1100, 700);
}

void MainWindow::refreshStationInfo() {
    summary_->setText(QString::fromUtf8(session::kNoStationPrompt));
    const auto& stations = session_.stations().stations();
    int withData = session_.mainDb().db().execAndGet("SELECT count(*) FROM havedata").getInt();
    count_->setText(QStringLiteral("%1 radiosonde stations known, %2 with data on this computer")
                        .arg(stations.size())
                        .arg(withData));
}

void MainWindow::buildMenus() {
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->addAction(QStringLiteral("Repair Data Structure"), this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        bool ok = session_.repairMainDatabase();
        QApplication::restoreOverrideCursor();
        if (!ok) emit endRequested();
        refreshStationInfo();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    QAction* revert = help->addAction(QStringLiteral("Revert to last Program Version"), this, [this] {
        if (session_.revert()) emit endRequested();
    });
    revert->setVisible(session_.revertVisible);
    help->addAction(QStringLiteral("Revision History"), this, [this] {
        session_.prompter().longMessage(core::revisionHistoryText(), "Revision History");
    });
    help->addAction(QStringLiteral("About"), this, [this] {
        session_.prompter().message(
            "Skyloom " + core::formatNumber(core::kProgramVersion, "#.0") +
                ": wind statistics, generator output and money of radiosonde sites, from the ground to 5000 feet.",
            "About");
    });
}

}  // namespace skyloom::gui

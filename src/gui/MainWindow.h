#pragma once

#include <QLabel>
#include <QMainWindow>

namespace skyloom::session { class Session; }

namespace skyloom::gui {

// The Main Page: the window the user works in.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(session::Session& session, QWidget* parent = nullptr);

    // "  Analysis Page of Skyloom - Wind Data Display Program V24.0"
    static QString pageCaption(bool orderPage);
    QString summaryText() const { return summary_->text(); }
    QString stationCountText() const { return count_->text(); }

signals:
    // The program must end (Revert handed over to the updater).
    void endRequested();

private:
    void buildMenus();
    void refreshStationInfo();

    session::Session& session_;
    QLabel* summary_ = nullptr;
    QLabel* count_ = nullptr;
};

}  // namespace skyloom::gui

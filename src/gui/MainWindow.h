#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace skyloom::session { class Session; }

namespace skyloom::gui {

class GuiProgress;
class HelpWindow;
class SettingsDialog;

// The Main Page: the map, the site lists, the wind graphs and the study list on
// two pages (Analysis and Order Data), the menus and the wait label.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(session::Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // "  Analysis Page of Skyloom - Wind Data Display Program V24.0"
    static QString pageCaption(bool orderPage);
    bool orderPageShown() const { return orderPage_; }
    // `OrderBut`: shows the other page and remembers it in "OnPage".
    void showPage(bool orderPage);

    QString summaryText() const;
    QString stationCountText() const;
    SettingsDialog* settingsDialog() const { return settings_; }
    HelpWindow* helpWindow() const { return help_; }
    GuiProgress& progress() { return *progress_; }
    QLabel* waitLabel() const { return wait_; }
    // Every menu entry by its control name ("mnuUnits", ...).
    QAction* menuEntry(const QString& name) const;

signals:
    // The program must end (Revert handed over to the updater).
    void endRequested();

public slots:
    void openSettings();
    void openHelp();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void buildPages();
    void refreshStationInfo();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption);
    void laterEntry(QAction* entry, const QString& reason);
    void placeWaitLabel();
    void outputMainPage(int code);

    session::Session& session_;
    bool orderPage_ = false;
    QPushButton* orderBut_ = nullptr;
    QLabel* pageHelp_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* wait_ = nullptr;
    GuiProgress* progress_ = nullptr;
    SettingsDialog* settings_ = nullptr;
    HelpWindow* help_ = nullptr;
};

}  // namespace skyloom::gui

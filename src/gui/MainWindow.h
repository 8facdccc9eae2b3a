#pragma once

#include <memory>
#include <optional>

#include <QMainWindow>
#include <QEvent>
#include <QPointer>

#include "display/MapModel.h"

class QAction;
class QDockWidget;
class QKeyEvent;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace skyloom::session {
class PowerPage;
class Session;
class AnalysisCommands;
class PowerListener;
class StudyCommands;
class SiteAnalysis;
class SoundingViewer;
struct ViewerResponse;
}  // namespace skyloom::session

namespace skyloom::gui {

class AnalysisPanel;
class AnimationPlayer;
class StudyPanel;
class DragField;
class GuiProgress;
class MapWidget;
class OrderPanel;
class PowerGraphsPanel;
class SiteListWidget;
class PowerPageWindow;
class HelpWindow;
class ImportControlFrame;
class SettingsDialog;
class WindResourceWindow;

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
    MapWidget* mapWidget() const { return map_; }
    display::MapModel& mapModel() { return mapModel_; }
    OrderPanel* orderPanel() const { return orderPanel_; }
    AnalysisPanel* analysisPanel() const { return analysisPanel_; }
    session::SiteAnalysis& siteAnalysis();
    StudyPanel* studyPanel() const { return studyPanel_; }
    session::StudyCommands& studies();
    session::PowerPage& powerPage() { return *page_; }
    // Opens (or raises) the Power Page window.
    PowerPageWindow* openPowerPage();
    // Opens (or raises) the "Wind Resource" window of the analysed site, at the
    // given height in feet (none: the height it shows, at first the height of interest).
    WindResourceWindow* openWindResource(std::optional<double> heightFeet = std::nullopt);
    // The graphs of the Power Page window; nullptr until the window was opened.
    PowerGraphsPanel* powerGraphs() const { return powerGraphs_; }
    session::AnalysisCommands& analyses();
    // `ShowHideStudyBut`: shows or hides the study panel, kept in "StudyVisible".
    void showStudyPanel(bool visible);
    QString tlatText() const;
    QString tlonText() const;
    // Shows the map model's coordinates, lists and labels.
    void refreshFromMap();
    // Fills the map's stations for both pages (after start-up, new data or a repair).
    void refreshMapStations();
    // The "Import Control" frame, docked below the pages and shown when an import needs it.
    ImportControlFrame* importControl() const { return importControl_; }
    QDockWidget* importDock() const { return importDock_; }
    // The sounding viewer that the keys of this window, the Power Page and the help window steer.
    session::SoundingViewer& viewer() { return *viewer_; }
    AnimationPlayer* animationPlayer() const { return player_; }
    // The Print menu's outputs of either page: code 1, 2, 3, 5 (Main Page) and 11,
    // 12, 13, 15 (Power Page) print landscape, portrait, copy, save as bitmap.
    // False when nothing was output (a cancelled name, no printer and no PDF).
    bool outputMainPage(int code);
    bool outputPowerPage(int code);

    // Tools `mnuPPG` and `mnuEDC`: whether the power curve of the Power Page shows
    // the power band and the energy distribution curves.
    bool powerBandShown() const;
    bool energyDistributionShown() const;

    // Start-up: when the stored analyses were computed at another calculation
    // level, asks whether to recalculate them and does, with its progress in the
    // wait label. The window runs it by itself once it is first shown. True when
    // the level is this program's afterwards.
    bool offerRecalculation();

signals:
    // The program must end (Revert handed over to the updater).
    void endRequested();
    // `mnuPPG` or `mnuEDC` was switched: the Power Page redraws its power curve.
    void powerCurveExtrasChanged(bool powerBand, bool energyDistribution);

public slots:
    void openSettings();
    void openHelp();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Sees the keys of the Main Page, the Power Page and the help window before
    // their controls do, and hands them to the viewer.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildPages();
    void refreshStationInfo();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption);
    void laterEntry(QAction* entry, const QString& reason);
    void placeWaitLabel();
    void fitMap(QSize window);
    void siteAction(const display::MapAction& action);
    void forwardKey(QWidget* form, QKeyEvent* key, bool press);
    void obey(const session::ViewerResponse& response);
    long long shownAnalysisId();
    // The time stamp of the sounding the viewer shows (none without soundings).
    std::optional<double> shownSoundingTime();
    void buildImportControl();
    void offerTextImport(SiteListWidget* list, const QPoint& at);

    session::Session& session_;
    int unitsListener_ = 0;
    bool orderPage_ = false;
    display::MapModel mapModel_;
    MapWidget* map_ = nullptr;
    QWidget* mapHolder_ = nullptr;
    OrderPanel* orderPanel_ = nullptr;
    std::unique_ptr<session::PowerPage> page_;
    PowerPageWindow* powerWindow_ = nullptr;
    PowerGraphsPanel* powerGraphs_ = nullptr;
    WindResourceWindow* resourceWindow_ = nullptr;
    StudyPanel* studyPanel_ = nullptr;
    QPushButton* showHideStudy_ = nullptr;
    AnalysisPanel* analysisPanel_ = nullptr;
    std::vector<display::Station> allStations_;
    std::vector<display::Station> dataStations_;
    QStackedWidget* right_ = nullptr;
    QScrollArea* graphsScroll_ = nullptr;
    DragField* tlat_ = nullptr;
    DragField* tlon_ = nullptr;
    QLabel* refSite_ = nullptr;
    QPushButton* clearLegend_ = nullptr;
    QPushButton* orderBut_ = nullptr;
    QLabel* pageHelp_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* wait_ = nullptr;
    GuiProgress* progress_ = nullptr;
    SettingsDialog* settings_ = nullptr;
    HelpWindow* help_ = nullptr;
    ImportControlFrame* importControl_ = nullptr;
    QDockWidget* importDock_ = nullptr;
    std::unique_ptr<session::SoundingViewer> viewer_;
    AnimationPlayer* player_ = nullptr;
    // The key press last handed to the viewer and the widget it reached, so that
    // the same press climbing to a parent widget is not handled twice.
    // Cleared as soon as control returns to the event loop, so only the
    // climbing of one delivery can match; the receiver may be deleted meanwhile.
    const QEvent* lastKey_ = nullptr;
    int lastKeyCode_ = 0;
    QEvent::Type lastKeyType_ = QEvent::None;
    QPointer<QWidget> lastKeyReceiver_;
    // The recalculation waits for the window to be shown.
    bool recalculationPending_ = false;
};

}  // namespace skyloom::gui

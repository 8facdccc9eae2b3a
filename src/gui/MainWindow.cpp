#include "gui/MainWindow.h"

#include <set>

#include <QApplication>
#include <QKeyEvent>
#include <QStatusBar>
#include <QResizeEvent>
#include <QClipboard>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/AnalysisStore.h"
#include "core/Constants.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include <SQLiteCpp/Statement.h>

#include "display/SiteLine.h"
#include "gui/AnalysisPanel.h"
#include "gui/AnimationPlayer.h"
#include "gui/GuiProgress.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/MapWidget.h"
#include "gui/OrderPanel.h"
#include "gui/SiteListWidget.h"
#include "gui/StudyPanel.h"
#include "gui/HelpWindow.h"
#include "gui/ImportControlFrame.h"
#include "gui/PageCapture.h"
#include "gui/PageOutput.h"
#include "gui/PowerGraphWidgets.h"
#include "gui/PowerPageWindow.h"
#include "gui/WindResourceWindow.h"
#include "gui/SettingsDialog.h"
#include "core/StationIndex.h"
#include "power/GeneratorStore.h"
#include "session/AnalysisCommands.h"
#include "session/DataSupplier.h"
#include "session/PowerListener.h"
#include "session/PowerPage.h"
#include "session/StudyCommands.h"
#include "analysis/StudyStore.h"
#include "session/Session.h"
#include "session/SiteAnalysis.h"
#include "session/SoundingViewer.h"
#include "session/StationSummary.h"
#include "session/StudyCommands.h"

namespace skyloom::gui {

session::SiteAnalysis& MainWindow::siteAnalysis() { return page_->site(); }
session::StudyCommands& MainWindow::studies() { return page_->studies(); }
session::AnalysisCommands& MainWindow::analyses() { return page_->analyses(); }

namespace {
constexpr int kRightColumnWidth = 440;
constexpr int kBelowMapHeight = 300;
constexpr int kBelowMapHeightWithStudy = 380;
// The wait label of long work, and the flatter banner of the animation.
const char* const kWaitStyle =
    "QLabel { background: #fff8c0; border: 2px solid #806000; padding: 14px; font-weight: bold; }";
const char* const kBannerStyle =
    "QLabel { background: #fff8c0; border: 1px solid #806000; padding: 2px; font-weight: bold; }";
}

QString MainWindow::pageCaption(bool orderPage) {
    QString version = QString::fromStdString(core::formatNumber(core::kProgramVersion, "#.0"));
    return (orderPage ? QStringLiteral("  Order Data Page of Skyloom - Wind Data Display Program V")
                      : QStringLiteral("  Analysis Page of Skyloom - Wind Data Display Program V")) +
           version;
}

MainWindow::MainWindow(session::Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
    setObjectName("Main");
    buildPages();
    settings_ = new SettingsDialog(session_, this);
    connect(settings_, &SettingsDialog::dotSizeChanged, this, &MainWindow::refreshMapStations);
    connect(settings_, &SettingsDialog::displayChanged, analysisPanel_, &AnalysisPanel::refreshGraphs);
    // A new unit mode, from the settings or an import, redraws the Analysis page at once.
    unitsListener_ = session_.addUnitsListener([this] { analysisPanel_->refreshGraphs(); });
    connect(settings_, &SettingsDialog::dataColorChanged, analysisPanel_, &AnalysisPanel::setBandColor);
    connect(settings_, &SettingsDialog::ignoreZeroChanged, analysisPanel_, &AnalysisPanel::setIgnoreZero);
    connect(settings_, &SettingsDialog::analysisInputsChanged, this, [this] {
        if (page_->site().currentWmo() != 0) analysisPanel_->analyseStation(page_->site().currentWmo());
    });
    help_ = new HelpWindow(this);
    buildImportControl();
    buildMenus();
    // F1 and the other viewer keys reach the viewer from every form of the program.
    qApp->installEventFilter(this);
    refreshStationInfo();
    showPage(session_.onPage == "Order");
    showStudyPanel(session_.studyVisible);
    resize(1280, 820);
    // Analyses stored at another calculation level are offered for recalculation
    // once the window is up; with none stored the level is simply this program's.
    if (analyses().recalculationDue()) {
        if (analyses().store().countPresent() == 0)
            analyses().recalculateAll(nullptr);
        else
            recalculationPending_ = true;
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!recalculationPending_) return;
    recalculationPending_ = false;
    QTimer::singleShot(0, this, [this] { offerRecalculation(); });
}

bool MainWindow::offerRecalculation() {
    session::AnalysisCommands& commands = analyses();
    if (!commands.recalculationDue()) return true;
    if (!commands.confirmRecalculation()) return false;
    progress_->begin(QStringLiteral("Recalculating the stored analyses"));
    const session::AnalysisCommands::Recalculation run = commands.recalculateAll(progress_);
    progress_->end();
    // The last analysis recalculated is the one the pages show now.
    analysisPanel_->showAnalysed();
    studyPanel_->refresh();
    if (powerWindow_) powerWindow_->refresh();
    if (!run.cancelled && !run.failed.empty())
        session_.prompter().message(session::recalculationFailureMessage(static_cast<long long>(run.failed.size()),
                                                                         run.count, run.failed));
    return run.levelStored;
}

// The Power Page works on page_, so it goes before page_ does.
MainWindow::~MainWindow() {
    session_.removeUnitsListener(unitsListener_);
    // Hiding the dock while the window goes would fit the map of a half-destroyed window.
    if (importDock_) importDock_->disconnect(this);
    qApp->removeEventFilter(this);
    delete resourceWindow_;
    delete powerWindow_;
    // The study grid may still hold an open comment editor, which stores its
    // text on closing: it goes while the study commands are still there.
    delete studyPanel_;
    // The animation plays through the viewer, which goes with the members.
    delete player_;
}

PowerPageWindow* MainWindow::openPowerPage() {
    if (!powerWindow_) {
        powerWindow_ = new PowerPageWindow(*page_, this);
        // The graphs follow every result the page shows, the Shift-chosen curve and the Tools entries.
        powerGraphs_ = new PowerGraphsPanel(powerWindow_);
        powerGraphs_->setCurveExtras(powerBandShown(), energyDistributionShown());
        powerGraphs_->setGrouping(viewer_->powerGraphGroup());
        powerGraphs_->setAlternativeMode(viewer_->energyGraphAlternative());
        powerWindow_->graphsLayout()->addWidget(powerGraphs_);
        connect(powerWindow_, &PowerPageWindow::resultsShown, powerGraphs_, [this] {
            powerGraphs_->refresh(*page_);
            powerGraphs_->setComparison(powerWindow_->comparisonCurve());
            powerGraphs_->setCurrentSounding(shownSoundingTime());
        });
        connect(this, &MainWindow::powerCurveExtrasChanged, powerGraphs_, &PowerGraphsPanel::setCurveExtras);
        connect(powerWindow_, &PowerPageWindow::windResourceRequested, this,
                [this] { openWindResource(page_->heightFeet()); });
        connect(powerWindow_, &PowerPageWindow::resultsShown, this, [this] {
            if (resourceWindow_ && resourceWindow_->isVisible()) resourceWindow_->refresh();
        });
        connect(powerWindow_, &PowerPageWindow::studyChanged, studyPanel_, &StudyPanel::refresh);
    }
    powerWindow_->refresh();
    powerWindow_->show();
    powerWindow_->raise();
    return powerWindow_;
}

WindResourceWindow* MainWindow::openWindResource(std::optional<double> heightFeet) {
    if (!resourceWindow_) {
        resourceWindow_ = new WindResourceWindow(*page_, this);
        // It follows every analysis of a site (and the Power Page's results, above).
        connect(analysisPanel_, &AnalysisPanel::siteShown, resourceWindow_, [this] {
            if (resourceWindow_->isVisible()) resourceWindow_->refresh();
        });
    }
    if (heightFeet) resourceWindow_->showAt(*heightFeet);
    else resourceWindow_->refresh();
    resourceWindow_->show();
    resourceWindow_->raise();
    return resourceWindow_;
}

QString MainWindow::summaryText() const { return analysisPanel_->summaryLabel()->text(); }
QString MainWindow::stationCountText() const { return count_->text(); }

void MainWindow::buildPages() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);

    auto* bar = new QHBoxLayout;
    orderBut_ = new QPushButton(central);
    orderBut_->setObjectName("OrderBut");
    orderBut_->setMinimumWidth(110);
    connect(orderBut_, &QPushButton::clicked, this, [this] { showPage(!orderPage_); });
    bar->addWidget(orderBut_);
    auto* powerPageBut = new QPushButton(QStringLiteral("Power Page"), central);
    powerPageBut->setObjectName("PowerPageBut");
    connect(powerPageBut, &QPushButton::clicked, this, [this] { openPowerPage(); });
    bar->addWidget(powerPageBut);
    bar->addSpacing(10);
    bar->addWidget(new QLabel(QStringLiteral("Lat:"), central));
    tlat_ = new DragField(central);
    tlat_->setObjectName("Tlat");
    tlat_->setFixedWidth(70);
    bar->addWidget(tlat_);
    bar->addWidget(new QLabel(QStringLiteral("Lon:"), central));
    tlon_ = new DragField(central);
    tlon_->setObjectName("Tlon");
    tlon_->setFixedWidth(70);
    bar->addWidget(tlon_);
    for (DragField* f : {tlat_, tlon_}) {
        f->setDragText([this] { return QString::fromStdString(mapModel_.coordinatesText()); });
        connect(f, &DragField::lineDropped, this, [this](const QString& line) {
            if (auto site = display::SiteLine::parse(line.toStdString())) {
                mapModel_.centreOn(*site);
                refreshFromMap();
            }
        });
    }
    refSite_ = new QLabel(central);
    refSite_->setObjectName("RefSite");
    bar->addSpacing(10);
    bar->addWidget(refSite_);
    bar->addStretch(1);
    clearLegend_ = new QPushButton(QStringLiteral("Clear Legend"), central);
    clearLegend_->setObjectName("ClearLegend");
    connect(clearLegend_, &QPushButton::clicked, this, [this] {
        map_->scene().legend = false;
        map_->sceneChanged();
        clearLegend_->hide();
    });
    bar->addWidget(clearLegend_);
    layout->addLayout(bar);

    pageHelp_ = new QLabel(central);
    pageHelp_->setObjectName("PageHelp");
    pageHelp_->setWordWrap(true);
    layout->addWidget(pageHelp_);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    map_ = new MapWidget(mapModel_, nullptr);
    map_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Centred by stretches, not by an alignment, so that the map's row never takes
    // more height than the map.
    mapHolder_ = new QWidget(central);
    auto* mapRow = new QHBoxLayout(mapHolder_);
    mapRow->setContentsMargins(0, 0, 0, 0);
    mapRow->addStretch(1);
    mapRow->addWidget(map_);
    mapRow->addStretch(1);
    left->addWidget(mapHolder_);
    connect(map_, &MapWidget::modelChanged, this, &MainWindow::refreshFromMap);
    connect(map_, &MapWidget::siteAction, this, &MainWindow::siteAction);

    orderPanel_ = new OrderPanel(session_, mapModel_, central);
    connect(orderPanel_, &OrderPanel::mapChanged, this, &MainWindow::refreshFromMap);
    connect(orderPanel_, &OrderPanel::orderChanged, this, &MainWindow::refreshMapStations);

    wait_ = new QLabel(central);
    wait_->setObjectName("PW");
    wait_->setAlignment(Qt::AlignCenter);
    wait_->setStyleSheet(kWaitStyle);
    wait_->hide();
    progress_ = new GuiProgress(wait_, this);

    // One road for every analysis: site, generator, energy, money, saved record.
    // The first generator runs at its hub height; the Main Page shows its output
    // at the height of interest and in the year graph.
    page_ = std::make_unique<session::PowerPage>(session_);
    if (auto first = power::GeneratorStore(session_.mainDb().db()).first()) page_->chooseGenerator(first->name);
    analysisPanel_ = new AnalysisPanel(session_, page_->site(), *progress_, central);
    viewer_ = std::make_unique<session::SoundingViewer>(session_, page_->site());
    analysisPanel_->setViewer(viewer_.get());
    player_ = new AnimationPlayer(*viewer_, page_->site(), *analysisPanel_, wait_, this);
    // The work's wait label stands in the middle; the animation's banner stands over
    // the top rows of the left column, where it hides neither the map nor a graph.
    progress_->place = [this] { placeWaitLabel(); };
    player_->setBannerPlacer([this](QLabel* banner) {
        banner->setStyleSheet(kBannerStyle);
        const int width = std::max(200, right_->geometry().left() - 8);
        const int tall = std::max(pageHelp_->geometry().bottom() - 2, banner->sizeHint().height());
        banner->setGeometry(4, 2, width, std::min(tall, mapHolder_->geometry().top() - 4));
    });
    page_->runner = [this](const std::function<session::AnalysisOutcome()>& work) {
        if (progress_->running()) return work();   // inside a running analysis (the save's recall)
        analysisPanel_->run(work);
        return analysisPanel_->lastOutcome();
    };
    analysisPanel_->setPowerFigures([this](double feet, const sounding::Units& units) -> std::optional<power::PowerAnalysis> {
        if (!page_->power().computed()) return std::nullopt;
        return page_->power().analysisAt(feet, units);
    });
    analysisPanel_->setCurrentGenerator([this] { return page_->generator(); });
    connect(analysisPanel_, &AnalysisPanel::siteShown, this, [this](long wmo) {
        if (const core::StationEntry* s = session_.stations().find(wmo))
            map_->scene().shown = MapScene::Dot{s->lat, s->lon};
        map_->update();
    });
    page_->studies().currentStudyKey = session_.lastStudy;
    page_->analyses().currentAnalysisId = session_.lastKey;
    studyPanel_ = new StudyPanel(page_->studies(), analysisPanel_->controlsArea());
    static_cast<QBoxLayout*>(analysisPanel_->controlsArea()->layout())->addWidget(studyPanel_, 2);
    connect(studyPanel_, &StudyPanel::recallRequested, this, [this](long long key) {
        page_->analyses().recallAnalysisId = key;
        page_->analyses().recallingFromGrid = true;
        page_->analyses().recallAnalysis();
        page_->analyses().recallingFromGrid = false;
        studyPanel_->refresh();
    });
    connect(studyPanel_, &StudyPanel::sitesListed, this, [this](const std::vector<long long>& wmos) {
        map_->scene().markedSites.clear();
        for (long long wmo : wmos)
            if (const core::StationEntry* s = session_.stations().find(static_cast<long>(wmo)))
                map_->scene().markedSites.push_back({s->lat, s->lon});
        map_->update();
    });
    showHideStudy_ = new QPushButton(central);
    showHideStudy_->setObjectName("ShowHideStudyBut");
    connect(showHideStudy_, &QPushButton::clicked, this, [this] { showStudyPanel(!studyPanel_->isVisible()); });
    bar->insertWidget(1, showHideStudy_);

    pages_ = new QStackedWidget(central);
    pages_->addWidget(analysisPanel_->controlsArea());
    pages_->addWidget(orderPanel_->nearArea());
    left->addWidget(pages_, 1);
    body->addLayout(left, 3);

    right_ = new QStackedWidget(central);
    right_->setFixedWidth(kRightColumnWidth);
    // On a window too short for the graphs (the import frame open below them on a
    // small screen) the column scrolls; squeezed below their least height the
    // graphs would draw over their captions and buttons.
    graphsScroll_ = new QScrollArea(right_);
    graphsScroll_->setObjectName("GraphScroll");
    graphsScroll_->setFrameShape(QFrame::NoFrame);
    graphsScroll_->setWidgetResizable(true);
    graphsScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The arrow keys belong to the sounding viewer: the column scrolls by its bar and the wheel.
    graphsScroll_->setFocusPolicy(Qt::NoFocus);
    graphsScroll_->setWidget(analysisPanel_->graphsArea());
    right_->addWidget(graphsScroll_);
    right_->addWidget(orderPanel_->orderArea());
    body->addWidget(right_, 2);
    layout->addLayout(body, 1);
    setCentralWidget(central);
    count_ = new QLabel(this);
    count_->setObjectName("StationCount");
    statusBar()->addPermanentWidget(count_);
    wait_->raise();

    refreshMapStations();
    refreshFromMap();
}

QString MainWindow::tlatText() const { return tlat_->text(); }
QString MainWindow::tlonText() const { return tlon_->text(); }

void MainWindow::refreshMapStations() {
    MapScene& scene = map_->scene();
    scene.allSites.clear();
    scene.dataSites.clear();
    scene.orderSites.clear();
    for (const auto& s : session_.stations().stations()) scene.allSites.push_back({s.lat, s.lon});
    std::set<long> withData;
    SQLite::Statement st(session_.mainDb().db(), "SELECT wmo FROM havedata");
    while (st.executeStep()) withData.insert(static_cast<long>(st.getColumn(0).getInt64()));
    allStations_ = display::mapStations(session_.stations());
    dataStations_.clear();
    for (const auto& s : allStations_)
        if (withData.count(s.wmo)) {
            dataStations_.push_back(s);
            scene.dataSites.push_back({s.lat, s.lon});
        }
    // The white dot and the circle's lists look at the stations the page shows;
    // a new list clears them, so it is only handed over when it changed.
    const auto& shown = orderPage_ ? allStations_ : dataStations_;
    if (mapModel_.stations().size() != shown.size() ||
        (!shown.empty() && mapModel_.stations().front().wmo != shown.front().wmo))
        mapModel_.setStations(shown);
    for (const auto& line : orderPanel_->orderLines())
        if (auto site = display::SiteLine::parse(line)) scene.orderSites.push_back({site->lat(), site->lon()});
    scene.dataDotRadius = display::dataDotRadius(session_.dotSize);
    map_->sceneChanged();
}

void MainWindow::refreshFromMap() {
    tlat_->setText(QString::fromStdString(mapModel_.tlat()));
    tlon_->setText(QString::fromStdString(mapModel_.tlon()));
    if (const auto& ref = mapModel_.referenceSite()) {
        refSite_->setText(QString::fromStdString(ref->label));
        map_->scene().reference = MapScene::Dot{ref->lat, ref->lon};
    }
    orderPanel_->refreshFromMap();
    map_->update();
}

void MainWindow::siteAction(const display::MapAction& action) {
    refreshFromMap();
    const auto& ref = mapModel_.referenceSite();
    analysisPanel_->setComparedWithReference(action.kind == display::MapAction::Kind::CompareWithReference &&
                                             ref && ref->wmo != action.wmo);
    analysisPanel_->analyseStation(action.wmo);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The map keeps the proportions of the world picture (360 by 178 degrees) and
    // takes the width the right-hand column leaves.
    fitMap(event->size());
    placeWaitLabel();
}

void MainWindow::fitMap(QSize window) {
    // The lists and controls below the map keep their room; the study list needs more.
    const bool study = !orderPage_ && studyPanel_ && studyPanel_->isVisibleTo(this);
    int below = study ? kBelowMapHeightWithStudy : kBelowMapHeight;
    // The pages below the map keep the room their wrapped help lines, lists and
    // buttons need at the column's width, so that nothing stands over the map.
    if (pages_) {
        below = std::max(below, pages_->minimumSizeHint().height());
        if (QWidget* page = pages_->currentWidget(); page && page->layout() && page->layout()->hasHeightForWidth())
            below = std::max(below, page->layout()->totalMinimumHeightForWidth(std::max(200, window.width() - kRightColumnWidth - 24)));
    }
    const int byWidth = (window.width() - kRightColumnWidth - 24) * 178 / 360;
    const int dock = importDock_ && importDock_->isVisibleTo(this) ? importDock_->sizeHint().height() : 0;
    // The central area less its rows above the map (the button bar and the page's
    // help line, wrapped at the window's width), the layout's margins and spacings.
    auto* rows = static_cast<QBoxLayout*>(centralWidget()->layout());
    const int central = window == size() && centralWidget()->height() > 0
                            ? centralWidget()->height()
                            : window.height() - menuBar()->sizeHint().height() - statusBar()->sizeHint().height();
    const int above = rows->itemAt(0)->sizeHint().height() + pageHelp_->heightForWidth(std::max(100, window.width() - 12));
    const int byHeight = central - above - below - dock - 4 * rows->spacing() - 8 - 4;
    const int h = std::max(178, std::min(byWidth, byHeight));
    map_->setFixedSize(h * 360 / 178, h);
    mapHolder_->setFixedHeight(h);
    // Once the layout has placed the rows, a map that still leaves the pages below
    // less than their least height gives up the difference.
    QTimer::singleShot(0, this, [this] {
        auto* left = mapHolder_->parentWidget()->layout();
        const int gap = left ? left->spacing() : 4;
        const int squeezed = std::max(pages_->minimumSizeHint().height() - pages_->height(),
                                      mapHolder_->geometry().bottom() + 1 + gap - pages_->geometry().top());
        if (squeezed > 0 && mapHolder_->height() > 178 && pages_->isVisible()) {
            const int h = std::max(178, mapHolder_->height() - squeezed);
            map_->setFixedSize(h * 360 / 178, h);
            mapHolder_->setFixedHeight(h);
        }
    });
}

void MainWindow::placeWaitLabel() {
    if (!wait_) return;
    if (wait_->styleSheet() != QLatin1String(kWaitStyle)) wait_->setStyleSheet(kWaitStyle);
    wait_->adjustSize();
    QWidget* c = centralWidget();
    wait_->move((c->width() - wait_->width()) / 2, (c->height() - wait_->height()) / 3);
}

void MainWindow::showPage(bool orderPage) {
    orderPage_ = orderPage;
    session_.onPage = orderPage ? "Order" : "Wind";
    session_.settings().set("OnPage", session_.onPage);
    setWindowTitle(pageCaption(orderPage));
    orderBut_->setText(orderPage ? QStringLiteral("See Analysis") : QStringLiteral("Order Data"));
    pages_->setCurrentIndex(orderPage ? 1 : 0);
    showHideStudy_->setVisible(!orderPage);
    fitMap(size());
    right_->setCurrentIndex(orderPage ? 1 : 0);
    map_->scene().orderPage = orderPage;
    refreshMapStations();
    pageHelp_->setText(orderPage ? QStringLiteral(" Black Dots are Radiosonde sites. The White Circle is the area of "
                                                  "current interest and the list of sites in the circle are in the "
                                                  "left lower list.")
                                 : QStringLiteral(" Black Dots are sites with data. Red Dot is the site whose data is "
                                                  "displayed. Cyan Dot is the site used as a Reference. White Dot is "
                                                  "the closest site to the Cursor."));
}

void MainWindow::showStudyPanel(bool visible) {
    studyPanel_->setVisible(visible);
    if (visible) studyPanel_->refresh();
    showHideStudy_->setText(visible ? QStringLiteral("Hide Study List") : QStringLiteral("Show Study List"));
    fitMap(size());
    if (visible != session_.studyVisible) {
        session_.studyVisible = visible;
        session_.settings().setFlag("StudyVisible", visible);
    }
}

void MainWindow::refreshStationInfo() {
    const auto& stations = session_.stations().stations();
    int withData = session_.mainDb().db().execAndGet("SELECT count(*) FROM havedata").getInt();
    count_->setText(QStringLiteral("%1 radiosonde stations known, %2 with data on this computer")
                        .arg(stations.size())
                        .arg(withData));
}

QAction* MainWindow::addEntry(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

void MainWindow::laterEntry(QAction* entry, const QString& reason) {
    entry->setEnabled(false);
    entry->setToolTip(reason);
    entry->setStatusTip(reason);
}

QAction* MainWindow::menuEntry(const QString& name) const { return findChild<QAction*>(name); }

bool MainWindow::powerBandShown() const { return menuEntry("mnuPPG")->isChecked(); }
bool MainWindow::energyDistributionShown() const { return menuEntry("mnuEDC")->isChecked(); }

void MainWindow::buildMenus() {
    QMenu* print = menuBar()->addMenu(QStringLiteral("Print"));
    print->setToolTipsVisible(true);
    QMenu* mainPage = print->addMenu(QStringLiteral("Main Page"));
    mainPage->setToolTipsVisible(true);
    connect(addEntry(mainPage, "mnuPrintPageLandscape",
                     QStringLiteral("Print Main Page to Default Printer - Landscape - Horizontal")),
            &QAction::triggered, this, [this] { outputMainPage(1); });
    connect(addEntry(mainPage, "mnuPrintPagePortrait",
                     QStringLiteral("Print Main Page to Default Printer - Portrait - Vertical")),
            &QAction::triggered, this, [this] { outputMainPage(2); });
    connect(addEntry(mainPage, "mnuCopyFormToClipboard", QStringLiteral("Copy bitmap of Main Page to Windows Clipboard")),
            &QAction::triggered, this, [this] { outputMainPage(3); });
    connect(addEntry(mainPage, "mnuSaveBitmap", QStringLiteral("Save the Main Page as a bitmap file")),
            &QAction::triggered, this, [this] { outputMainPage(5); });
    QMenu* powerPage = print->addMenu(QStringLiteral("Power Page"));
    powerPage->setToolTipsVisible(true);
    connect(addEntry(powerPage, "mnuPrintPageLandscape2",
                     QStringLiteral("Print Power Page to Default Printer - Landscape - Horizontal")),
            &QAction::triggered, this, [this] { outputPowerPage(11); });
    connect(addEntry(powerPage, "mnuPrintPagePortrait2",
                     QStringLiteral("Print Power Page to Default Printer - Portrait - Vertical")),
            &QAction::triggered, this, [this] { outputPowerPage(12); });
    connect(addEntry(powerPage, "mnuCopyFormToClipboard2", QStringLiteral("Copy bitmap of Power Page to Windows Clipboard")),
            &QAction::triggered, this, [this] { outputPowerPage(13); });
    connect(addEntry(powerPage, "mnuSaveBitmap2", QStringLiteral("Save the Power Page as a bitmap file")),
            &QAction::triggered, this, [this] { outputPowerPage(15); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    tools->setToolTipsVisible(true);
    connect(addEntry(tools, "mnuAveAbove",
                     QStringLiteral("Create a Study of the number of your sites with average winds above a value")),
            &QAction::triggered, this, [this] {
                // Every site is analysed (and saved) through the Power Page road with the
                // current generator and inputs; the study grid shows the result.
                page_->studies().studySitesAbove(progress_);
                studyPanel_->refresh();
            });
    QAction* band = addEntry(tools, "mnuPPG",
                             QStringLiteral("Show a Black 'Power Band Curve', the source of the generators Sweet Spot, "
                                            "on the Power Curve"));
    QAction* distribution =
        addEntry(tools, "mnuEDC", QStringLiteral("Show a Red 'Energy Distribution Curve' on Power Curve for this altitude"));
    for (QAction* a : {band, distribution}) {
        a->setCheckable(true);
        connect(a, &QAction::toggled, this,
                [this] { emit powerCurveExtrasChanged(powerBandShown(), energyDistributionShown()); });
    }
    connect(addEntry(tools, "mnuUnits", QStringLiteral("Settings")), &QAction::triggered, this,
            &MainWindow::openSettings);
    connect(addEntry(tools, "mnuRepair", QStringLiteral("Repair Data Structure")), &QAction::triggered, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool open = session_.repairMainDatabase() != core::MainDatabase::RepairResult::NotOpen;
        QApplication::restoreOverrideCursor();
        if (!open) emit endRequested();
        refreshStationInfo();
    });
    connect(addEntry(tools, "mnuCheckForDataUpdates", QStringLiteral("Download Purchased Data to this Computer")),
            &QAction::triggered, this, [this] {
                session::DataSupplier supplier(session_);
                progress_->begin(QStringLiteral("          Please wait, installing purchased data!"));
                supplier.installPurchasedData(progress_);
                progress_->end();
                analysisPanel_->fillDataSites();
                refreshMapStations();
                refreshStationInfo();
            });
    connect(addEntry(tools, "mnuRecall", QStringLiteral("Recall a Previous Analysis by its ID number")),
            &QAction::triggered, this, [this] {
                page_->analyses().recallAnalysisByNumber();
                studyPanel_->refresh();
            });
    connect(addEntry(tools, "mnuWindResource", QStringLiteral("Wind Resource")), &QAction::triggered, this,
            [this] { openWindResource(); });
    QAction* importEntry = importDock_->toggleViewAction();
    importEntry->setObjectName("mnuImportControl");
    tools->addAction(importEntry);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setToolTipsVisible(true);
    connect(addEntry(help, "mnuHelp", QStringLiteral("Show Help File")), &QAction::triggered, this,
            &MainWindow::openHelp);
    connect(addEntry(help, "mnuCheckForUpdates", QStringLiteral("Check For Program Updates")), &QAction::triggered,
            this, [this] {
                session::DataSupplier supplier(session_);
                if (supplier.checkForProgramUpdates() == session::DataSupplier::UpdateCheck::EndProgram)
                    emit endRequested();
            });
    QAction* revert = addEntry(help, "mnuRevert", QStringLiteral("Revert to last Program Version"));
    connect(revert, &QAction::triggered, this, [this] {
        if (session_.revert()) emit endRequested();
    });
    revert->setVisible(session_.revertVisible);
    connect(addEntry(help, "mnuRevHistory", QStringLiteral("Revision History")), &QAction::triggered, this,
            [this] { session_.prompter().longMessage(core::revisionHistoryText(), "Revision History"); });
    connect(addEntry(help, "mnuAbout", QStringLiteral("About")), &QAction::triggered, this, [this] {
        session_.prompter().message(
            "Skyloom " + core::formatNumber(core::kProgramVersion, "#.0") +
                ": wind statistics, generator output and money of radiosonde sites, from the ground to 5000 feet.",
            "About");
    });
}

void MainWindow::openSettings() {
    settings_->refreshFromSession();
    settings_->adjustSize();
    settings_->move(geometry().center() - settings_->rect().center());
    settings_->exec();
}

void MainWindow::openHelp() {
    help_->show();
    help_->raise();
    help_->activateWindow();
}

namespace {

PageOutputKind outputKind(int code) {
    switch (code % 10) {
    case 1: return PageOutputKind::PrintLandscape;
    case 2: return PageOutputKind::PrintPortrait;
    case 3: return PageOutputKind::Clipboard;
    default: return PageOutputKind::Bitmap;
    }
}

}  // namespace

std::optional<double> MainWindow::shownSoundingTime() {
    const int n = viewer_->currentSounding();
    const sounding::SoundingSet& set = page_->site().soundings();
    if (n < 1 || n > set.count()) return std::nullopt;
    return set.time[static_cast<std::size_t>(n)][0];
}

long long MainWindow::shownAnalysisId() {
    session::StudyCommands& s = studies();
    if (s.gridRow >= 0 && static_cast<std::size_t>(s.gridRow) < s.gridRows.size())
        return static_cast<long long>(analysis::valueNumber(s.gridRows[static_cast<std::size_t>(s.gridRow)][0]));
    return analyses().currentAnalysisId;
}

bool MainWindow::outputMainPage(int code) {
    CapturedPage page;
    page.window = this;
    page.unrolled = graphsScroll_;
    if (auto* buttons = findChild<QWidget*>("ButtonsF")) page.editButtons.push_back(buttons);
    page.capturing = [this](bool on) { map_->setCapturing(on); };
    page.bitmapBase = "Main Page Analysis ";
    const bool done = outputPage(page, outputKind(code), code, analyses(), session_.prompter(), session_.appDir(),
                                 shownAnalysisId());
    map_->setFocus();
    return done;
}

bool MainWindow::outputPowerPage(int code) {
    PowerPageWindow* power = openPowerPage();
    CapturedPage page;
    page.window = power;
    page.editButtons = power->editButtons();
    page.capturing = [this](bool on) { map_->setCapturing(on); };
    page.bitmapBase = "Power Page Analysis ";
    return outputPage(page, outputKind(code), code, analyses(), session_.prompter(), session_.appDir(),
                      shownAnalysisId());
}

void MainWindow::buildImportControl() {
    importControl_ = new ImportControlFrame(session_, *progress_);
    importDock_ = new QDockWidget(QStringLiteral("Import Control"), this);
    importDock_->setObjectName("ImportDock");
    importDock_->setWidget(importControl_);
    // The frame carries its own title; the Tools menu shows and hides it.
    importDock_->setTitleBarWidget(new QWidget(importDock_));
    importDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, importDock_);
    importDock_->hide();
    connect(importDock_, &QDockWidget::visibilityChanged, this, [this] { fitMap(size()); });
    connect(importControl_, &ImportControlFrame::wantsToBeSeen, this, [this] {
        importDock_->show();
        importDock_->raise();
    });
    // The sounding under review is drawn on the Analysis page's graphs.
    connect(importControl_, &ImportControlFrame::soundingUnderReview, this,
            [this](const sounding::SoundingRecord& record) {
                if (orderPage_) showPage(false);
                analysisPanel_->showSingleSounding(record);
                // Once the import frame has taken its room, the column's range is known.
                QTimer::singleShot(0, this, [this] {
                    graphsScroll_->ensureWidgetVisible(analysisPanel_->graph2(), 0, 0);
                });
            });
    connect(importControl_, &ImportControlFrame::reviewEnded, analysisPanel_, &AnalysisPanel::endSingleSounding);
    connect(importControl_, &ImportControlFrame::importsFinished, this, [this](bool anyImported) {
        // New soundings in a station file: the next analysis reads the file again.
        if (anyImported) page_->site().invalidateLoadedSet();
        analysisPanel_->fillDataSites();
        refreshMapStations();
        refreshStationInfo();
        analysisPanel_->refreshGraphs();
    });
    // The text-file import of a station starts from the site lists.
    for (SiteListWidget* list : {orderPanel_->nearList(), analysisPanel_->dataSitesList()}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& at) { offerTextImport(list, at); });
    }
}

void MainWindow::offerTextImport(SiteListWidget* list, const QPoint& at) {
    QListWidgetItem* item = list->itemAt(at);
    const long wmo = item ? session::wmoOfSiteText(SiteListWidget::lineOf(item)) : 0;
    if (wmo == 0) return;
    QMenu menu(this);
    QAction* entry = menu.addAction(QStringLiteral("Import the Text Data Files of this site"));
    if (menu.exec(list->viewport()->mapToGlobal(at)) == entry) importControl_->importStationTextFiles(wmo);
}

namespace {

// The Windows virtual-key code of a Qt key (0 when the viewer has no use for it).
int viewerKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Control: return session::viewerkey::Control;
    case Qt::Key_Alt: return session::viewerkey::Alt;
    case Qt::Key_Escape: return session::viewerkey::Escape;
    case Qt::Key_Left: return session::viewerkey::Left;
    case Qt::Key_Up: return session::viewerkey::Up;
    case Qt::Key_Right: return session::viewerkey::Right;
    case Qt::Key_Down: return session::viewerkey::Down;
    case Qt::Key_F1: return session::viewerkey::F1;
    case Qt::Key_F3: return session::viewerkey::F3;
    default: break;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;   // the letters share their codes
    return 0;
}

int shiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if ((press || event->type() == QEvent::KeyRelease) && watched->isWidgetType()) {
        QWidget* form = static_cast<QWidget*>(watched)->window();
        // While an import waits for its review, no other work may start.
        const bool reviewing = importControl_ && importControl_->reviewing();
        if (!reviewing && (form == this || (help_ && form == help_) || (powerWindow_ && form == powerWindow_))) {
            // A press nobody took climbs to the parent widgets: it is handled where it first arrived.
            auto* key = static_cast<QKeyEvent*>(event);
            auto* receiver = static_cast<QWidget*>(watched);
            const bool climbing = event == lastKey_ && key->type() == lastKeyType_ && key->key() == lastKeyCode_ &&
                                  lastKeyReceiver_ && receiver != lastKeyReceiver_ &&
                                  receiver->isAncestorOf(lastKeyReceiver_);
            if (!lastKey_) QTimer::singleShot(0, this, [this] { lastKey_ = nullptr; });
            lastKey_ = event;
            lastKeyType_ = key->type();
            lastKeyCode_ = key->key();
            lastKeyReceiver_ = receiver;
            if (!climbing) forwardKey(form, static_cast<QKeyEvent*>(event), press);
        }
        // Keys a graph or button left alone would scroll the graph column under the viewer.
        if (press && watched == graphsScroll_) {
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
            case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
                return true;
            default:
                break;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::forwardKey(QWidget* form, QKeyEvent* key, bool press) {
    const int code = viewerKeyCode(key->key());
    if (code == 0) return;
    if (!press) {
        viewer_->keyUp(code);
        return;
    }
    // Ctrl and Alt count as held only while they are: a release seen by another
    // window (a message box) must not leave them set.
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (code != session::viewerkey::Control) {
        if (viewer_->ctrlDown() && !(mods & Qt::ControlModifier)) viewer_->keyUp(session::viewerkey::Control);
        if (!viewer_->ctrlDown() && (mods & Qt::ControlModifier)) viewer_->keyDown(session::viewerkey::Control, 2);
    }
    if (code != session::viewerkey::Alt) {
        if (viewer_->altDown() && !(mods & Qt::AltModifier)) viewer_->keyUp(session::viewerkey::Alt);
        if (!viewer_->altDown() && (mods & Qt::AltModifier)) viewer_->keyDown(session::viewerkey::Alt, 4);
    }
    const session::ViewerForm which = form == this ? session::ViewerForm::MainPage
                                      : form == help_ ? session::ViewerForm::Help
                                                      : session::ViewerForm::PowerPage;
    obey(viewer_->keyDown(code, shiftState(mods), which));
}

void MainWindow::obey(const session::ViewerResponse& r) {
    if (r.dropped) return;
    if (r.hideHint) analysisPanel_->showHint({});
    if (r.hint) analysisPanel_->showHint(*r.hint);
    if (r.redrawSounding) {
        analysisPanel_->refreshGraphs();
        analysisPanel_->graph2()->repaint();
        if (powerGraphs_) powerGraphs_->setCurrentSounding(shownSoundingTime());
    }
    if (r.animateCaption) {
        analysisPanel_->animateButton()->setText(QString::fromStdString(*r.animateCaption));
        player_->frameAdvanceChanged();
    }
    if (r.advance) player_->advance();
    if (r.stopAnimation) player_->stop();
    // Ctrl+A / Ctrl+Z change how many soundings a bar of the energy graphs
    // gathers; Ctrl+P switches them between energy totals and power rates.
    if (r.redrawEnergyGraph && powerGraphs_) {
        powerGraphs_->setGrouping(viewer_->powerGraphGroup());
        powerGraphs_->setAlternativeMode(viewer_->energyGraphAlternative());
    }
    if (r.openHelp) openHelp();
    if (r.dataIndexRebuilt) {
        analysisPanel_->fillDataSites();
        refreshMapStations();
        refreshStationInfo();
    }
}

}  // namespace skyloom::gui

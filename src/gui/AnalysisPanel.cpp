#include "gui/AnalysisPanel.h"

#include <algorithm>

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <SQLiteCpp/Statement.h>

#include "core/MainDatabase.h"
#include "core/StationIndex.h"
#include "display/MapModel.h"
#include "display/PowerGraphModel.h"
#include "gui/GuiProgress.h"
#include "gui/HeightGraphWidgets.h"
#include "gui/SiteListWidget.h"
#include "gui/ValueField.h"
#include "session/ImportCommands.h"
#include "session/Session.h"
#include "session/SoundingViewer.h"
#include "session/StationSummary.h"
#include "sounding/Units.h"

namespace skyloom::gui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

const QDate kUnixEpoch(1970, 1, 1);
QDate toQDate(core::Days d) { return kUnixEpoch.addDays(d.time_since_epoch().count()); }
core::Days toDays(const QDate& d) { return core::Days(std::chrono::days(kUnixEpoch.daysTo(d))); }

constexpr const char* kWaitIndent = "          ";
}  // namespace

AnalysisPanel::AnalysisPanel(session::Session& session, session::SiteAnalysis& analysis, GuiProgress& progress,
                             QWidget* parent)
    : QObject(parent), session_(session), analysis_(analysis), progress_(progress) {
    controls_ = new QWidget(parent);
    controls_->setObjectName("AnalysisControls");
    auto* cl = new QVBoxLayout(controls_);
    cl->setContentsMargins(0, 0, 0, 0);

    auto* row1 = new QHBoxLayout;
    siteLab_ = new QLabel(controls_);
    siteLab_->setObjectName("SiteLab");
    QFont bold = siteLab_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    siteLab_->setFont(bold);
    combo_ = new QComboBox(controls_);
    combo_->setObjectName("DSComboList");
    combo_->setToolTip(q(std::string(display::kComboToolTip)));
    combo_->setMinimumWidth(260);
    selSite_ = new DragField(controls_);
    selSite_->setObjectName("SelSite");
    selSite_->setPlaceholderText(QStringLiteral("Selected site"));
    selSite_->setDragText([this] { return q(analysis_.siteString()); });
    row1->addWidget(combo_);
    row1->addWidget(selSite_, 1);
    cl->addWidget(siteLab_);
    cl->addLayout(row1);

    auto* row2 = new QHBoxLayout;
    fday_ = new QDateEdit(controls_);
    fday_->setObjectName("Fday");
    tday_ = new QDateEdit(controls_);
    tday_->setObjectName("Tday");
    for (QDateEdit* d : {fday_, tday_}) {
        d->setDisplayFormat(QStringLiteral("dd-MMM-yyyy"));
        d->setCalendarPopup(true);
        d->setEnabled(false);
    }
    recalc_ = new QPushButton(QStringLiteral("Click here to Recalculate the Analysis."), controls_);
    recalc_->setObjectName("RecalcLabel");
    recalc_->setFlat(true);
    recalc_->setStyleSheet("QPushButton { color: rgb(0, 0, 180); text-decoration: underline; }");
    recalc_->setCursor(Qt::PointingHandCursor);
    recalc_->setEnabled(false);
    row2->addWidget(new QLabel(QStringLiteral("From"), controls_));
    row2->addWidget(fday_);
    row2->addWidget(new QLabel(QStringLiteral("To"), controls_));
    row2->addWidget(tday_);
    row2->addWidget(recalc_);
    row2->addStretch(1);
    cl->addLayout(row2);

    auto* row3 = new QHBoxLayout;
    dateB_ = new QLabel(controls_);
    dateB_->setObjectName("DateB");
    dateE_ = new QLabel(controls_);
    dateE_->setObjectName("DateE");
    dateB_->setMinimumWidth(110);
    dateE_->setMinimumWidth(110);
    doThis_ = new QLabel(QStringLiteral("Please Wait!"), controls_);
    doThis_->setObjectName("DoThis");
    doThis_->setStyleSheet("QLabel { color: rgb(200, 0, 0); font-weight: bold; }");
    doThis_->hide();
    row3->addWidget(new QLabel(QStringLiteral("First sounding:"), controls_));
    row3->addWidget(dateB_);
    row3->addSpacing(16);
    row3->addWidget(new QLabel(QStringLiteral("Last sounding:"), controls_));
    row3->addWidget(dateE_);
    row3->addStretch(1);
    row3->addWidget(doThis_);
    cl->addLayout(row3);

    sumdat_ = new QLabel(q(session::kNoStationPrompt), controls_);
    sumdat_->setObjectName("Sumdat");
    sumdat_->setWordWrap(true);
    sumdat_->setStyleSheet("QLabel { background: white; border: 1px solid #b0b0b0; padding: 4px; }");
    cl->addWidget(sumdat_);

    dataSites_ = new SiteListWidget(controls_);
    dataSites_->setObjectName("datasites");
    dataSites_->setSelectionMode(QAbstractItemView::SingleSelection);
    cl->addWidget(dataSites_, 1);

    graphs_ = new QWidget(parent);
    graphs_->setObjectName("GraphArea");
    auto* gl = new QVBoxLayout(graphs_);
    gl->setContentsMargins(0, 0, 0, 0);
    gl->setSpacing(3);
    graph1_ = new Graph1Widget(graphs_);
    gl->addWidget(graph1_, 5);
    auto* hrow = new QHBoxLayout;
    height_ = new QPushButton(graphs_);
    height_->setObjectName("Lheight");
    height_->setToolTip(QStringLiteral(" Click here to change the height of interest. "));
    hrow->addWidget(height_);
    hrow->addStretch(1);
    powerBut_ = new QPushButton(graphs_);
    powerBut_->setObjectName("PowerBut");
    powerBut_->setText(session_.powerVisible ? QStringLiteral("Hide Power Curve") : QStringLiteral("Show Power Curve"));
    hrow->addWidget(powerBut_);
    gl->addLayout(hrow);
    auto* g2row = new QHBoxLayout;
    graph2_ = new Graph2Widget(graphs_);
    g2row->addWidget(graph2_, 1);
    auto* side = new QVBoxLayout;
    compass_ = new CompassWidget(graphs_);
    side->addWidget(compass_);
    side->addStretch(1);
    g2row->addLayout(side);
    gl->addLayout(g2row, 4);
    auto* animRow = new QHBoxLayout;
    animate_ = new QPushButton(QStringLiteral("Animate"), graphs_);
    animate_->setObjectName("Animate");
    advanceNow_ = new QPushButton(QStringLiteral("Advance Now"), graphs_);
    advanceNow_->setObjectName("AdvanceNow");
    stopAnimation_ = new QPushButton(QStringLiteral("Press 'ESC' to stop"), graphs_);
    stopAnimation_->setObjectName("StopAnimation");
    advanceNow_->hide();
    stopAnimation_->hide();
    for (QPushButton* b : {animate_, advanceNow_, stopAnimation_}) b->setFocusPolicy(Qt::NoFocus);
    animRow->addWidget(animate_);
    animRow->addWidget(advanceNow_);
    animRow->addWidget(stopAnimation_);
    animRow->addStretch(1);
    gl->addLayout(animRow);
    hint_ = new QLabel(graphs_);
    hint_->setObjectName("Hint");
    hint_->setStyleSheet("QLabel { color: rgb(200, 0, 0); font-weight: bold; }");
    hint_->hide();
    gl->addWidget(hint_);
    explain_ = new QLabel(graphs_);
    explain_->setObjectName("ShowIt");
    explain_->setWordWrap(true);
    explain_->setStyleSheet("QLabel { color: #303030; }");
    gl->addWidget(explain_);
    years_ = new YearGraphWidget(graphs_);
    gl->addWidget(years_, 1);

    connect(combo_, &QComboBox::activated, this, [this](int index) {
        analyseStation(combo_->itemData(index).toLongLong());
    });
    connect(dataSites_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        analyseStation(session::wmoOfSiteText(SiteListWidget::lineOf(item)));
    });
    connect(selSite_, &DragField::lineDropped, this, [this](const QString& line) {
        analyseStation(session::wmoOfSiteText(line.toStdString()));
    });
    connect(fday_, &QDateEdit::dateChanged, this, &AnalysisPanel::pickerEdited);
    connect(tday_, &QDateEdit::dateChanged, this, &AnalysisPanel::pickerEdited);
    connect(recalc_, &QPushButton::clicked, this, &AnalysisPanel::recalculate);
    connect(powerBut_, &QPushButton::clicked, this, [this] { setPowerCurveVisible(!session_.powerVisible); });
    connect(graph2_, &Graph2Widget::clicked, this, &AnalysisPanel::cycleGraph2);
    connect(graph1_, &Graph1Widget::resized, this, &AnalysisPanel::refreshGraphs);
    connect(height_, &QPushButton::clicked, this, [this] {
        run([this] {
            return analysis_.setHeightOfInterest() ? lastOutcome_ : session::AnalysisOutcome::NoSite;
        });
    });

    setBandColor(session_.dataColor);
    fillDataSites();
}

void AnalysisPanel::fillDataSites() {
    std::vector<std::string>& sites = analysis_.dataSites();
    sites.clear();
    SQLite::Statement st(session_.mainDb().db(), "SELECT wmo FROM havedata ORDER BY wmo");
    std::vector<long> wmos;
    while (st.executeStep()) wmos.push_back(static_cast<long>(st.getColumn(0).getInt64()));
    combo_->clear();
    for (long wmo : wmos) {
        std::string entry = analysis_.siteEntryText(wmo);
        if (entry.empty()) continue;
        sites.push_back(entry);
        combo_->addItem(q(session::siteNameOfSiteText(entry)), static_cast<qlonglong>(wmo));
    }
    combo_->setCurrentIndex(-1);
    combo_->setPlaceholderText(QStringLiteral("Select a site with data"));
    dataSites_->setLines(sites);
}

bool AnalysisPanel::analyseStation(long wmo) {
    if (wmo == 0) return false;
    std::string entry = analysis_.siteEntryText(wmo);
    if (entry.empty()) return false;
    analysis_.setSiteString(entry);
    run([this] { return analysis_.reanalyseSite(false); });
    return lastOutcome_ == session::AnalysisOutcome::Analysed ||
           lastOutcome_ == session::AnalysisOutcome::GeneratorRerun ||
           lastOutcome_ == session::AnalysisOutcome::EnergyOnly;
}

void AnalysisPanel::recalculate() {
    if (analysis_.siteString().empty() || !analysis_.checkDateOrder()) return;
    run([this] {
        return analysis_.retrieveAndAnalyse(analysis_.siteString(), analysis_.fromPicker().text(),
                                            analysis_.toPicker().text());
    });
}

void AnalysisPanel::run(const std::function<session::AnalysisOutcome()>& work) {
    if (progress_.running()) return;
    sumdat_->hide();
    dateB_->hide();
    dateE_->hide();
    doThis_->show();
    analysis_.setProgress(&progress_);
    emit analysisStarting();
    // An ignored sounding changed the list's shares: the analysis rebuilds the list first.
    const bool staleList = analysis_.stationListStale();
    progress_.begin(q(kWaitIndent + session::siteNameOfSiteText(analysis_.siteString()) + "\n" + kWaitIndent +
                      "Please wait retrieving data!"));
    lastOutcome_ = work();
    progress_.end();
    if (viewer_) viewer_->analysisFinished(lastOutcome_);
    if (staleList && !analysis_.stationListStale()) fillDataSites();
    doThis_->hide();
    sumdat_->show();
    dateB_->show();
    dateE_->show();
    showResults();
}

void AnalysisPanel::showAnalysed() {
    lastOutcome_ = analysis_.currentWmo() != 0 ? session::AnalysisOutcome::Analysed : session::AnalysisOutcome::NoSite;
    if (viewer_) viewer_->analysisFinished(lastOutcome_);
    showResults();
}

void AnalysisPanel::showResults() {
    {
        // The pickers follow the analysis; their signals would write the values back.
        QSignalBlocker bf(fday_), bt(tday_);
        const auto& from = analysis_.fromPicker();
        const auto& to = analysis_.toPicker();
        fday_->setDateRange(toQDate(from.minimum()), toQDate(from.maximum()));
        tday_->setDateRange(toQDate(to.minimum()), toQDate(to.maximum()));
        fday_->setDate(toQDate(from.value()));
        tday_->setDate(toQDate(to.value()));
    }
    const bool haveSite = analysis_.currentWmo() != 0;
    fday_->setEnabled(haveSite);
    tday_->setEnabled(haveSite);
    recalc_->setEnabled(haveSite);
    siteLab_->setText(q(analysis_.siteName()));
    selSite_->setText(q(analysis_.siteName()));
    if (analysis_.soundings().count() > 0) {
        sumdat_->setText(q(analysis_.summaryLine()));
        dateB_->setText(q(analysis_.firstSoundingText()));
        dateE_->setText(q(analysis_.lastSoundingText()));
    }
    // The list entry of the site carries its new period.
    for (int i = 0; i < dataSites_->count(); ++i) {
        QListWidgetItem* item = dataSites_->item(i);
        if (session::wmoOfSiteText(SiteListWidget::lineOf(item)) == analysis_.currentWmo()) {
            std::string line = analysis_.siteString();
            dataSites_->item(i)->setData(Qt::UserRole + 1, q(line));
            dataSites_->setCurrentRow(i);
        }
    }
    int index = combo_->findData(static_cast<qlonglong>(analysis_.currentWmo()));
    if (index >= 0) combo_->setCurrentIndex(index);
    refreshGraphs();
    if (haveSite) emit siteShown(analysis_.currentWmo());
}

void AnalysisPanel::pickerEdited() {
    analysis_.fromPicker().setValue(toDays(fday_->date()));
    analysis_.toPicker().setValue(toDays(tday_->date()));
}

void AnalysisPanel::setBandColor(int slider) {
    Rgb c = dataDistributionColor(slider);
    bandColor_ = QColor(c.r, c.g, c.b);
    refreshGraphs();
}

void AnalysisPanel::setPowerCurveVisible(bool visible) {
    if (visible != session_.powerVisible) {
        session_.powerVisible = visible;
        session_.settings().setFlag("PowerVisible", visible);
    }
    powerBut_->setText(visible ? QStringLiteral("Hide Power Curve") : QStringLiteral("Show Power Curve"));
    refreshGraphs();
}

void AnalysisPanel::setIgnoreZero(bool on) {
    if (on == analysis_.ignoreZeroGroundWind()) return;
    run([this, on] {
        analysis_.setIgnoreZeroGroundWind(on);
        return lastOutcome_;
    });
}

void AnalysisPanel::cycleGraph2() {
    graph2Mode_ = display::nextGraph2Mode(graph2Mode_);
    refreshGraphs();
}

void AnalysisPanel::refreshGraphs() {
    if (!graph1_) return;
    const bool haveData = analysis_.soundings().count() > 0;
    const int sounding = !haveData ? 0 : viewer_ ? viewer_->currentSounding() : analysis_.soundings().count();
    drawGraphs(haveData ? &analysis_.statistics() : nullptr, sounding, true);
}

void AnalysisPanel::drawAnimationFrame(const sounding::LevelStatistics& stats, int n) {
    if (!graph1_ || analysis_.soundings().count() == 0) return;
    drawGraphs(&stats, std::clamp(n, 1, analysis_.soundings().count()), false);
}

void AnalysisPanel::showHint(const std::string& text) {
    hint_->setText(q(text));
    hint_->setVisible(!text.empty());
}

void AnalysisPanel::drawGraphs(const sounding::LevelStatistics* stats, int sounding, bool complete) {
    sounding::Units units(static_cast<sounding::UnitMode>(std::clamp(session_.units, 0, 2)));
    analysis_.setUnits(units);
    if (analysis_.heightOfInterestFeet() <= 0) analysis_.setHeightOfInterestFeet(250);
    display::GraphUnits gu(units, session_.speedStatistic);
    const bool haveData = stats != nullptr;
    display::Graph1Inputs in1;
    in1.stats = stats;
    in1.hubHeightFeet = analysis_.heightOfInterestFeet();
    in1.comparedWithReference = compared_;
    in1.labelHeightFeet = graph1_->labelHeightFeet();
    if (haveData && complete && powerFigures_)
        if (auto figures = powerFigures_(in1.hubHeightFeet, units); figures && !figures->unknownCapacity) {
            in1.kWAtHeight = figures->potKW;
            in1.idlePercent = figures->idlePercent;
        }
    if (const core::StationEntry* s = session_.stations().find(analysis_.currentWmo()))
        in1.stationElevationMetres = s->elev;
    display::Graph1Model g1 = display::buildGraph1(gu, in1);
    if (session_.powerVisible && currentGenerator_)
        if (const auto g = currentGenerator_()) display::addPowerCurve(g1, *g);
    graph1_->setModel(std::move(g1), bandColor_);
    display::Graph2Inputs in2;
    in2.set = haveData ? &analysis_.soundings() : nullptr;
    in2.sounding = haveData ? sounding : 0;
    in2.stats = stats;
    in2.hubHeightFeet = analysis_.heightOfInterestFeet();
    if (singleSounding_) {
        in2.set = singleSounding_.get();
        in2.sounding = 1;
    }
    display::Graph2Model g2 = display::buildGraph2(gu, graph2Mode_, in2);
    compass_->setDirection(g2.directionDeg);
    explain_->setText(q(g2.explanation));
    graph2_->setModel(std::move(g2));
    // The year table only exists for the whole pass: an animation frame keeps the last one.
    if (complete && haveData) years_->setModel(display::buildYearGraph(*stats, analysis_.heightOfInterestFeet()));
    else if (complete) years_->setModel({});
    height_->setText(q(graph1_->model().hubHeightLabel));
}

void AnalysisPanel::showSingleSounding(const sounding::SoundingRecord& record) {
    if (!singleSounding_) singleSounding_ = std::make_unique<sounding::SoundingSet>();
    session::setOfOneSounding(record, *singleSounding_);
    refreshGraphs();
}

void AnalysisPanel::endSingleSounding() {
    if (!singleSounding_) return;
    singleSounding_.reset();
    refreshGraphs();
}

}  // namespace skyloom::gui

#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QColor>
#include <QObject>

#include "display/HeightGraphModel.h"
#include "power/GeneratorRecord.h"
#include "power/PowerProduction.h"
#include "session/SiteAnalysis.h"
#include "sounding/ImportTypes.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QWidget;

namespace skyloom::session {
class Session;
class SoundingViewer;
}  // namespace skyloom::session

namespace skyloom::gui {

class CompassWidget;
class DragField;
class Graph1Widget;
class Graph2Widget;
class GuiProgress;
class SiteListWidget;
class YearGraphWidget;

// The controls and graphs of the Analysis page: the data-sites list and drop-down,
// the selected site, the date pickers, the recalculation, the summary, and the
// height graphs. Every command is one call on the site analysis; the panel then
// shows what the analysis exposes.
class AnalysisPanel : public QObject {
    Q_OBJECT
public:
    AnalysisPanel(session::Session& session, session::SiteAnalysis& analysis, GuiProgress& progress,
                  QWidget* parent);

    QWidget* controlsArea() const { return controls_; }
    QWidget* graphsArea() const { return graphs_; }

    // Fills the data-sites list and the drop-down from `havedata`.
    void fillDataSites();
    // Analyses a station with data over its stored last range (the map, the list,
    // the drop-down). False when the station has no data here.
    bool analyseStation(long wmo);
    // `RecalcLabel`: the pickers' dates, when the to date is after the from date.
    void recalculate();
    // Redraws the graphs in the present unit mode and Graph 1 line; Graph 2
    // shows the viewer's current sounding (the last one without a viewer).
    void refreshGraphs();
    // One frame of the animation: Graph 1 and its distributions from the
    // statistics grown so far, Graph 2 for sounding n.
    void drawAnimationFrame(const sounding::LevelStatistics& stats, int n);
    void setViewer(session::SoundingViewer* viewer) { viewer_ = viewer; }
    // The hint of the suspect search (hidden when text is empty).
    void showHint(const std::string& text);
    QLabel* hintLabel() const { return hint_; }
    QPushButton* animateButton() const { return animate_; }
    QPushButton* advanceNowButton() const { return advanceNow_; }
    QPushButton* stopAnimationButton() const { return stopAnimation_; }
    void setBandColor(int dataColorSlider);
    void cycleGraph2();
    // The `IgnoreZ` box: the soundings are selected again.
    void setIgnoreZero(bool on);
    // Graph 1's power texts speak of the reference site when another site is shown.
    void setComparedWithReference(bool on) { compared_ = on; }
    // The generator's figures at a height (feet), when the power model has run.
    using PowerFigures = std::function<std::optional<power::PowerAnalysis>(double, const sounding::Units&)>;
    void setPowerFigures(PowerFigures f) { powerFigures_ = std::move(f); }
    // The generator whose power curve `PowerBut` shows over Graph 1.
    using CurrentGenerator = std::function<std::optional<power::GeneratorRecord>()>;
    void setCurrentGenerator(CurrentGenerator f) { currentGenerator_ = std::move(f); }
    // `PowerBut`: shows or hides the power curve over Graph 1, kept in "PowerVisible".
    void setPowerCurveVisible(bool visible);
    QPushButton* powerButton() const { return powerBut_; }

    session::AnalysisOutcome lastOutcome() const { return lastOutcome_; }
    QComboBox* siteCombo() const { return combo_; }
    SiteListWidget* dataSitesList() const { return dataSites_; }
    QDateEdit* fromDate() const { return fday_; }
    QDateEdit* toDate() const { return tday_; }
    QLabel* summaryLabel() const { return sumdat_; }
    QLabel* siteLabel() const { return siteLab_; }
    Graph1Widget* graph1() const { return graph1_; }
    Graph2Widget* graph2() const { return graph2_; }
    QPushButton* recalcButton() const { return recalc_; }

    // Graph 2 shows a sounding from outside the analysis (the import's review)
    // until endSingleSounding gives it back to the analysed soundings.
    void showSingleSounding(const sounding::SoundingRecord& record);
    void endSingleSounding();

    // Runs one analysis step with the wait label shown and the results drawn after it.
    void run(const std::function<session::AnalysisOutcome()>& work);
    // Work that ran without run() (the start-up recalculation) analysed a site:
    // the viewer starts on its last sounding and the results are drawn.
    void showAnalysed();

signals:
    // A station was analysed: the map marks it.
    void siteShown(long wmo);
    // An analysis is about to run.
    void analysisStarting();

private:
    void showResults();
    void pickerEdited();
    void drawGraphs(const sounding::LevelStatistics* stats, int sounding, bool complete);

    session::Session& session_;
    session::SiteAnalysis& analysis_;
    GuiProgress& progress_;
    session::AnalysisOutcome lastOutcome_ = session::AnalysisOutcome::NoSite;
    display::Graph2Mode graph2Mode_ = display::Graph2Mode::Speed;
    QColor bandColor_;
    bool compared_ = false;
    PowerFigures powerFigures_;
    CurrentGenerator currentGenerator_;
    std::unique_ptr<sounding::SoundingSet> singleSounding_;
    session::SoundingViewer* viewer_ = nullptr;

    QWidget* controls_ = nullptr;
    QWidget* graphs_ = nullptr;
    QLabel* siteLab_ = nullptr;
    DragField* selSite_ = nullptr;
    QComboBox* combo_ = nullptr;
    QDateEdit* fday_ = nullptr;
    QDateEdit* tday_ = nullptr;
    QPushButton* recalc_ = nullptr;
    QLabel* dateB_ = nullptr;
    QLabel* dateE_ = nullptr;
    QLabel* sumdat_ = nullptr;
    QLabel* doThis_ = nullptr;
    SiteListWidget* dataSites_ = nullptr;
    Graph1Widget* graph1_ = nullptr;
    Graph2Widget* graph2_ = nullptr;
    CompassWidget* compass_ = nullptr;
    YearGraphWidget* years_ = nullptr;
    QLabel* explain_ = nullptr;
    QPushButton* height_ = nullptr;
    QLabel* hint_ = nullptr;
    QPushButton* animate_ = nullptr;
    QPushButton* advanceNow_ = nullptr;
    QPushButton* stopAnimation_ = nullptr;
    QPushButton* powerBut_ = nullptr;
};

}  // namespace skyloom::gui

#pragma once

#include <optional>

#include <QRectF>
#include <QWidget>

#include "display/PowerGraphModel.h"
#include "power/GeneratorRecord.h"

class QPainter;

namespace skyloom::session {
class PowerPage;
}

namespace skyloom::gui {

// Draws the Power Page graphs from their models; the widgets, printing and image
// export all paint through these. Each returns the plot area it used.
class PowerGraphRenderer {
public:
    static QRectF paint(QPainter& p, const QRectF& rect, const display::PowerCurveModel& g);
    static QRectF paint(QPainter& p, const QRectF& rect, const display::OutputGraphModel& g);
    static QRectF paint(QPainter& p, const QRectF& rect, const display::EnergyGraphModel& g);
};

// The power curve of the current generator, with its optional extra curves.
class PowerCurveGraph : public QWidget {
    Q_OBJECT
public:
    explicit PowerCurveGraph(QWidget* parent = nullptr);
    void setModel(display::PowerCurveModel model);
    const display::PowerCurveModel& model() const { return model_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    display::PowerCurveModel model_;
};

// The generator's output over the period.
class PowerOutputGraph : public QWidget {
    Q_OBJECT
public:
    explicit PowerOutputGraph(QWidget* parent = nullptr);
    void setModel(display::OutputGraphModel model);
    const display::OutputGraphModel& model() const { return model_; }
    // The time (HoursSince1930) of the sounding the viewer shows, marked by a line.
    void setMarker(std::optional<double> hours);
    std::optional<double> marker() const { return marker_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    display::OutputGraphModel model_;
    std::optional<double> marker_;
};

// The stored-energy or the purchase graph; over the bars its tool-tip is the
// hover text of the sounding under the pointer, elsewhere the graph's tip.
class EnergyGraph : public QWidget {
    Q_OBJECT
public:
    explicit EnergyGraph(QWidget* parent = nullptr);
    void setModel(display::EnergyGraphModel model);
    const display::EnergyGraphModel& model() const { return model_; }
    // The tool-tip at a point of the widget.
    QString tipAt(const QPointF& at) const;
    // Where the bars are drawn (widget coordinates).
    QRectF plotArea() const;
    // The time (HoursSince1930) of the sounding the viewer shows, marked by a line.
    void setMarker(std::optional<double> hours);
    std::optional<double> marker() const { return marker_; }

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* e) override;

private:
    display::EnergyGraphModel model_;
    std::optional<double> marker_;
};

// The four graphs of the Power Page in one block. refresh() rebuilds them from
// the page's last run; the setters change what the graphs show and redraw.
class PowerGraphsPanel : public QWidget {
    Q_OBJECT
public:
    explicit PowerGraphsPanel(QWidget* parent = nullptr);

    // Rebuilds every graph from the page: generator, units, height of interest,
    // the soundings of the last run and its balance.
    void refresh(session::PowerPage& page);
    // PowerGraphGroup (clamped to at least 2) and the alternative mode of the
    // energy graphs; only those two graphs are rebuilt.
    void setGrouping(int group);
    void setAlternativeMode(bool rates);
    int grouping() const { return group_; }
    bool alternativeMode() const { return rates_; }
    // A generator chosen with Shift: its curve in black over the current one (none: removed).
    void setComparison(std::optional<power::GeneratorRecord> g);
    // The power band (`mnuPPG`) and energy distribution (`mnuEDC`) curves.
    void setCurveExtras(bool powerBand, bool energyDistribution);
    // The sounding the viewer shows (its time, HoursSince1930), marked on the
    // output and energy graphs as the user steps through the soundings.
    void setCurrentSounding(std::optional<double> hours);

    PowerCurveGraph* curveGraph() const { return curve_; }
    PowerOutputGraph* outputGraph() const { return output_; }
    EnergyGraph* storedGraph() const { return stored_; }
    EnergyGraph* purchaseGraph() const { return purchase_; }

private:
    void rebuildCurve();
    void rebuildEnergy();

    session::PowerPage* page_ = nullptr;
    std::shared_ptr<const display::EnergySnapshot> snapshot_;
    display::PowerCurveExtras extras_;
    int group_ = display::kDefaultPowerGraphGroup;
    bool rates_ = false;
    PowerCurveGraph* curve_ = nullptr;
    PowerOutputGraph* output_ = nullptr;
    EnergyGraph* stored_ = nullptr;
    EnergyGraph* purchase_ = nullptr;
};

}  // namespace skyloom::gui

#pragma once

#include <optional>

#include <QColor>
#include <QWidget>

#include "display/HeightGraphModel.h"

namespace skyloom::gui {

// The picture box `wg` with Graph 1; its tooltips explain the part pointed at.
class Graph1Widget : public QWidget {
    Q_OBJECT
public:
    explicit Graph1Widget(QWidget* parent = nullptr);
    void setModel(display::Graph1Model model, QColor bandColor);
    const display::Graph1Model& model() const { return model_; }
    // The tooltip at a point of the widget.
    QString tipAt(const QPointF& at) const;
    // One text line of the graph in feet of its height scale (for stacking labels).
    double labelHeightFeet() const;

signals:
    // The label stacking depends on the drawn size.
    void resized();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;

private:
    display::Graph1Model model_;
    QColor band_;
};

// Graph 2: a click cycles speed, temperature and pressure.
class Graph2Widget : public QWidget {
    Q_OBJECT
public:
    explicit Graph2Widget(QWidget* parent = nullptr);
    void setModel(display::Graph2Model model);
    const display::Graph2Model& model() const { return model_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    display::Graph2Model model_;
};

// The picture box `Wdir`.
class CompassWidget : public QWidget {
    Q_OBJECT
public:
    explicit CompassWidget(QWidget* parent = nullptr);
    void setDirection(std::optional<double> deg);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::optional<double> direction_;
};

class YearGraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit YearGraphWidget(QWidget* parent = nullptr);
    void setModel(display::YearGraphModel model);
    const display::YearGraphModel& model() const { return model_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    display::YearGraphModel model_;
};

}  // namespace skyloom::gui

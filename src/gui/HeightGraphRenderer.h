#pragma once

#include <QColor>
#include <QRectF>

#include "display/HeightGraphModel.h"

class QPainter;

namespace skyloom::gui {

// Draws the height graphs from their models; the widgets, printing and image
// export all paint through these.
class HeightGraphRenderer {
public:
    // The plot area inside rect (what is left after titles, axes and captions).
    static QRectF plotArea(const QRectF& rect);

    static void paint(QPainter& p, const QRectF& rect, const display::Graph1Model& g, const QColor& bandColor);
    static void paint(QPainter& p, const QRectF& rect, const display::Graph2Model& g);
    static void paint(QPainter& p, const QRectF& rect, const display::YearGraphModel& g);
    // The `Wdir` compass: circle of radius 0.63 × half the width, 16 ticks, the direction line.
    static void paintCompass(QPainter& p, const QRectF& rect, std::optional<double> directionDeg);
};

}  // namespace skyloom::gui

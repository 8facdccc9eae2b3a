#pragma once

#include <QColor>
#include <QRectF>

#include "display/ResourceGraphModel.h"

class QPainter;

namespace skyloom::gui {

// Draws the "Wind Resource" figures from their model; the window, printing and
// the saved pictures all paint through this.
class WindResourceRenderer {
public:
    // Where each part goes inside the drawn rectangle.
    struct Layout {
        QRectF heading;     // title and the key figures
        QRectF rose, histogram, profile;
        QRectF monthly, years, table;
    };
    static Layout layout(const QRectF& rect, double lineHeight);

    static void paint(QPainter& p, const QRectF& rect, const display::ResourceGraphs& g);

    // The colours the parts are known by (tests look for them in the picture).
    static QColor roseFill() { return QColor(70, 130, 180); }
    static QColor barFill() { return QColor(150, 190, 230); }
    static QColor tableHeaderFill() { return QColor(225, 225, 200); }
};

}  // namespace skyloom::gui

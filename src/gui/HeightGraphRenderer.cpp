#include "gui/HeightGraphRenderer.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace skyloom::gui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The bottom margin holds the speed labels, the axis caption, the power curve's
// caption and the two lines of the ground text: no caption stands over the data.
constexpr double kLeft = 58, kRight = 14, kTop = 46, kBottom = 88;

struct Frame {
    QRectF plot;
    double xMax;
    double xAt(double v) const { return plot.left() + v / xMax * plot.width(); }
    double yAt(double feet) const { return plot.bottom() - feet / display::kGraphMaxHeight * plot.height(); }
};

void drawAxes(QPainter& p, const QRectF& rect, const Frame& f, const std::vector<display::AxisLabel>& xs,
              const std::vector<display::AxisLabel>& ys, const QString& xCaption, const QString& yCaption) {
    p.fillRect(f.plot, Qt::white);
    QFontMetricsF fm(p.font());
    p.setPen(QPen(QColor(200, 200, 200), 0));
    for (const auto& l : xs) p.drawLine(QPointF(f.xAt(l.at), f.plot.top()), QPointF(f.xAt(l.at), f.plot.bottom()));
    for (const auto& l : ys) p.drawLine(QPointF(f.plot.left(), f.yAt(l.at)), QPointF(f.plot.right(), f.yAt(l.at)));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(f.plot);
    for (const auto& l : xs) {
        QString t = q(l.text);
        double w = fm.horizontalAdvance(t);
        double x = std::clamp(f.xAt(l.at) - w / 2, rect.left(), rect.right() - w);
        p.drawText(QPointF(x, f.plot.bottom() + fm.ascent() + 3), t);
    }
    for (const auto& l : ys) {
        QString t = q(l.text);
        double w = fm.horizontalAdvance(t);
        p.drawText(QPointF(f.plot.left() - w - 4, f.yAt(l.at) + fm.ascent() / 2 - 1), t);
    }
    p.drawText(QRectF(f.plot.left(), f.plot.bottom() + fm.height() + 4, f.plot.width(), fm.height()),
               Qt::AlignHCenter | Qt::AlignTop, xCaption);
    p.save();
    // The caption stands beside the plot, centred on it, and may reach past its
    // ends into the graph's margins; a short graph gets a smaller caption rather
    // than a cut one.
    // The graph's title takes the first line of the rectangle.
    const double top = rect.top() + 1.5 * fm.height();
    const double room =
        std::max(f.plot.height(), 2 * std::min(f.plot.center().y() - top, rect.bottom() - f.plot.center().y()));
    QFont captionFont = p.font();
    const double wanted = fm.horizontalAdvance(yCaption);
    if (wanted > room && wanted > 0)
        captionFont.setPointSizeF(std::max(6.0, captionFont.pointSizeF() * 0.95 * room / wanted));
    p.setFont(captionFont);
    p.translate(rect.left() + fm.height() * 0.2, f.plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-room / 2, 0, room, fm.height()), Qt::AlignCenter, yCaption);
    p.restore();
}

void drawTitle(QPainter& p, const QRectF& rect, const QString& title) {
    QFont bold = p.font();
    bold.setBold(true);
    p.save();
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRectF(rect.left() + 4, rect.top() + 2, rect.width() - 8, QFontMetricsF(bold).height()),
               Qt::AlignLeft | Qt::AlignTop, title);
    p.restore();
}

QPolygonF polyline(const Frame& f, const std::vector<display::GraphPoint>& pts, double xScale = 1) {
    QPolygonF poly;
    for (const auto& pt : pts) poly << QPointF(f.xAt(pt.x * xScale), f.yAt(pt.y));
    return poly;
}

}  // namespace

QRectF HeightGraphRenderer::plotArea(const QRectF& r) {
    return r.adjusted(kLeft, kTop, -kRight, -kBottom);
}

void HeightGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::Graph1Model& g,
                                const QColor& bandColor) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    Frame f{plotArea(rect), display::kGraphMaxSpeed};
    drawTitle(p, rect, q(g.title));
    drawAxes(p, rect, f, g.speedAxis, g.heightAxis, q(g.speedCaption), q(g.heightCaption));
    QFontMetricsF fm(p.font());

    // Distribution bands: one bar per one-knot bin, half a level tall each side at full share.
    const double halfLevel = f.plot.height() / 20.0 * 0.9;
    const double binWidth = f.plot.width() / display::kGraphMaxSpeed;
    p.setPen(Qt::NoPen);
    for (const auto& band : g.bands) {
        double y = f.yAt(band.heightFeet);
        for (int b = 0; b < sounding::kHistogramBins; ++b) {
            double h = band.share[b] * halfLevel;
            if (h <= 0) continue;
            QRectF bar(f.xAt(std::min<double>(b, display::kGraphMaxSpeed - 1)), y - h, binWidth, 2 * h);
            p.fillRect(bar.intersected(f.plot), bandColor);
        }
    }
    if (!g.bands.empty()) {
        p.setPen(QPen(bandColor.darker(150), 0));
        for (const auto& band : g.bands) {
            double y = f.yAt(band.heightFeet);
            p.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
        }
    }

    // Power-factor curve on its own axis along the top.
    if (!g.powerFactor.empty()) {
        Frame pf{f.plot, g.powerFactorMax};
        QPen pen(QColor(0, 140, 0), 1.5, Qt::DashLine);
        p.setPen(pen);
        p.drawPolyline(polyline(pf, g.powerFactor));
    }
    p.setPen(QColor(0, 110, 0));
    {
        Frame pf{f.plot, g.powerFactorMax};
        for (const auto& l : g.powerFactorAxis) {
            QString t = q(l.text);
            double w = fm.horizontalAdvance(t);
            p.drawText(QPointF(std::clamp(pf.xAt(l.at) - w / 2, rect.left(), rect.right() - w), f.plot.top() - 3), t);
        }
        QString cap = q(g.powerFactorCaption);
        p.drawText(QRectF(f.plot.left(), f.plot.top() - 2 * fm.height() - 3, f.plot.width(), fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, cap);
    }

    // The blue profile.
    if (!g.profile.empty()) {
        p.setPen(QPen(QColor(0, 0, 160), 2.5));
        p.drawPolyline(polyline(f, g.profile));
        p.setBrush(QColor(0, 0, 160));
        for (const QPointF& pt : polyline(f, g.profile)) p.drawEllipse(pt, 2.5, 2.5);
        p.setBrush(Qt::NoBrush);
    }

    // The generator's power curve, its kW running up the height axis.
    if (!g.powerCurve.empty()) {
        p.setPen(QPen(QColor(230, 120, 0), 2));
        p.drawPolyline(polyline(f, g.powerCurve));
        if (g.powerCurveCutOutKnots && *g.powerCurveCutOutKnots <= display::kGraphMaxSpeed) {
            const double x = f.xAt(*g.powerCurveCutOutKnots);
            p.setPen(QPen(QColor(230, 120, 0), 1, Qt::DashLine));
            p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
        }
        // The caption stands under the speed axis, in the curve's colour; too long
        // for its line, it gives up the words after the generator's name first.
        QString label = q(g.powerCurveLabel);
        const double room = rect.width() - 8;
        const qsizetype cut = label.lastIndexOf(QStringLiteral(": "));  // names may hold ": " too
        if (fm.horizontalAdvance(label) > room && cut > 0)
            label = label.left(cut) + QStringLiteral(": ") + label.mid(cut + 2).replace(" from bottom to top", "");
        p.setPen(QColor(190, 95, 0));
        p.drawText(QRectF(rect.left() + 4, f.plot.bottom() + 2 * fm.height() + 5, room, fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(label, Qt::ElideMiddle, room));
    }

    // Height of interest with its stacked labels.
    double yHub = f.yAt(g.heightOfInterestFeet);
    p.setPen(QPen(QColor(200, 0, 0), 1.2, Qt::DashDotLine));
    p.drawLine(QPointF(f.plot.left(), yHub), QPointF(f.plot.right(), yHub));
    p.setPen(QColor(170, 0, 0));
    QString hub = q(g.hubHeightLabel);
    p.drawText(QPointF(f.plot.right() - fm.horizontalAdvance(hub) - 4, yHub - 3), hub);
    for (const auto& l : g.heightLabels) {
        double top = f.yAt(l.y);
        QRectF box(f.plot.left() + 4, top, fm.horizontalAdvance(q(l.text)) + 6, fm.height());
        p.fillRect(box, QColor(255, 255, 255, 210));
        p.drawText(box, Qt::AlignCenter, q(l.text));
    }

    // Ground line under the axis caption, on up to two lines.
    p.setPen(Qt::black);
    p.drawText(QRectF(rect.left() + 4, rect.bottom() - 2 * fm.height() - 1, rect.width() - 8, 2 * fm.height()),
               Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, q(g.groundLine));
    if (g.empty) {
        p.setPen(Qt::gray);
        p.drawText(f.plot, Qt::AlignCenter, QStringLiteral("No site analysed yet"));
    }
    p.restore();
}

void HeightGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::Graph2Model& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    Frame f{plotArea(rect), g.valueMax};
    drawTitle(p, rect, q(g.title));
    QString xCaption = g.mode == display::Graph2Mode::Speed ? q(g.title).section('(', 1).chopped(1)
                       : g.mode == display::Graph2Mode::Temperature ? QStringLiteral("degABSOLUTE")
                                                                    : QStringLiteral("millibars");
    drawAxes(p, rect, f, g.valueAxis, g.heightAxis, xCaption, q(g.heightCaption));
    if (!g.standardLine.empty()) {
        p.setPen(QPen(Qt::black, 4));
        p.drawPolyline(polyline(f, g.standardLine));
    }
    if (!g.line.empty()) {
        p.setPen(QPen(Qt::magenta, 2.5));
        p.drawPolyline(polyline(f, g.line));
    }
    QFontMetricsF fm(p.font());
    if (!g.warningTitle.empty()) {
        p.setPen(QColor(190, 0, 0));
        QRectF box(f.plot.left() + 6, f.plot.top() + 4, f.plot.width() - 12, 3 * fm.height());
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   q(g.warningTitle) + "\n" + q(g.warningText));
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(rect.left() + 4, rect.bottom() - 2 * fm.height() - 1, rect.width() - 8, 2 * fm.height()),
               Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, q(g.caption));
    if (g.empty) {
        p.setPen(Qt::gray);
        p.drawText(f.plot, Qt::AlignCenter, QStringLiteral("No sounding shown"));
    }
    p.restore();
}

void HeightGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::YearGraphModel& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QFontMetricsF fm(p.font());
    // The capacity-factor axis at the left; the dots keep their whole size inside the frame.
    double labelWidth = fm.horizontalAdvance(q(g.valueCaption));
    for (const auto& l : g.valueAxis) labelWidth = std::max(labelWidth, fm.horizontalAdvance(q(l.text)));
    QRectF frame = rect.adjusted(labelWidth + 10, fm.height() * 2 + 6, -8, -fm.height() - 6);
    p.fillRect(frame, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(frame);
    const int yearSlots = 15;
    const double r = std::max(3.0, frame.width() / yearSlots * 0.135);
    const QRectF plot = frame.adjusted(0, r + 1, 0, -(r + 1));
    p.drawText(QRectF(rect.left() + 2, frame.top() - fm.height() - 1, labelWidth + 6, fm.height()),
               Qt::AlignLeft | Qt::AlignBottom, q(g.valueCaption));
    for (const auto& l : g.valueAxis) {
        const double ly = plot.bottom() - (g.scale > 0 ? l.at / g.scale : 0) * plot.height();
        p.setPen(QColor(225, 225, 225));
        if (l.at > 0) p.drawLine(QPointF(frame.left() + 1, ly), QPointF(frame.right() - 1, ly));
        p.setPen(Qt::black);
        p.drawText(QRectF(rect.left() + 2, ly - fm.height() / 2, labelWidth + 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, q(l.text));
    }
    for (std::size_t i = 0; i < g.years.size(); ++i) {
        const auto& y = g.years[i];
        double x = plot.left() + (i + 0.5) * plot.width() / yearSlots;
        double v = g.scale > 0 ? std::fabs(y.value) / g.scale : 0;
        double py = plot.bottom() - v * plot.height();
        QColor c = y.red ? QColor(255, 0, 0) : QColor(0, 0, 0);
        p.setPen(c);
        p.setBrush(y.usable ? c : Qt::transparent);
        p.drawEllipse(QPointF(x, py), r, r);
        p.setBrush(Qt::NoBrush);
        QString yr = QString::number(y.year % 100).rightJustified(2, '0');
        p.setPen(Qt::black);
        p.drawText(QRectF(x - 20, frame.bottom() + 1, 40, fm.height()), Qt::AlignHCenter | Qt::AlignTop, yr);
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(rect.left() + 4, rect.top() + 2, rect.width() - 8, fm.height()), Qt::AlignLeft | Qt::AlignTop,
               fm.elidedText(q(g.caption), Qt::ElideRight, rect.width() - 8));
    p.restore();
}

void HeightGraphRenderer::paintCompass(QPainter& p, const QRectF& rect, std::optional<double> directionDeg) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect, Qt::white);
    QPointF c = rect.center();
    double radius = 0.63 * std::min(rect.width(), rect.height()) / 2.0;
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(c, radius, radius);
    for (int i = 0; i < 16; ++i) {
        double a = i * 22.5;
        double inner = (i % 4 == 0) ? radius * 0.78 : radius * 0.9;
        p.drawLine(QPointF(c.x() + display::polarX(a, inner), c.y() - display::polarY(a, inner)),
                   QPointF(c.x() + display::polarX(a, radius), c.y() - display::polarY(a, radius)));
    }
    QFontMetricsF fm(p.font());
    const char* marks[] = {"N", "E", "S", "W"};
    for (int i = 0; i < 4; ++i) {
        double a = i * 90.0;
        QPointF at(c.x() + display::polarX(a, radius * 1.3), c.y() - display::polarY(a, radius * 1.3));
        p.drawText(QRectF(at.x() - 10, at.y() - fm.height() / 2, 20, fm.height()), Qt::AlignCenter, marks[i]);
    }
    if (directionDeg) {
        // The wind comes from the direction: the line points to where it blows from.
        p.setPen(QPen(Qt::magenta, 3));
        p.drawLine(c, QPointF(c.x() + display::polarX(*directionDeg, radius), c.y() - display::polarY(*directionDeg, radius)));
    }
    p.restore();
}

}  // namespace skyloom::gui

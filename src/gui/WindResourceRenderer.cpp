#include "gui/WindResourceRenderer.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "core/Formats.h"
#include "display/PowerGraphModel.h"

namespace skyloom::gui {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kHeadingLines = 8;   // title, up to six key lines, a gap
constexpr double kGap = 6;

QString q(const std::string& s) { return QString::fromStdString(s); }

QString tickText(double v) { return q(core::formatPlain(std::round(v * 100) / 100)); }

// A plot frame inside a panel: the title on the first line, tick labels left
// and below, and a caption below the ticks when given.
struct Frame {
    QRectF plot;
    double x0, x1, y0, y1;
    double xAt(double v) const { return plot.left() + (v - x0) / (x1 - x0) * plot.width(); }
    double yAt(double v) const { return plot.bottom() - (v - y0) / (y1 - y0) * plot.height(); }
    QPointF at(double x, double y) const { return {xAt(x), yAt(y)}; }
};

// The panel's title in bold, wrapped over at most two lines; returns its height.
double drawTitle(QPainter& p, const QRectF& panel, const std::string& title) {
    p.save();
    QFont f = p.font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    const QFontMetricsF fm(f);
    const QRectF box(panel.left(), panel.top(), panel.width(), 2 * fm.height());
    const QRectF used = p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, q(title));
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, q(title));
    p.restore();
    return std::min(used.height(), box.height());
}

double niceStep(double span) { return display::niceCeiling(span / 5); }

// The x ticks of a frame: whole steps (at least 1 when wholeX) from the first
// multiple of the step inside the range.
Frame drawFrame(QPainter& p, const QRectF& panel, const std::string& title, double x0, double x1, double y0,
                double y1, const std::string& xCaption, bool xTicks = true, int bottomLines = 0, bool wholeX = false) {
    const QFontMetricsF fm(p.font());
    const double titleHeight = drawTitle(p, panel, title);
    const double below = fm.height() * (1 + (xCaption.empty() ? 0 : 2) + bottomLines) + 4;
    Frame f{panel.adjusted(fm.horizontalAdvance("00000") + 6, titleHeight + 6, -6, -below), x0, x1, y0, y1};
    p.setBrush(Qt::NoBrush);
    p.fillRect(f.plot, Qt::white);
    p.setPen(QPen(QColor(215, 215, 215), 0));
    const double yStep = niceStep(y1 - y0);
    for (double v = y0; v <= y1 + 1e-9; v += yStep) p.drawLine(f.at(x0, v), f.at(x1, v));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(f.plot);
    for (double v = y0; v <= y1 + 1e-9; v += yStep) {
        const QString t = tickText(v);
        p.drawText(QPointF(f.plot.left() - fm.horizontalAdvance(t) - 3, f.yAt(v) + fm.ascent() / 2 - 1), t);
    }
    if (xTicks) {
        double xStep = niceStep(x1 - x0);
        if (wholeX) xStep = std::max(1.0, std::ceil(xStep));
        for (double v = std::ceil(x0 / xStep - 1e-9) * xStep; v <= x1 + 1e-9; v += xStep) {
            const QString t = tickText(v);
            p.drawLine(f.at(v, y0), QPointF(f.xAt(v), f.plot.bottom() + 3));
            p.drawText(QPointF(f.xAt(v) - fm.horizontalAdvance(t) / 2, f.plot.bottom() + fm.ascent() + 3), t);
        }
    }
    if (!xCaption.empty())
        p.drawText(QRectF(panel.left(), f.plot.bottom() + fm.height() + 3, panel.width(), 2 * fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, q(xCaption));
    return f;
}

// A bearing (degrees clockwise from north) at a radius around a centre.
QPointF polar(const QPointF& c, double bearing, double radius) {
    const double a = bearing * kPi / 180.0;
    return {c.x() + radius * std::sin(a), c.y() - radius * std::cos(a)};
}

void paintRose(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const double titleHeight = drawTitle(p, panel, g.roseTitle);
    const QFontMetricsF fm(p.font());
    const QRectF area = panel.adjusted(0, titleHeight + 4, 0, 0);
    const double radius = std::max(10.0, std::min(area.width(), area.height()) / 2 - fm.height() - 4);
    const QPointF c = area.center();
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(c, radius, radius);
    // Sectors: the wedge's radius is its share of the time.
    p.setPen(QPen(WindResourceRenderer::roseFill().darker(130), 1));
    p.setBrush(WindResourceRenderer::roseFill());
    const double half = 360.0 / power::kRoseSectors / 2;
    for (const auto& s : g.rose) {
        const double r = s.share / g.roseMax * radius;
        if (r <= 0) continue;
        QPainterPath wedge(c);
        wedge.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90 - (s.centre + half), 2 * half);
        wedge.closeSubpath();
        p.drawPath(wedge);
    }
    // Energy shares: one outline round the rose.
    QPolygonF energy;
    for (const auto& s : g.rose) {
        const double r = s.energyShare / g.roseMax * radius;
        energy << polar(c, s.centre - half, r) << polar(c, s.centre + half, r);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 30, 30), 1.6));
    p.drawPolygon(energy);
    p.setPen(QPen(QColor(170, 170, 170), 0, Qt::DashLine));
    for (double ring : g.roseRings) {
        const double r = ring / g.roseMax * radius;
        p.drawEllipse(c, r, r);
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    for (double ring : g.roseRings) {
        const QString t = tickText(ring) + "%";
        p.drawText(polar(c, 45, ring / g.roseMax * radius) + QPointF(2, 0), t);
    }
    const char* compass[] = {"N", "E", "S", "W"};
    for (int i = 0; i < 4; ++i) {
        const QString t = compass[i];
        const QPointF at = polar(c, 90.0 * i, radius + fm.height() * 0.6);
        p.drawText(QPointF(at.x() - fm.horizontalAdvance(t) / 2, at.y() + fm.ascent() / 2 - 1), t);
    }
}

void paintHistogram(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const Frame f = drawFrame(p, panel, g.histogramTitle, 0, g.histogramMaxSpeed, 0, g.histogramMaxShare,
                              g.histogramSpeedCaption);
    p.setPen(QPen(WindResourceRenderer::barFill().darker(140), 0));
    p.setBrush(WindResourceRenderer::barFill());
    for (const auto& b : g.bars)
        if (b.share > 0) p.drawRect(QRectF(f.at(b.from, b.share), f.at(b.to, 0)));
    auto line = [&](const std::vector<display::ResourcePoint>& pts, const QColor& colour) {
        QPolygonF poly;
        for (const auto& pt : pts) poly << f.at(pt.x, std::min(pt.y, f.y1));
        p.setPen(QPen(colour, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(poly);
    };
    line(g.maximumLikelihoodCurve, QColor(0, 0, 180));
    line(g.energyCurve, QColor(200, 30, 30));
    // The key of the two fits in the plot's upper right corner.
    const QFontMetricsF fm(p.font());
    const char* names[] = {"Weibull, maximum likelihood", "Weibull, energy conserving"};
    const QColor colours[] = {QColor(0, 0, 180), QColor(200, 30, 30)};
    const double width = fm.horizontalAdvance(names[0]) + 30;
    for (int i = 0; i < 2; ++i) {
        const double y = f.plot.top() + 4 + (i + 0.5) * fm.height();
        const double x = f.plot.right() - width;
        p.setPen(QPen(colours[i], 1.8));
        p.drawLine(QPointF(x, y), QPointF(x + 20, y));
        p.setPen(Qt::black);
        p.drawText(QPointF(x + 24, y + fm.ascent() / 2 - 1), names[i]);
    }
}

void paintProfile(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const Frame f = drawFrame(p, panel, g.profileTitle, 0, g.profileMaxSpeed, 0, g.profileMaxHeight,
                              g.profileSpeedCaption);
    QPolygonF law;
    for (const auto& pt : g.powerLaw)
        if (pt.x <= g.profileMaxSpeed) law << f.at(pt.x, pt.y);
    p.setPen(QPen(QColor(0, 140, 0), 1.4, Qt::DashLine));
    p.drawPolyline(law);
    QPolygonF profile;
    for (const auto& pt : g.profile) profile << f.at(pt.x, pt.y);
    p.setPen(QPen(QColor(0, 0, 150), 2));
    p.drawPolyline(profile);
    p.setBrush(QColor(0, 0, 150));
    for (const QPointF& pt : profile) p.drawEllipse(pt, 2.5, 2.5);
    if (g.chosen) {
        p.setBrush(QColor(220, 0, 0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(f.at(g.chosen->x, g.chosen->y), 4, 4);
    }
    p.setPen(Qt::black);
    const QFontMetricsF fm(p.font());
    for (const auto& l : g.alphaLabels)
        p.drawText(QPointF(std::min(f.xAt(l.at.x) + 6, f.plot.right() - fm.horizontalAdvance(q(l.text)) - 2),
                           f.yAt(l.at.y) + fm.ascent() / 2 - 1),
                   q(l.text));
}

void paintMonthly(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const QFontMetricsF fm(p.font());
    const int noteLines = 3;
    const Frame f = drawFrame(p, panel, g.monthlyTitle, 0, 12, 0, g.monthlyMax, "", false, noteLines);
    p.setPen(QPen(WindResourceRenderer::barFill().darker(140), 0));
    p.setBrush(WindResourceRenderer::barFill().darker(115));
    // Narrow bars take the months' initials.
    const bool initials = fm.horizontalAdvance("May") + 4 > f.plot.width() / 12;
    for (std::size_t m = 0; m < 12; ++m) {
        const double x = static_cast<double>(m);
        if (g.monthly[m]) p.drawRect(QRectF(f.at(x + 0.15, *g.monthly[m]), f.at(x + 0.85, 0)));
        p.setPen(Qt::black);
        const QString name = display::monthNames()[m];
        const QString t = initials ? name.left(1) : name;
        p.drawText(QPointF(f.xAt(x + 0.5) - fm.horizontalAdvance(t) / 2, f.plot.bottom() + fm.ascent() + 3), t);
        p.setPen(QPen(WindResourceRenderer::barFill().darker(140), 0));
    }
    QFont small = p.font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    p.save();
    p.setFont(small);
    p.setPen(QColor(90, 60, 0));
    p.drawText(QRectF(panel.left(), f.plot.bottom() + fm.height() + 4, panel.width(),
                      panel.bottom() - f.plot.bottom() - fm.height() - 4),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, q(g.monthlyNote));
    p.restore();
}

void paintYears(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const double first = g.years.empty() ? 0 : g.years.front().year - 0.5;
    const double last = g.years.empty() ? 1 : g.years.back().year + 0.5;
    const Frame f =
        drawFrame(p, panel, g.yearsTitle, first, last, g.yearsMinSpeed, g.yearsMaxSpeed, g.trendText, true, 0, true);
    if (g.trendLine) {
        p.setPen(QPen(QColor(200, 30, 30), 1.6));
        p.drawLine(f.at((*g.trendLine)[0].x, (*g.trendLine)[0].y), f.at((*g.trendLine)[1].x, (*g.trendLine)[1].y));
    }
    p.setPen(QPen(QColor(0, 0, 150), 1.4));
    for (const auto& y : g.years) {
        p.setBrush(y.complete ? QBrush(QColor(0, 0, 150)) : QBrush(Qt::white));
        p.drawEllipse(f.at(y.year, y.mean), 3.5, 3.5);
    }
}

void paintTable(QPainter& p, const QRectF& panel, const display::ResourceGraphs& g) {
    const double titleHeight = drawTitle(p, panel, "Yearly energy of the generator: P50, P75 and P90");
    const QFontMetricsF fm(p.font());
    const double row = fm.height() + 6;
    const double top = panel.top() + titleHeight + 4;
    const double first = panel.width() * 0.34;
    const double other = (panel.width() - first) / 2;
    for (std::size_t r = 0; r < g.table.size(); ++r) {
        const double y = top + static_cast<double>(r) * row;
        if (r == 0) p.fillRect(QRectF(panel.left(), y, panel.width(), row), WindResourceRenderer::tableHeaderFill());
        p.setPen(QPen(QColor(150, 150, 150), 0));
        p.drawLine(QPointF(panel.left(), y + row), QPointF(panel.right(), y + row));
        p.setPen(Qt::black);
        const auto& cells = g.table[r];
        p.drawText(QRectF(panel.left() + 4, y, first - 8, row), Qt::AlignLeft | Qt::AlignVCenter, q(cells[0]));
        for (int c = 1; c < 3; ++c)
            p.drawText(QRectF(panel.left() + first + (c - 1) * other, y, other - 6, row), Qt::AlignRight | Qt::AlignVCenter,
                       q(cells[static_cast<std::size_t>(c)]));
    }
    QFont small = p.font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    p.save();
    p.setFont(small);
    double y = top + static_cast<double>(g.table.size()) * row + 4;
    for (const auto& note : g.tableNotes) {
        const QRectF box(panel.left(), y, panel.width(), panel.bottom() - y);
        const QRectF used = p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, q(note));
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, q(note));
        y += used.height() + 3;
        if (y >= panel.bottom()) break;
    }
    p.restore();
}

void paintHeading(QPainter& p, const QRectF& rect, const display::ResourceGraphs& g) {
    drawTitle(p, rect, g.title);
    const QFontMetricsF fm(p.font());
    p.setPen(Qt::black);
    double y = rect.top() + fm.height() * 1.3;
    for (const auto& line : g.keyLines) {
        p.drawText(QRectF(rect.left(), y, rect.width(), fm.height()), Qt::AlignLeft | Qt::AlignTop,
                   fm.elidedText(q(line), Qt::ElideRight, rect.width()));
        y += fm.height();
    }
}

}  // namespace

WindResourceRenderer::Layout WindResourceRenderer::layout(const QRectF& rect, double lineHeight) {
    Layout l;
    l.heading = QRectF(rect.left(), rect.top(), rect.width(), lineHeight * kHeadingLines);
    const double top = l.heading.bottom();
    const double w = (rect.width() - 2 * kGap) / 3;
    const double h = (rect.bottom() - top - kGap) / 2;
    auto cell = [&](int col, int row) {
        return QRectF(rect.left() + col * (w + kGap), top + row * (h + kGap), w, h);
    };
    l.rose = cell(0, 0);
    l.histogram = cell(1, 0);
    l.profile = cell(2, 0);
    l.monthly = cell(0, 1);
    l.years = cell(1, 1);
    l.table = cell(2, 1);
    return l;
}

void WindResourceRenderer::paint(QPainter& p, const QRectF& rect, const display::ResourceGraphs& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect, QColor(250, 250, 247));
    const Layout l = layout(rect, QFontMetricsF(p.font()).height());
    paintHeading(p, l.heading, g);
    if (g.computed) {
        paintRose(p, l.rose, g);
        paintHistogram(p, l.histogram, g);
        paintProfile(p, l.profile, g);
        paintMonthly(p, l.monthly, g);
        paintYears(p, l.years, g);
        paintTable(p, l.table, g);
    }
    p.restore();
}

}  // namespace skyloom::gui

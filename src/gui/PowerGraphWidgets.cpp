#include "gui/PowerGraphWidgets.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QGridLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "power/PowerPageEnergy.h"
#include "session/PowerPage.h"

namespace skyloom::gui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QColor kCurveBlue(0, 0, 170);
const QColor kCutOutRed(200, 0, 0);
const QColor kStoredGreen(40, 150, 70);
const QColor kBoughtRed(205, 60, 40);

// A plot area with its data ranges; maps data to widget coordinates and back.
struct Frame {
    QRectF plot;
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    double xAt(double v) const { return plot.left() + (v - xMin) / (xMax - xMin) * plot.width(); }
    double yAt(double v) const { return plot.bottom() - (v - yMin) / (yMax - yMin) * plot.height(); }
    double xOf(double px) const { return xMin + (px - plot.left()) / plot.width() * (xMax - xMin); }
};

QFont boldOf(const QFont& f) {
    QFont b = f;
    b.setBold(true);
    return b;
}

// A text under the graph in its colour.
struct Note {
    QString text;
    QColor color;
};
using Notes = std::vector<Note>;

// The height a note takes when wrapped to the graph's width.
double noteHeight(const QFontMetricsF& fm, const QRectF& rect, const QString& text) {
    return fm.boundingRect(QRectF(0, 0, rect.width() - 8, 1000), Qt::AlignLeft | Qt::TextWordWrap, text).height();
}

// Room for the title (wrapped over as many lines as the width needs), the y labels
// and caption on the left, and the x labels, caption and the wrapped notes below.
QRectF plotAreaFor(const QFont& font, const QRectF& rect, const QString& title,
                   const std::vector<display::AxisLabel>& yLabels, const Notes& notes) {
    QFontMetricsF fm(font);
    QFontMetricsF bold(boldOf(font));
    const QRectF titleBox =
        bold.boundingRect(QRectF(0, 0, rect.width() - 8, 1000), Qt::AlignLeft | Qt::TextWordWrap, title);
    double labelWidth = 0;
    for (const auto& l : yLabels) labelWidth = std::max(labelWidth, fm.horizontalAdvance(q(l.text)));
    const double left = fm.height() + 6 + labelWidth + 6;
    const double top = titleBox.height() + 4 + fm.height() * 0.6;
    double bottom = fm.height() * 2 + 8;
    for (const Note& n : notes) bottom += noteHeight(fm, rect, n.text);
    return rect.adjusted(left, top, -std::max(14.0, fm.horizontalAdvance(QStringLiteral("0000")) / 2), -bottom);
}

void drawTitle(QPainter& p, const QRectF& rect, const QString& title) {
    p.save();
    p.setFont(boldOf(p.font()));
    p.setPen(Qt::black);
    p.drawText(QRectF(rect.left() + 4, rect.top() + 2, rect.width() - 8, rect.height()),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title);
    p.restore();
}

void drawAxes(QPainter& p, const QRectF& rect, const Frame& f, const std::vector<display::AxisLabel>& xs,
              const std::vector<display::AxisLabel>& ys, const QString& xCaption, const QString& yCaption) {
    QFontMetricsF fm(p.font());
    p.fillRect(f.plot, Qt::white);
    p.setPen(QPen(QColor(215, 215, 215), 0));
    for (const auto& l : xs) p.drawLine(QPointF(f.xAt(l.at), f.plot.top()), QPointF(f.xAt(l.at), f.plot.bottom()));
    for (const auto& l : ys) p.drawLine(QPointF(f.plot.left(), f.yAt(l.at)), QPointF(f.plot.right(), f.yAt(l.at)));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(f.plot);
    // Labels never overlap: when crowded only every second (third, ...) one is shown.
    auto leftOf = [&](const display::AxisLabel& l) {
        const double w = fm.horizontalAdvance(q(l.text));
        return std::clamp(f.xAt(l.at) - w / 2, rect.left(), rect.right() - w);
    };
    std::size_t stride = 1;
    for (; stride < std::max<std::size_t>(xs.size(), 1); ++stride) {
        bool fits = true;
        for (std::size_t i = stride; i < xs.size() && fits; i += stride)
            fits = leftOf(xs[i]) >= leftOf(xs[i - stride]) + fm.horizontalAdvance(q(xs[i - stride].text)) + 8;
        if (fits) break;
    }
    for (std::size_t i = 0; i < xs.size(); i += stride)
        p.drawText(QPointF(leftOf(xs[i]), f.plot.bottom() + fm.ascent() + 3), q(xs[i].text));
    for (const auto& l : ys) {
        const QString t = q(l.text);
        const double w = fm.horizontalAdvance(t);
        p.drawText(QPointF(f.plot.left() - w - 5, f.yAt(l.at) + fm.ascent() / 2 - 1), t);
    }
    p.drawText(QRectF(f.plot.left(), f.plot.bottom() + fm.height() + 4, f.plot.width(), fm.height()),
               Qt::AlignHCenter | Qt::AlignTop, xCaption);
    p.save();
    QFont captionFont = p.font();
    const double wanted = fm.horizontalAdvance(yCaption);
    // A short graph gets a smaller caption rather than a cut one.
    if (wanted > f.plot.height() && wanted > 0)
        captionFont.setPointSizeF(std::max(6.0, captionFont.pointSizeF() * 0.95 * f.plot.height() / wanted));
    p.setFont(captionFont);
    p.translate(rect.left() + 2, f.plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-f.plot.height() / 2 - 20, 0, f.plot.height() + 40, fm.height()), Qt::AlignCenter, yCaption);
    p.restore();
}

// The notes under the x caption, each wrapped to the graph's width.
void drawNotes(QPainter& p, const QRectF& rect, const Frame& f, const Notes& notes) {
    QFontMetricsF fm(p.font());
    double y = f.plot.bottom() + 2 * fm.height() + 6;
    for (const Note& n : notes) {
        const double h = noteHeight(fm, rect, n.text);
        p.setPen(n.color);
        p.drawText(QRectF(rect.left() + 4, y, rect.width() - 8, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   n.text);
        y += h;
    }
}

Notes curveNotes(const display::PowerCurveModel& g) {
    Notes notes;
    for (const auto& l : g.legend) {
        const QString t = q(l);
        notes.push_back({t, t.startsWith(QStringLiteral("Red")) ? QColor(200, 0, 0) : QColor(Qt::black)});
    }
    return notes;
}

Notes outputNotes(const display::OutputGraphModel& g) {
    if (g.points.empty()) return {};
    return {{q(g.averageLabel), QColor(0, 110, 0)}};
}

Notes energyNotes(const display::EnergyGraphModel& g) {
    if (g.bars.empty()) return {};
    return {{q(g.modeCaption), QColor(60, 60, 60)}, {q(g.keysCaption), QColor(60, 60, 60)}};
}

QPolygonF polyline(const Frame& f, const std::vector<display::PlotPoint>& pts) {
    QPolygonF poly;
    for (const auto& pt : pts) poly << QPointF(f.xAt(pt.x), f.yAt(pt.y));
    return poly;
}

void drawEmptyNote(QPainter& p, const Frame& f, const QString& text) {
    p.setPen(Qt::gray);
    p.drawText(f.plot, Qt::AlignCenter, text);
}

}  // namespace

QRectF PowerGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::PowerCurveModel& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QString title = q(g.title);
    const Notes notes = curveNotes(g);
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, notes), 0, g.xMaxKnots, 0, g.yMaxKw};
    drawTitle(p, rect, title);
    drawAxes(p, rect, f, g.xAxis, g.yAxis, q(g.xCaption), q(g.yCaption));
    p.setClipRect(f.plot.adjusted(-1, -1, 1, 1));
    if (!g.distribution.empty()) {
        p.setPen(QPen(QColor(220, 0, 0), 1.6));
        p.drawPolyline(polyline(f, g.distribution));
    }
    if (!g.powerBand.empty()) {
        p.setPen(QPen(Qt::black, 1.6, Qt::DashLine));
        p.drawPolyline(polyline(f, g.powerBand));
    }
    if (g.comparison) {
        p.setPen(QPen(Qt::black, 2));
        p.drawPolyline(polyline(f, g.comparison->points));
    }
    if (!g.curve.points.empty()) {
        p.setPen(QPen(kCurveBlue, 2.6));
        p.drawPolyline(polyline(f, g.curve.points));
        p.setBrush(kCurveBlue);
        // The curve points themselves; the held stretch and the drop are not points.
        const QPolygonF pts = polyline(f, g.curve.points);
        const qsizetype marked = g.curve.cutOutKnots ? pts.size() - 2 : pts.size();
        for (qsizetype i = 0; i < std::max<qsizetype>(marked, 1); ++i) p.drawEllipse(pts[i], 2.6, 2.6);
        p.setBrush(Qt::NoBrush);
    }
    QFontMetricsF fm(p.font());
    if (g.curve.cutOutKnots) {
        const double x = f.xAt(*g.curve.cutOutKnots);
        p.setPen(QPen(kCutOutRed, 1.4, Qt::DashLine));
        p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
        const QString label = q(g.cutOutLabel);
        const double w = fm.horizontalAdvance(label);
        // Left of the line when the right side has no room.
        const double lx = x + 4 + w <= f.plot.right() ? x + 4 : x - 4 - w;
        p.setPen(kCutOutRed);
        p.drawText(QPointF(lx, f.plot.top() + fm.ascent() + 3), label);
    }
    p.setClipping(false);
    // The legend under the speed caption, each line in the colour of its curve.
    drawNotes(p, rect, f, notes);
    if (g.empty) drawEmptyNote(p, f, QStringLiteral("No generator chosen"));
    p.restore();
    return f.plot;
}

QRectF PowerGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::OutputGraphModel& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QString title = q(g.title);
    const Notes notes = outputNotes(g);
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, notes), g.xMin, g.xMax, 0, g.yMaxKw};
    drawTitle(p, rect, title);
    drawAxes(p, rect, f, g.xAxis, g.yAxis, q(g.xCaption), q(g.yCaption));
    if (!g.points.empty()) {
        // One bar per point over the stretch of time its soundings cover, halfway to its neighbours.
        const QColor fill(120, 120, 210);
        const std::size_t n = g.points.size();
        p.setRenderHint(QPainter::Antialiasing, false);
        for (std::size_t i = 0; i < n; ++i) {
            const double x = f.xAt(g.points[i].x);
            const double before = i > 0 ? (x - f.xAt(g.points[i - 1].x)) / 2 : (n > 1 ? (f.xAt(g.points[1].x) - x) / 2 : 1);
            const double after = i + 1 < n ? (f.xAt(g.points[i + 1].x) - x) / 2 : before;
            const double x0 = std::max(f.plot.left(), x - before), x1 = std::min(f.plot.right(), x + after);
            const double y = f.yAt(g.points[i].y);
            p.fillRect(QRectF(QPointF(x0, y), QPointF(x1, f.yAt(0))), fill);
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        const double y = f.yAt(g.averageKw);
        p.setPen(QPen(QColor(0, 130, 0), 1.5, Qt::DashLine));
        p.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
        drawNotes(p, rect, f, notes);
    } else {
        drawEmptyNote(p, f, QStringLiteral("No site analysed yet"));
    }
    p.restore();
    return f.plot;
}

QRectF PowerGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::EnergyGraphModel& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QString title = q(g.title);
    const Notes notes = energyNotes(g);
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, notes), g.xMin, g.xMax, g.yMin, g.yMax};
    drawTitle(p, rect, title);
    drawAxes(p, rect, f, g.xAxis, g.yAxis, q(g.xCaption), q(g.yCaption));
    const QColor color = g.kind == display::EnergyGraphKind::Stored ? kStoredGreen : kBoughtRed;
    if (!g.bars.empty()) {
        // Thousands of bars share a few hundred pixel columns: each column is drawn once,
        // from zero to the highest and lowest value of the bars that reach it.
        struct Column {
            double lo = 0, hi = 0;
            bool used = false;
        };
        const int width = std::max(1, static_cast<int>(std::floor(f.plot.width())));
        std::vector<Column> cols(static_cast<std::size_t>(width));
        for (const auto& b : g.bars) {
            const int c0 = std::clamp(static_cast<int>(std::floor(f.xAt(b.from) - f.plot.left())), 0, width - 1);
            const int c1 = std::clamp(static_cast<int>(std::ceil(f.xAt(b.to) - f.plot.left())) - 1, c0, width - 1);
            for (int c = c0; c <= c1; ++c) {
                Column& col = cols[static_cast<std::size_t>(c)];
                col.lo = col.used ? std::min(col.lo, b.value) : std::min(0.0, b.value);
                col.hi = col.used ? std::max(col.hi, b.value) : std::max(0.0, b.value);
                col.used = true;
            }
        }
        const double zero = f.yAt(0);
        const QColor fill(color.red(), color.green(), color.blue(), 150);
        p.setRenderHint(QPainter::Antialiasing, false);
        QList<QLineF> edges;   // the top (and bottom) of every run of equal columns
        for (int c = 0; c < width;) {
            const Column& col = cols[static_cast<std::size_t>(c)];
            int run = 1;
            while (c + run < width) {
                const Column& next = cols[static_cast<std::size_t>(c + run)];
                if (next.used != col.used || next.lo != col.lo || next.hi != col.hi) break;
                ++run;
            }
            if (col.used) {
                const double x0 = f.plot.left() + c, x1 = x0 + run;
                const double yHi = f.yAt(col.hi), yLo = f.yAt(col.lo);
                p.fillRect(QRectF(QPointF(x0, yHi), QPointF(x1, yLo)), fill);
                if (col.hi > 0) edges << QLineF(x0, yHi, x1, yHi);
                if (col.lo < 0) edges << QLineF(x0, yLo, x1, yLo);
            }
            c += run;
        }
        p.setPen(QPen(color.darker(130), 1));
        p.drawLines(edges);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(f.plot.left(), zero), QPointF(f.plot.right(), zero));
        drawNotes(p, rect, f, notes);
    } else {
        drawEmptyNote(p, f, QStringLiteral("No energy balance yet"));
    }
    p.restore();
    return f.plot;
}

PowerCurveGraph::PowerCurveGraph(QWidget* parent) : QWidget(parent) {
    setObjectName("PowerCurveGraph");
    setMinimumSize(320, 240);
}

void PowerCurveGraph::setModel(display::PowerCurveModel model) {
    model_ = std::move(model);
    QString tip = q(model_.tip);
    for (const auto& l : model_.legend) tip += "\n" + q(l);
    setToolTip(tip);
    update();
}

void PowerCurveGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    PowerGraphRenderer::paint(p, QRectF(rect()), model_);
}

PowerOutputGraph::PowerOutputGraph(QWidget* parent) : QWidget(parent) {
    setObjectName("PowerOutputGraph");
    setMinimumSize(320, 220);
}

void PowerOutputGraph::setModel(display::OutputGraphModel model) {
    model_ = std::move(model);
    setToolTip(q(model_.tip));
    update();
}

namespace {

// A magenta line at the shown sounding's time, the colour of the sounding on Graph 2.
void paintMarker(QPainter& p, const QRectF& area, double xMin, double xMax, std::optional<double> at) {
    if (!at || xMax <= xMin || *at < xMin || *at > xMax || area.width() <= 0) return;
    const double x = area.left() + (*at - xMin) / (xMax - xMin) * area.width();
    p.setPen(QPen(Qt::magenta, 1.5));
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
}

}  // namespace

void PowerOutputGraph::setMarker(std::optional<double> hours) {
    if (hours == marker_) return;
    marker_ = hours;
    update();
}

void PowerOutputGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRectF area = PowerGraphRenderer::paint(p, QRectF(rect()), model_);
    if (!model_.empty) paintMarker(p, area, model_.xMin, model_.xMax, marker_);
}

void EnergyGraph::setMarker(std::optional<double> hours) {
    if (hours == marker_) return;
    marker_ = hours;
    update();
}

EnergyGraph::EnergyGraph(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 240);
    setMouseTracking(true);
}

void EnergyGraph::setModel(display::EnergyGraphModel model) {
    model_ = std::move(model);
    setObjectName(model_.kind == display::EnergyGraphKind::Stored ? "StoredGraph" : "PurchaseGraph");
    update();
}

QRectF EnergyGraph::plotArea() const {
    return plotAreaFor(font(), QRectF(rect()), q(model_.title), model_.yAxis, energyNotes(model_));
}

QString EnergyGraph::tipAt(const QPointF& at) const {
    const QRectF plot = plotArea();
    if (model_.empty || !plot.contains(at)) return q(model_.tip);
    Frame f{plot, model_.xMin, model_.xMax, model_.yMin, model_.yMax};
    return q(model_.hoverTextAt(f.xOf(at.x())));
}

void EnergyGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRectF area = PowerGraphRenderer::paint(p, QRectF(rect()), model_);
    if (!model_.empty) paintMarker(p, area, model_.xMin, model_.xMax, marker_);
}

bool EnergyGraph::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), tipAt(help->pos()), this);
        return true;
    }
    return QWidget::event(e);
}

PowerGraphsPanel::PowerGraphsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("PowerGraphsPanel");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);
    curve_ = new PowerCurveGraph(this);
    output_ = new PowerOutputGraph(this);
    stored_ = new EnergyGraph(this);
    purchase_ = new EnergyGraph(this);
    grid->addWidget(curve_, 0, 0);
    grid->addWidget(output_, 0, 1);
    grid->addWidget(stored_, 1, 0);
    grid->addWidget(purchase_, 1, 1);
    rebuildCurve();
    rebuildEnergy();
    output_->setModel(display::buildOutputGraph(sounding::Units{}, 0, {}, {}, {}));
}

void PowerGraphsPanel::refresh(session::PowerPage& page) {
    page_ = &page;
    const power::PowerPageEnergy& e = page.energy().energy();
    const bool computed = page.energy().computed();
    snapshot_ = computed ? display::snapshotOf(e) : nullptr;
    rebuildCurve();
    const auto& g = page.generator();
    const display::SoundingSeries series =
        computed ? display::SoundingSeries{e.speedKnots(), e.powerKw(), e.hours()} : display::SoundingSeries{};
    output_->setModel(display::buildOutputGraph(page.site().units(), page.heightFeet(), g ? g->name : std::string(),
                                                computed ? std::span<const core::HoursSince1930>(e.times())
                                                         : std::span<const core::HoursSince1930>(),
                                                series));
    rebuildEnergy();
}

void PowerGraphsPanel::setGrouping(int group) {
    group_ = display::clampPowerGraphGroup(group);
    rebuildEnergy();
}

void PowerGraphsPanel::setAlternativeMode(bool rates) {
    rates_ = rates;
    rebuildEnergy();
}

void PowerGraphsPanel::setComparison(std::optional<power::GeneratorRecord> g) {
    extras_.comparison = std::move(g);
    rebuildCurve();
}

void PowerGraphsPanel::setCurrentSounding(std::optional<double> hours) {
    output_->setMarker(hours);
    stored_->setMarker(hours);
    purchase_->setMarker(hours);
}

void PowerGraphsPanel::setCurveExtras(bool powerBand, bool energyDistribution) {
    extras_.powerBand = powerBand;
    extras_.energyDistribution = energyDistribution;
    rebuildCurve();
}

void PowerGraphsPanel::rebuildCurve() {
    if (!page_) {
        curve_->setModel(display::buildPowerCurve(sounding::Units{}, nullptr, extras_, {}));
        return;
    }
    const auto& g = page_->generator();
    const power::PowerPageEnergy& e = page_->energy().energy();
    const display::SoundingSeries series = page_->energy().computed()
                                               ? display::SoundingSeries{e.speedKnots(), e.powerKw(), e.hours()}
                                               : display::SoundingSeries{};
    curve_->setModel(display::buildPowerCurve(page_->site().units(), g ? &*g : nullptr, extras_, series));
}

void PowerGraphsPanel::rebuildEnergy() {
    stored_->setModel(display::buildEnergyGraph(display::EnergyGraphKind::Stored, snapshot_, group_, rates_));
    purchase_->setModel(display::buildEnergyGraph(display::EnergyGraphKind::Purchase, snapshot_, group_, rates_));
}

}  // namespace skyloom::gui

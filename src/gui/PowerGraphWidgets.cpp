#include "gui/PowerGraphWidgets.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QGridLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
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

// Room for the title (wrapped over as many lines as the width needs), the y labels
// and caption on the left, and the x labels, caption and `bottomLines` more lines below.
QRectF plotAreaFor(const QFont& font, const QRectF& rect, const QString& title,
                   const std::vector<display::AxisLabel>& yLabels, int bottomLines) {
    QFontMetricsF fm(font);
    QFontMetricsF bold(boldOf(font));
    const QRectF titleBox =
        bold.boundingRect(QRectF(0, 0, rect.width() - 8, 1000), Qt::AlignLeft | Qt::TextWordWrap, title);
    double labelWidth = 0;
    for (const auto& l : yLabels) labelWidth = std::max(labelWidth, fm.horizontalAdvance(q(l.text)));
    const double left = fm.height() + 6 + labelWidth + 6;
    const double top = titleBox.height() + 4 + fm.height() * 0.6;
    const double bottom = fm.height() * (2 + bottomLines) + 8;
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
    double lastRight = -1e9;
    for (const auto& l : xs) {
        const QString t = q(l.text);
        const double w = fm.horizontalAdvance(t);
        const double x = std::clamp(f.xAt(l.at) - w / 2, rect.left(), rect.right() - w);
        if (x < lastRight + 4) continue;   // labels never overlap: a crowded one is left out
        p.drawText(QPointF(x, f.plot.bottom() + fm.ascent() + 3), t);
        lastRight = x + w;
    }
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

// Lines under the x caption, one per text.
void drawBottomLines(QPainter& p, const QRectF& rect, const Frame& f, const QStringList& lines, const QColor& color) {
    QFontMetricsF fm(p.font());
    p.setPen(color);
    double y = f.plot.bottom() + 2 * fm.height() + 6;
    for (const QString& l : lines) {
        p.drawText(QRectF(rect.left() + 4, y, rect.width() - 8, fm.height()), Qt::AlignLeft | Qt::AlignTop,
                   fm.elidedText(l, Qt::ElideRight, rect.width() - 8));
        y += fm.height();
    }
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
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, static_cast<int>(g.legend.size())), 0, g.xMaxKnots, 0,
            g.yMaxKw};
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
    for (std::size_t i = 0; i < g.legend.size(); ++i) {
        const QString line = q(g.legend[i]);
        Frame below = f;
        below.plot.translate(0, fm.height() * static_cast<double>(i));
        drawBottomLines(p, rect, below, {line}, line.startsWith(QStringLiteral("Red")) ? QColor(200, 0, 0)
                                                                                    : QColor(Qt::black));
    }
    if (g.empty) drawEmptyNote(p, f, QStringLiteral("No generator chosen"));
    p.restore();
    return f.plot;
}

QRectF PowerGraphRenderer::paint(QPainter& p, const QRectF& rect, const display::OutputGraphModel& g) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QString title = q(g.title);
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, 1), g.xMin, g.xMax, 0, g.yMaxKw};
    drawTitle(p, rect, title);
    drawAxes(p, rect, f, g.xAxis, g.yAxis, q(g.xCaption), q(g.yCaption));
    if (!g.points.empty()) {
        QPolygonF area = polyline(f, g.points);
        area << QPointF(area.back().x(), f.yAt(0)) << QPointF(area.front().x(), f.yAt(0));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 170, 40));
        p.drawPolygon(area);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kCurveBlue, 1.3));
        p.drawPolyline(polyline(f, g.points));
        const double y = f.yAt(g.averageKw);
        p.setPen(QPen(QColor(0, 130, 0), 1.5, Qt::DashLine));
        p.drawLine(QPointF(f.plot.left(), y), QPointF(f.plot.right(), y));
        drawBottomLines(p, rect, f, {q(g.averageLabel)}, QColor(0, 110, 0));
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
    Frame f{plotAreaFor(p.font(), rect, title, g.yAxis, 2), g.xMin, g.xMax, g.yMin, g.yMax};
    drawTitle(p, rect, title);
    drawAxes(p, rect, f, g.xAxis, g.yAxis, q(g.xCaption), q(g.yCaption));
    const QColor color = g.kind == display::EnergyGraphKind::Stored ? kStoredGreen : kBoughtRed;
    if (!g.bars.empty()) {
        // Bars narrower than a pixel would leave gaps or moiré: they are drawn as one outline instead.
        const double zero = f.yAt(0);
        QPainterPath path;
        path.moveTo(f.xAt(g.bars.front().from), zero);
        for (const auto& b : g.bars) {
            path.lineTo(f.xAt(b.from), f.yAt(b.value));
            path.lineTo(f.xAt(b.to), f.yAt(b.value));
        }
        path.lineTo(f.xAt(g.bars.back().to), zero);
        path.closeSubpath();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillPath(path, QColor(color.red(), color.green(), color.blue(), 150));
        p.setPen(QPen(color.darker(130), 1));
        p.drawPath(path);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(f.plot.left(), zero), QPointF(f.plot.right(), zero));
        drawBottomLines(p, rect, f, {q(g.modeCaption), q(g.keysCaption)}, QColor(60, 60, 60));
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

void PowerOutputGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    PowerGraphRenderer::paint(p, QRectF(rect()), model_);
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
    return plotAreaFor(font(), QRectF(rect()), q(model_.title), model_.yAxis, 2);
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
    PowerGraphRenderer::paint(p, QRectF(rect()), model_);
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
    setObjectName("PowerGraphs");
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

#include "gui/HeightGraphWidgets.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "gui/HeightGraphRenderer.h"

namespace skyloom::gui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}

Graph1Widget::Graph1Widget(QWidget* parent) : QWidget(parent) {
    setObjectName("wg");
    setMinimumSize(300, 260);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Graph1Widget::setModel(display::Graph1Model model, QColor bandColor) {
    model_ = std::move(model);
    band_ = bandColor;
    update();
}

void Graph1Widget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    HeightGraphRenderer::paint(p, QRectF(rect()), model_, band_);
}

void Graph1Widget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    emit resized();
}

double Graph1Widget::labelHeightFeet() const {
    QRectF plot = HeightGraphRenderer::plotArea(QRectF(rect()));
    if (plot.height() <= 0) return 220;
    return (fontMetrics().height() + 1) / plot.height() * display::kGraphMaxHeight;
}

QString Graph1Widget::tipAt(const QPointF& at) const {
    QRectF plot = HeightGraphRenderer::plotArea(QRectF(rect()));
    if (!plot.contains(at) || model_.empty) return q(model_.lineTip);
    double feet = (plot.bottom() - at.y()) / plot.height() * display::kGraphMaxHeight;
    int level = static_cast<int>(feet / 500.0 + 0.5);
    if (level <= 0) return q(model_.groundSpeedTip);
    const std::size_t i = static_cast<std::size_t>(std::min(level, 10) - 1);
    // Over the right part the power-factor curve is meant, over the left the bands.
    if (at.x() > plot.center().x()) return q(model_.powerTexts[i]);
    return q(model_.bandTexts[i]) + "\n" + q(model_.bandShareText);
}

bool Graph1Widget::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        QToolTip::showText(help->globalPos(), tipAt(help->pos()), this);
        return true;
    }
    return QWidget::event(e);
}

Graph2Widget::Graph2Widget(QWidget* parent) : QWidget(parent) {
    setObjectName("Graph2");
    setMinimumSize(220, 200);
    setCursor(Qt::PointingHandCursor);
}

void Graph2Widget::setModel(display::Graph2Model model) {
    model_ = std::move(model);
    setToolTip(q(model_.explanation));
    update();
}

void Graph2Widget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    HeightGraphRenderer::paint(p, QRectF(rect()), model_);
}

void Graph2Widget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit clicked();
}

CompassWidget::CompassWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("Wdir");
    setFixedSize(96, 96);
    setToolTip(QStringLiteral("Wind direction of the sounding"));
}

void CompassWidget::setDirection(std::optional<double> deg) {
    direction_ = deg;
    update();
}

void CompassWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    HeightGraphRenderer::paintCompass(p, QRectF(rect()), direction_);
}

YearGraphWidget::YearGraphWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("YearGraph");
    setMinimumHeight(110);
}

void YearGraphWidget::setModel(display::YearGraphModel model) {
    model_ = std::move(model);
    update();
}

void YearGraphWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    HeightGraphRenderer::paint(p, QRectF(rect()), model_);
}

}  // namespace skyloom::gui

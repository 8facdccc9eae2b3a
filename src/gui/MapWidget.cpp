#include "gui/MapWidget.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace skyloom::gui {

namespace {

display::MouseButton buttonOf(Qt::MouseButton b) {
    if (b == Qt::LeftButton) return display::MouseButton::Left;
    if (b == Qt::RightButton) return display::MouseButton::Right;
    return display::MouseButton::None;
}

display::MouseButton heldOf(Qt::MouseButtons b) {
    if (b & Qt::LeftButton) return display::MouseButton::Left;
    if (b & Qt::RightButton) return display::MouseButton::Right;
    return display::MouseButton::None;
}

void drawGrid(QPainter& p, const QRectF& rect) {
    p.fillRect(rect, QColor(205, 225, 240));
    p.setPen(QPen(QColor(150, 170, 190), 0));
    for (int lon = -180; lon <= 180; lon += 30) {
        QPointF a = MapRenderer::toPixel(rect, lon + 180.0, 0), b = MapRenderer::toPixel(rect, lon + 180.0, 178);
        p.drawLine(a, b);
    }
    for (int lat = 80; lat >= -90; lat -= 20) {
        QPointF a = MapRenderer::toPixel(rect, 0, 88.0 - lat), b = MapRenderer::toPixel(rect, 360, 88.0 - lat);
        p.drawLine(a, b);
    }
    p.setPen(QPen(QColor(110, 130, 150), 0));
    QPointF a = MapRenderer::toPixel(rect, 0, 88), b = MapRenderer::toPixel(rect, 360, 88);
    p.drawLine(a, b);
}

void paintLegend(QPainter& p, const QRectF& rect, bool orderPage) {
    struct Entry {
        QColor color;
        const char* text;
        bool ring;
    };
    const std::vector<Entry> entries =
        orderPage ? std::vector<Entry>{{Qt::black, "Radiosonde site", false},
                                       {QColor(255, 0, 0), "Site in the order list", false},
                                       {Qt::white, "Area of current interest", true}}
                  : std::vector<Entry>{{Qt::black, "Site with data", false},
                                       {QColor(255, 0, 0), "Site displayed", false},
                                       {Qt::cyan, "Reference site", false},
                                       {Qt::white, "Closest site to the cursor", false}};
    QFontMetricsF fm(p.font());
    double w = 0;
    for (const auto& e : entries) w = std::max(w, fm.horizontalAdvance(QString::fromLatin1(e.text)));
    QRectF box(rect.left() + 6, rect.bottom() - 6 - entries.size() * (fm.height() + 2) - 6, w + 34,
               entries.size() * (fm.height() + 2) + 6);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRoundedRect(box, 4, 4);
    double y = box.top() + 4;
    for (const auto& e : entries) {
        QPointF c(box.left() + 12, y + fm.height() / 2);
        p.setPen(QPen(e.ring ? QColor(120, 120, 120) : Qt::black, e.ring ? 2 : 1));
        p.setBrush(e.ring ? Qt::NoBrush : QBrush(e.color));
        p.drawEllipse(c, 4.5, 4.5);
        p.setPen(Qt::black);
        p.drawText(QPointF(box.left() + 24, y + fm.ascent()), QString::fromLatin1(e.text));
        y += fm.height() + 2;
    }
}

}  // namespace

QImage MapRenderer::worldPicture(const QString& path) {
    QImage img(path);
    if (img.isNull()) return img;
    // The picture spans 90 N .. 90 S; the map's top edge is 88 N.
    int cut = static_cast<int>(img.height() * 2.0 / 180.0 + 0.5);
    img = img.copy(0, cut, img.width(), img.height() - cut).convertToFormat(QImage::Format_RGB32);
    // Lightened so that black dots, red and cyan markers and the white circle read well.
    QPainter p(&img);
    p.fillRect(img.rect(), QColor(255, 255, 255, 70));
    p.end();
    return img;
}

QPointF MapRenderer::toPixel(const QRectF& r, double x, double y) {
    return {r.left() + x / kWidth * r.width(), r.top() + y / kHeight * r.height()};
}

QPointF MapRenderer::toMap(const QRectF& r, const QPointF& px) {
    return {(px.x() - r.left()) / r.width() * kWidth, (px.y() - r.top()) / r.height() * kHeight};
}

namespace {
void drawDot(QPainter& p, const QRectF& rect, const MapScene::Dot& d, double radius, const QColor& fill, double minPx) {
    const double sx = rect.width() / MapRenderer::kWidth, sy = rect.height() / MapRenderer::kHeight;
    display::MapPoint m = display::toMap(d.lat, d.lon);
    QPointF c = MapRenderer::toPixel(rect, m.x, m.y);
    p.setBrush(fill);
    p.drawEllipse(c, std::max(minPx, radius * sx), std::max(minPx, radius * sy));
}
}  // namespace

void MapRenderer::paint(QPainter& p, const QRectF& rect, const QPixmap& picture, const MapScene& scene,
                        const display::MapModel& model) {
    paintBackground(p, rect, picture, scene);
    paintOverlay(p, rect, scene, model);
}

void MapRenderer::paintBackground(QPainter& p, const QRectF& rect, const QPixmap& picture, const MapScene& scene) {
    p.save();
    if (picture.isNull()) drawGrid(p, rect);
    else p.drawPixmap(rect, picture, QRectF(picture.rect()));
    p.setRenderHint(QPainter::Antialiasing);
    // Black dots on a dark world picture: a light rim and a least size keep them in sight.
    if (scene.orderPage) {
        p.setPen(QPen(QColor(255, 255, 255, 150), 0.8));
        for (const auto& d : scene.allSites) drawDot(p, rect, d, display::kStationDotRadius, Qt::black, 1.8);
        p.setPen(QPen(Qt::white, 1));
        for (const auto& d : scene.orderSites) drawDot(p, rect, d, display::kOrderDotRadius, QColor(255, 0, 0), 3.0);
    } else {
        p.setPen(QPen(Qt::white, 1.2));
        for (const auto& d : scene.dataSites) drawDot(p, rect, d, scene.dataDotRadius, Qt::black, 3.5);
    }
    p.setPen(Qt::NoPen);
    if (scene.legend) paintLegend(p, rect, scene.orderPage);
    p.restore();
}

void MapRenderer::paintOverlay(QPainter& p, const QRectF& rect, const MapScene& scene,
                               const display::MapModel& model) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double sx = rect.width() / kWidth, sy = rect.height() / kHeight;
    p.setPen(QPen(QColor(255, 128, 0), 1.5));
    p.setBrush(Qt::NoBrush);
    for (const auto& d : scene.markedSites) {
        display::MapPoint m = display::toMap(d.lat, d.lon);
        p.drawEllipse(toPixel(rect, m.x, m.y), 5, 5);
    }
    p.setPen(QPen(Qt::black, 1));
    if (scene.reference) drawDot(p, rect, *scene.reference, 1.6, Qt::cyan, 6.5);
    if (scene.shown) drawDot(p, rect, *scene.shown, 1.1, QColor(255, 0, 0), 4.5);

    const display::SiteCircle& c = model.circle();
    if (c.visible) {
        display::MapRect r = c.rect();
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(toPixel(rect, r.left, r.top), QSizeF(r.width * sx, r.height * sy)));
    }
    if (auto i = model.nearestStation(); i && scene.whiteDot) {
        const auto& s = model.stations()[*i];
        p.setPen(QPen(Qt::black, 1));
        drawDot(p, rect, {s.lat, s.lon}, 0.5, Qt::white, 2.5);
    }
    p.restore();
}

MapWidget::MapWidget(display::MapModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName("map");
    setMouseTracking(true);
    setMinimumSize(360, 178);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    world_ = MapRenderer::worldPicture();
    tip_ = new QLabel(this);
    tip_->setObjectName("SiteTip");
    tip_->setStyleSheet("QLabel { background: #ffffe1; border: 1px solid black; padding: 2px; }");
    tip_->setWordWrap(true);
    tip_->hide();
}

QString MapWidget::tipText() const { return tip_->isVisible() ? tip_->text() : QString(); }

void MapWidget::setCapturing(bool on) {
    scene_.whiteDot = !on;
    if (on) tip_->hide();
    else placeTip();
    update();
}

void MapWidget::rescalePicture() {
    if (world_.isNull() || width() <= 0 || height() <= 0) return;
    scaled_ = QPixmap::fromImage(world_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void MapWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    rescalePicture();
    // The station's label is the tip: a hit within a few pixels of the white dot.
    model_.setTipHitRadius(6.0 * MapRenderer::kWidth / std::max(1, width()));
}

void MapWidget::sceneChanged() {
    backgroundDirty_ = true;
    update();
}

void MapWidget::paintEvent(QPaintEvent*) {
    if (scaled_.isNull() && !world_.isNull()) rescalePicture();
    if (backgroundDirty_ || background_.size() != size()) {
        background_ = QPixmap(size());
        QPainter bp(&background_);
        MapRenderer::paintBackground(bp, QRectF(rect()), scaled_, scene_);
        backgroundDirty_ = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, background_);
    MapRenderer::paintOverlay(p, QRectF(rect()), scene_, model_);
}

QPointF MapWidget::mapPoint(const QPointF& pixel) const { return MapRenderer::toMap(QRectF(rect()), pixel); }

void MapWidget::placeTip() {
    auto i = model_.nearestStation();
    if (!i || model_.tipText().empty() || (model_.circle().frozen && !model_.circle().visible)) {
        tip_->hide();
        return;
    }
    tip_->setText(QString::fromStdString(model_.tipText()));
    tip_->setMaximumWidth(std::min(420, width() - 10));
    tip_->adjustSize();
    const auto& s = model_.stations()[*i];
    display::MapPoint m = display::toMap(s.lat, s.lon);
    QPointF at = MapRenderer::toPixel(QRectF(rect()), m.x, m.y);
    int x = static_cast<int>(at.x()) + 10, y = static_cast<int>(at.y()) + 10;
    if (x + tip_->width() > width()) x = static_cast<int>(at.x()) - tip_->width() - 10;
    if (y + tip_->height() > height()) y = static_cast<int>(at.y()) - tip_->height() - 10;
    tip_->move(std::max(0, x), std::max(0, y));
    tip_->show();
}

void MapWidget::mouseMoveEvent(QMouseEvent* e) {
    QPointF m = mapPoint(e->position());
    model_.pointerMove(m.x(), m.y(), heldOf(e->buttons()));
    placeTip();
    update();
    emit modelChanged();
}

void MapWidget::mousePressEvent(QMouseEvent* e) {
    QPointF m = mapPoint(e->position());
    display::MapAction action = model_.buttonDown(m.x(), m.y(), buttonOf(e->button()));
    update();
    emit modelChanged();
    if (action.kind != display::MapAction::Kind::None) emit siteAction(action);
}

void MapWidget::mouseReleaseEvent(QMouseEvent* e) {
    QPointF m = mapPoint(e->position());
    model_.buttonUp(m.x(), m.y(), buttonOf(e->button()));
    update();
    emit modelChanged();
}

void MapWidget::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    tip_->hide();
}

}  // namespace skyloom::gui

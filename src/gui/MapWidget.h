#pragma once

#include <optional>
#include <vector>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "display/MapModel.h"

class QLabel;

namespace skyloom::gui {

// What the map shows besides the model's circle and white dot.
struct MapScene {
    struct Dot {
        double lat = 0, lon = 0;
    };
    bool orderPage = false;
    std::vector<Dot> dataSites;    // Analysis page: stations with data
    std::vector<Dot> allSites;     // Order Data page: every station
    std::vector<Dot> orderSites;   // Order Data page: the order list, red
    std::vector<Dot> markedSites;  // stations of the listed analyses (study grid sort)
    double dataDotRadius = 0.5;    // map units
    std::optional<Dot> shown;      // red: the displayed site
    std::optional<Dot> reference;  // cyan: the reference site
    bool legend = true;
    bool whiteDot = true;          // hidden while a page is captured
};

// Draws the world map: the picture, the stations, the markers, the circle.
// Coordinates are map units (degrees: x = lon + 180, y = 88 - lat) scaled to the rect.
class MapRenderer {
public:
    static constexpr double kWidth = 360.0;
    static constexpr double kHeight = 178.0;  // 88 N down to 90 S
    // The Blue Marble picture cut to 88 N at the top and lightened; a null image
    // when the file is absent (the renderer then draws a grid).
    static QImage worldPicture(const QString& path = QStringLiteral("/usr/share/xplanet/images/earth.jpg"));

    static void paint(QPainter& p, const QRectF& rect, const QPixmap& picture, const MapScene& scene,
                      const display::MapModel& model);
    // The parts that change only with the page and the station lists: picture, dots, legend.
    static void paintBackground(QPainter& p, const QRectF& rect, const QPixmap& picture, const MapScene& scene);
    // The parts that follow the pointer and the selection: markers, circle, white dot.
    static void paintOverlay(QPainter& p, const QRectF& rect, const MapScene& scene, const display::MapModel& model);
    static QPointF toPixel(const QRectF& rect, double mapX, double mapY);
    static QPointF toMap(const QRectF& rect, const QPointF& pixel);
};

// The picture box `map`: forwards the pointer to the model and draws it.
class MapWidget : public QWidget {
    Q_OBJECT
public:
    MapWidget(display::MapModel& model, QWidget* parent = nullptr);

    MapScene& scene() { return scene_; }
    // The stations or the page changed: the cached background is drawn again.
    void sceneChanged();
    display::MapModel& model() { return model_; }
    // The site tip shown beside the white dot (empty when hidden).
    QString tipText() const;
    // A captured page shows neither the white dot nor the site tip.
    void setCapturing(bool on);

    QSize sizeHint() const override { return {720, 356}; }

signals:
    // A click on a station (left: select and reference; right: compare).
    void siteAction(const skyloom::display::MapAction& action);
    // The circle, the near list, the coordinates or the white dot changed.
    void modelChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    QPointF mapPoint(const QPointF& pixel) const;
    void placeTip();
    void rescalePicture();

    display::MapModel& model_;
    MapScene scene_;
    QImage world_;
    QPixmap scaled_;
    QPixmap background_;
    bool backgroundDirty_ = true;
    QLabel* tip_ = nullptr;
};

}  // namespace skyloom::gui

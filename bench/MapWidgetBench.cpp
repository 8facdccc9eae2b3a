#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>

#include "TempFolder.h"
#include "core/StationIndex.h"
#include "display/MapModel.h"
#include "gui/MapWidget.h"

using namespace skyloom;

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "skyloom_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication a(argc, argv);
    return a;
}

// The world's radiosonde stations from the IGRA list, topped up to 3000.
std::vector<display::Station> stations3000() {
    const std::string text = test::readFile(test::projectData("stations-sources/igra2-station-list.txt"));
    std::vector<display::Station> out;
    for (const auto& e : core::parseStationList(text)) {
        if (e.lat < -90 || e.lat > 90 || e.lon < -180 || e.lon > 180) continue;
        out.push_back(display::Station{e.wmo, e.name, "99", e.country, "Country", "Region", e.lat, e.lon, e.elev});
    }
    for (std::size_t i = 0; out.size() < 3000; ++i) {
        display::Station s = out[i];
        s.wmo += 1000000;
        s.lat *= 0.99;
        out.push_back(s);
    }
    out.resize(3000);
    return out;
}

// One pointer move as the window receives it: the model's white dot and follow
// list, the tip label, the map's repaint request and the listeners of the move.
void BM_MapWidgetPointerMove(benchmark::State& state) {
    app();
    display::MapModel model(stations3000());
    gui::MapWidget widget(model);
    widget.resize(900, 445);
    widget.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        QPointF at(50 + (i * 37) % 800, 40 + (i * 23) % 360);
        QMouseEvent e(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &e);
        ++i;
    }
    state.SetLabel("3000 stations");
}
BENCHMARK(BM_MapWidgetPointerMove)->Unit(benchmark::kMicrosecond);

// A move followed by the repaint it asks for (the world picture, 3000 dots, circle and markers).
void BM_MapWidgetMoveAndPaint(benchmark::State& state) {
    app();
    display::MapModel model(stations3000());
    gui::MapWidget widget(model);
    widget.resize(900, 445);
    widget.scene().orderPage = true;
    for (const auto& s : model.stations()) widget.scene().allSites.push_back({s.lat, s.lon});
    widget.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        QPointF at(50 + (i * 37) % 800, 40 + (i * 23) % 360);
        QMouseEvent e(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &e);
        widget.repaint();
        ++i;
    }
}
BENCHMARK(BM_MapWidgetMoveAndPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>

#include "BenchStations.h"
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

// One pointer move as the window receives it: the model's white dot and follow
// list, the tip label, the map's repaint request and the listeners of the move.
void BM_MapWidgetPointerMove(benchmark::State& state) {
    app();
    display::MapModel model(bench::benchStations(static_cast<int>(state.range(0))));
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
    state.SetLabel(std::to_string(model.stations().size()) + " stations");
}
BENCHMARK(BM_MapWidgetPointerMove)->Arg(bench::kDefaultList)->Arg(bench::kWholeIgra)->Unit(benchmark::kMicrosecond);

// A move followed by the repaint it asks for (the world picture, every dot, circle and markers).
void BM_MapWidgetMoveAndPaint(benchmark::State& state) {
    app();
    display::MapModel model(bench::benchStations(static_cast<int>(state.range(0))));
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
BENCHMARK(BM_MapWidgetMoveAndPaint)->Arg(bench::kDefaultList)->Arg(bench::kWholeIgra)->Unit(benchmark::kMicrosecond);

}  // namespace

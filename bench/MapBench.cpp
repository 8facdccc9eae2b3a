#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchStations.h"
#include "display/MapModel.h"

using namespace skyloom::display;

namespace {

// Arg: the station set (the default list, about 1,000, or the whole IGRA list's 2,923).

// A pointer sweeping across the map, over sea and over dense station areas.
void BM_PointerMove(benchmark::State& state) {
    MapModel map(skyloom::bench::benchStations(static_cast<int>(state.range(0))));
    double x = 0.0;
    for (auto _ : state) {
        map.pointerMove(x, 40.0 + 0.1 * x / 3.6, MouseButton::None);
        benchmark::DoNotOptimize(map.nearList().size());
        x += 0.37;
        if (x >= 360.0) x = 0.0;
    }
    state.counters["stations"] = static_cast<double>(map.stations().size());
}
BENCHMARK(BM_PointerMove)->Arg(skyloom::bench::kDefaultList)->Arg(skyloom::bench::kWholeIgra)->Unit(benchmark::kMicrosecond);

// Over eastern North America, where stations are dense and the list is never empty.
void BM_PointerMoveDense(benchmark::State& state) {
    MapModel map(skyloom::bench::benchStations(static_cast<int>(state.range(0))));
    const MapPoint p = toMap(40.0, -80.0);
    double dx = 0.0;
    for (auto _ : state) {
        map.pointerMove(p.x + dx, p.y, MouseButton::None);
        benchmark::DoNotOptimize(map.nearList().size());
        dx = dx > 10.0 ? 0.0 : dx + 0.05;
    }
}
BENCHMARK(BM_PointerMoveDense)->Arg(skyloom::bench::kDefaultList)->Arg(skyloom::bench::kWholeIgra)->Unit(benchmark::kMicrosecond);

// Releasing a large circle lists every station inside it.
void BM_FreezeLargeCircle(benchmark::State& state) {
    MapModel map(skyloom::bench::benchStations(static_cast<int>(state.range(0))));
    const MapPoint p = toMap(45.0, 10.0);
    for (auto _ : state) {
        map.buttonDown(p.x, p.y, MouseButton::Left);
        map.pointerMove(p.x + 20.0, p.y, MouseButton::Left);
        map.buttonUp(p.x + 20.0, p.y, MouseButton::Left);
        benchmark::DoNotOptimize(map.nearList().size());
    }
}
BENCHMARK(BM_FreezeLargeCircle)->Arg(skyloom::bench::kDefaultList)->Arg(skyloom::bench::kWholeIgra)->Unit(benchmark::kMicrosecond);

}  // namespace

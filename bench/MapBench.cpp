#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "core/StationIndex.h"
#include "display/MapModel.h"

using namespace skyloom::display;

namespace {

// The IGRA station list (about 2900 stations with WMO numbers), mobile stations
// left out: a station set the size of the whole world's.
std::vector<Station> worldStations() {
    const std::string text = skyloom::test::readFile(skyloom::test::projectData("stations-sources/igra2-station-list.txt"));
    std::vector<Station> out;
    for (const auto& e : skyloom::core::parseStationList(text)) {
        if (e.lat < -90 || e.lat > 90 || e.lon < -180 || e.lon > 180) continue;
        out.push_back(Station{e.wmo, e.name, "99", e.country, "Country", "Region", e.lat, e.lon, e.elev});
    }
    // Topped up to 3000 with copies shifted by a fraction of a degree.
    for (std::size_t i = 0; out.size() < 3000; ++i) {
        Station s = out[i];
        s.wmo += 1000000;
        s.lat = s.lat * 0.99;
        out.push_back(s);
    }
    return out;
}

// A pointer sweeping across the map, over sea and over dense station areas.
void BM_PointerMove(benchmark::State& state) {
    MapModel map(worldStations());
    double x = 0.0;
    for (auto _ : state) {
        map.pointerMove(x, 40.0 + 0.1 * x / 3.6, MouseButton::None);
        benchmark::DoNotOptimize(map.nearList().size());
        x += 0.37;
        if (x >= 360.0) x = 0.0;
    }
    state.counters["stations"] = static_cast<double>(map.stations().size());
}
BENCHMARK(BM_PointerMove)->Unit(benchmark::kMicrosecond);

// Over eastern North America, where stations are dense and the list is never empty.
void BM_PointerMoveDense(benchmark::State& state) {
    MapModel map(worldStations());
    const MapPoint p = toMap(40.0, -80.0);
    double dx = 0.0;
    for (auto _ : state) {
        map.pointerMove(p.x + dx, p.y, MouseButton::None);
        benchmark::DoNotOptimize(map.nearList().size());
        dx = dx > 10.0 ? 0.0 : dx + 0.05;
    }
}
BENCHMARK(BM_PointerMoveDense)->Unit(benchmark::kMicrosecond);

// Releasing a large circle lists every station inside it.
void BM_FreezeLargeCircle(benchmark::State& state) {
    MapModel map(worldStations());
    const MapPoint p = toMap(45.0, 10.0);
    for (auto _ : state) {
        map.buttonDown(p.x, p.y, MouseButton::Left);
        map.pointerMove(p.x + 20.0, p.y, MouseButton::Left);
        map.buttonUp(p.x + 20.0, p.y, MouseButton::Left);
        benchmark::DoNotOptimize(map.nearList().size());
    }
}
BENCHMARK(BM_FreezeLargeCircle)->Unit(benchmark::kMicrosecond);

}  // namespace

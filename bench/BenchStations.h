#pragma once

#include <string>
#include <vector>

#include "TempFolder.h"
#include "core/StationIndex.h"
#include "display/MapModel.h"

namespace skyloom::bench {

// The station sets the map benchmarks run on: kDefaultList is the program's
// default list (the world's upper-air network of today, about 1,000 stations);
// kWholeIgra is as many stations as the whole IGRA v2 list has lines (2,923): its
// WMO-numbered stations topped up with copies shifted by a fraction of a degree.
enum StationSet { kDefaultList = 0, kWholeIgra = 1 };
inline constexpr std::size_t kWholeIgraSize = 2923;

inline std::vector<display::Station> benchStations(int set) {
    const std::string file = set == kDefaultList ? "stations.txt" : "stations-sources/igra2-station-list.txt";
    std::vector<display::Station> out;
    for (const auto& e : core::parseStationList(test::readFile(test::projectData(file)))) {
        if (e.lat < -90 || e.lat > 90 || e.lon < -180 || e.lon > 180) continue;
        out.push_back(display::Station{e.wmo, e.name, "99", e.country, "Country", "Region", e.lat, e.lon, e.elev});
    }
    if (set == kDefaultList) return out;
    for (std::size_t i = 0; out.size() < kWholeIgraSize; ++i) {
        display::Station s = out[i];
        s.wmo += 1000000;
        s.lat *= 0.99;
        out.push_back(s);
    }
    out.resize(kWholeIgraSize);
    return out;
}

}  // namespace skyloom::bench

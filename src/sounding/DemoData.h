#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skyloom::sounding {

// Synthetic soundings for trying the program without bought data. Every file
// and every sounding is marked DEMO (station id and source) and the text opens
// with a line saying the data is invented; nothing here is an observation.
struct DemoStation {
    long wmo;
    const char* staid;            // call letters of the real station the climate imitates
    double lat, lon;              // degrees, south and west negative
    int elevationM;
    double meanWind5000Kt;        // climate mean wind at 5000 ft
    double prevailingDirection;   // degrees
    double meanTemperatureC;      // annual mean surface temperature
    double seasonalAmplitudeC;
};

// About eight of the default stations, spread over the world's wind climates.
const std::vector<DemoStation>& demoStations();

// "<wmo> DEMO synthetic soundings.txt": a raw text file name the import accepts.
std::string demoFileName(const DemoStation& station);

// The station's soundings at 00 and 12 UTC from 1 January of firstYear for the
// given number of years, in the radiosonde text format ("99999" marker, knots).
// The same seed always gives the same text.
std::string demoText(const DemoStation& station, int firstYear, int years, std::uint32_t seed);

inline constexpr std::uint32_t kDemoSeed = 19300101;
inline constexpr int kDemoFirstYear = 2021;
inline constexpr int kDemoYears = 3;

}  // namespace skyloom::sounding

#pragma once

#include <string>
#include <vector>

#include <fmt/format.h>

namespace skyloom::test {

// One data line of a sounding written for a test: heights in metres above sea
// level, values in the file's units; the marker stands for a missing value.
struct FslLine {
    int type;
    long pressure, height, temperature, dewpoint, direction, speed;
};

inline std::string fslDataLine(const FslLine& l) {
    return fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}", l.type, l.pressure, l.height, l.temperature,
                       l.dewpoint, l.direction, l.speed);
}

// A sounding in the radiosonde text format the way the archive writes it
// (marker "99999": hemisphere letters; "32767": none).
inline std::string fslSounding(int hour, int day, const std::string& month, int year, long wmo,
                               const std::vector<FslLine>& data, const std::string& marker = "99999",
                               const std::string& units = "kt", int elevation = 20,
                               const std::string& eol = "\n") {
    std::string t;
    t += fmt::format("{:>7}{:>7}{:>7}{:>9}{:>8}", 254, hour, day, month, year) + eol;
    if (marker == "99999")
        t += fmt::format("{:>7}{:>7}{:>7}{:>8}{:>7}{:>6}{:>7}", 1, 99999, wmo, "34.82S", "58.53W", elevation, 1134) + eol;
    else
        t += fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}", 1, 14735, wmo, "42.75", "73.80", elevation, 32767) + eol;
    t += fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}", 2, 200, 1290, 685, data.size() + 4, marker, 3) + eol;
    t += fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}", 3, "", "SAEZ", "", "", marker, units) + eol;
    for (const auto& l : data) t += fslDataLine(l) + eol;
    return t;
}

// Winds from the ground to 7000 ft at a station 20 m up (heights in m MSL).
inline std::vector<FslLine> windLinesTo7000Feet() {
    return {{9, 10030, 20, 272, 241, 20, 3},     {6, 9900, 130, 262, 200, 40, 8},
            {6, 9660, 329, 250, 199, 300, 22},   {4, 9250, 731, 242, 239, 305, 26},
            {6, 9000, 1050, 210, 180, 310, 25},  {4, 8500, 1468, 188, 181, 315, 14},
            {6, 7800, 2133, 140, 100, 315, 18}};
}

// A sounding of January 2019 at 12 h that passes every check.
inline std::string goodSounding(int day, long wmo) {
    return fslSounding(12, day, "JAN", 2019, wmo, windLinesTo7000Feet());
}

// A good sounding without its station line: nothing in it names the station.
inline std::string soundingWithoutStationLine(int day, long wmo) {
    std::string text = goodSounding(day, wmo);
    const std::size_t headerEnd = text.find('\n'), stationEnd = text.find('\n', headerEnd + 1);
    return text.erase(headerEnd + 1, stationEnd - headerEnd);
}

// A sounding of January 2019 at 0 h whose first wind lies 262 ft above the
// station, between the two review altitudes: it comes up for review.
inline std::string soundingNeedingReview(int day, long wmo) {
    auto lines = windLinesTo7000Feet();
    lines[0].direction = 99999;
    lines[0].speed = 99999;
    lines[1].height = 100;
    return fslSounding(0, day, "JAN", 2019, wmo, lines);
}

}  // namespace skyloom::test

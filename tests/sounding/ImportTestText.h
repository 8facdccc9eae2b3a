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

}  // namespace skyloom::test

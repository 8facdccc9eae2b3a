#include "sounding/LevelBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

namespace skyloom::sounding::levels {

namespace {

constexpr double kMaxSpeedKnots = 500;     // faster is no wind that exists
constexpr double kMinTemperatureC = -100;
constexpr double kMaxTemperatureC = 70;
constexpr double kMaxPressureMb = 1100.0;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kGasConstantOverG = 29.27;  // metres per kelvin: dry air R / g

std::int32_t whole(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v, -2.0e9, 2.0e9);
    return static_cast<std::int32_t>(std::lround(v));
}

struct Sample {
    long feet;
    double value;
};

// The points carrying one quantity, in height order.
template <class Get>
void samplesOf(const std::vector<CollectedPoint>& pts, Get get, std::vector<Sample>& out) {
    out.clear();
    for (const auto& p : pts)
        if (auto v = get(p)) out.push_back({p.feet, *v});
}

// The samples bracketing h (indices, -1 when none). A sample exactly at h is
// both ends; of several at one height the first reported one is used.
std::pair<int, int> bracket(const std::vector<Sample>& s, long h) {
    auto it = std::lower_bound(s.begin(), s.end(), h, [](const Sample& a, long v) { return a.feet < v; });
    int hi = it == s.end() ? -1 : static_cast<int>(it - s.begin());
    if (hi >= 0 && s[static_cast<std::size_t>(hi)].feet == h) return {hi, hi};
    int lo = hi < 0 ? static_cast<int>(s.size()) - 1 : hi - 1;
    return {lo, hi};
}

double linear(const Sample& a, const Sample& b, long h) {
    if (a.feet == b.feet) return a.value;
    return a.value + (b.value - a.value) * static_cast<double>(h - a.feet) / static_cast<double>(b.feet - a.feet);
}

// Fills heights that only a pressure gives, from the points holding both,
// interpolating in the logarithm of pressure.
void heightsFromPressure(std::vector<RawPoint>& pts) {
    std::vector<std::pair<double, double>> known;  // pressure, height
    for (const auto& p : pts)
        if (p.heightM && p.pressureMb && *p.pressureMb > 0) known.emplace_back(*p.pressureMb, *p.heightM);
    if (known.size() < 2) return;
    std::sort(known.begin(), known.end(), [](auto& a, auto& b) { return a.first > b.first; });
    for (auto& p : pts) {
        if (p.heightM || !p.pressureMb || *p.pressureMb <= 0) continue;
        const double pr = *p.pressureMb;
        // The first neighbours (in falling pressure) that hold pr: the last known
        // pressure above pr and the one after it, found by halving.
        const auto atOrBelow =
            std::partition_point(known.begin(), known.end(), [pr](const auto& k) { return k.first > pr; });
        const std::size_t i = atOrBelow == known.begin() ? 0 : static_cast<std::size_t>(atOrBelow - known.begin()) - 1;
        if (i + 1 >= known.size()) continue;
        auto [p1, h1] = known[i];
        auto [p2, h2] = known[i + 1];
        if (pr <= p1 && pr >= p2) p.heightM = p1 == p2 ? h1 : h1 + (h2 - h1) * std::log(p1 / pr) / std::log(p1 / p2);
    }
}

}  // namespace

double roundToTenth(double v) { return std::round(v * 10.0) / 10.0; }

int bandOf(long feet) {
    if (feet <= 0) return 1;
    if (feet > 5000) return 12;
    return static_cast<int>((feet + 499) / 500) + 1;
}

std::string bands(const std::vector<CollectedPoint>& points) {
    std::string b = "000000000000";
    for (const auto& p : points) b[static_cast<std::size_t>(bandOf(p.feet) - 1)] = '1';
    return b;
}

double interpolateDirection(double d1, double d2, double fraction) {
    if (std::fabs(d2 - d1) > 180) {
        if (d1 < d2) d1 += 360;
        else d2 += 360;
    }
    return d1 + (d2 - d1) * fraction;
}

std::vector<CollectedPoint> collect(const ParsedSounding& s) {
    // Heights are filled from pressures only in a copy, and only when some point lacks one.
    std::vector<RawPoint> filled;
    const bool fill = std::any_of(s.points.begin(), s.points.end(),
                                  [](const RawPoint& p) { return !p.heightM && p.pressureMb; });
    if (fill) {
        filled = s.points;
        heightsFromPressure(filled);
    }
    const std::vector<RawPoint>& raw = fill ? filled : s.points;
    const double elev = s.elevationM.value_or(0.0);
    std::vector<CollectedPoint> out;
    out.reserve(raw.size());
    for (const auto& r : raw) {
        if (!r.heightM) continue;
        double feet = (*r.heightM - elev) * kFeetPerMetre;
        if (!std::isfinite(feet) || feet >= kMaxHeightFeet || feet < -kMaxHeightFeet) continue;
        CollectedPoint p;
        p.feet = std::lround(feet);
        if (p.feet >= kMaxHeightFeet) continue;
        if (r.speedKnots && r.directionDeg && *r.speedKnots >= 0 && *r.speedKnots <= kMaxSpeedKnots &&
            *r.directionDeg <= 360) {
            p.speedKnots = r.speedKnots;
            p.directionDeg = r.directionDeg;
        }
        if (r.temperatureC && *r.temperatureC > kMinTemperatureC && *r.temperatureC < kMaxTemperatureC)
            p.temperatureC = r.temperatureC;
        if (r.pressureMb && *r.pressureMb > 0 && *r.pressureMb < kMaxPressureMb) p.pressureMb = r.pressureMb;
        if (p.speedKnots || p.temperatureC || p.pressureMb) out.push_back(p);
    }
    // Reports usually come in height order already, or nearly (a height filled
    // from its pressure out of step): each point out of place is moved down past
    // the higher ones, which keeps reports of one height in their order as a
    // stable sort does, without its buffer. Long, badly ordered lists are sorted.
    const auto lower = [](const CollectedPoint& a, const CollectedPoint& b) { return a.feet < b.feet; };
    if (!std::is_sorted(out.begin(), out.end(), lower)) {
        if (out.size() > 1024) {
            std::stable_sort(out.begin(), out.end(), lower);
        } else {
            for (std::size_t i = 1; i < out.size(); ++i) {
                if (!lower(out[i], out[i - 1])) continue;
                const CollectedPoint p = out[i];
                std::size_t j = i;
                for (; j > 0 && lower(p, out[j - 1]); --j) out[j] = out[j - 1];
                out[j] = p;
            }
        }
    }
    if (out.size() > static_cast<std::size_t>(kMaxPoints)) out.resize(kMaxPoints);
    return out;
}

LevelBuild build(const ParsedSounding& s) {
    LevelBuild r;
    r.points = collect(s);
    r.bands = bands(r.points);

    // Kept from one sounding to the next: no allocation per sounding.
    thread_local std::vector<Sample> winds, dirs, temps, press;
    samplesOf(r.points, [](const CollectedPoint& p) { return p.speedKnots; }, winds);
    samplesOf(r.points, [](const CollectedPoint& p) { return p.directionDeg; }, dirs);
    samplesOf(r.points, [](const CollectedPoint& p) { return p.temperatureC; }, temps);
    samplesOf(r.points, [](const CollectedPoint& p) { return p.pressureMb; }, press);
    if (!winds.empty()) r.firstWindFeet = winds.front().feet;
    r.groundWindExtrapolated = winds.empty() || winds.front().feet > 0;

    std::array<std::optional<double>, kImportLevels> levelTemp{};
    for (int L = 0; L < kImportLevels; ++L) {
        const long h = L * 500L;
        LevelValues& v = r.levels[static_cast<std::size_t>(L)];

        // Wind: speed and direction come from the same reports.
        auto [lo, hi] = bracket(winds, h);
        std::optional<double> speed, dir;
        double lowerDir = 0;
        if (lo >= 0 && hi >= 0) {
            const auto& a = winds[static_cast<std::size_t>(lo)];
            const auto& b = winds[static_cast<std::size_t>(hi)];
            speed = roundToTenth(linear(a, b, h));
            double f = a.feet == b.feet ? 0.0 : static_cast<double>(h - a.feet) / static_cast<double>(b.feet - a.feet);
            lowerDir = dirs[static_cast<std::size_t>(lo)].value;
            dir = roundToTenth(interpolateDirection(lowerDir, dirs[static_cast<std::size_t>(hi)].value, f));
        } else if (hi >= 0) {
            // Below the lowest wind: a level just under it takes its value; lower
            // down the wind falls off with the one-seventh power of height, down to
            // an anemometer's height at the ground.
            const auto& b = winds[static_cast<std::size_t>(hi)];
            lowerDir = dirs[static_cast<std::size_t>(hi)].value;
            dir = roundToTenth(lowerDir);
            if (h > 0 && static_cast<double>(h) / static_cast<double>(b.feet) >= kNearRatio) {
                speed = roundToTenth(b.value);
            } else if (b.feet > kAnemometerFeet) {
                double at = std::max(static_cast<double>(h), kAnemometerFeet);
                speed = roundToTenth(b.value * std::pow(at / static_cast<double>(b.feet), 1.0 / 7.0));
            } else {
                speed = roundToTenth(b.value);
            }
        }
        if (speed && dir) {
            double d = *dir;
            if (d < 0) d += 360;
            if (d > 360) d -= 360;
            if (d < 0 || d > 360) {
                r.directionFindings += fmt::format("Out of range direction = {} .", roundToTenth(d));
                if (std::fabs(d) > 10000) d = lowerDir;
            }
            if (*speed < -1) r.outOfRangeSpeeds.push_back(*speed);
            v.speed = whole(*speed * 10.0);
            v.direction = whole(d);
            r.windKnown[static_cast<std::size_t>(L)] = true;
        }

        // Temperature: interpolated between reports, carried by the lapse rate a
        // short way beyond the lowest or highest one.
        {
            auto [tlo, thi] = bracket(temps, h);
            std::optional<double> t;
            if (tlo >= 0 && thi >= 0) {
                t = linear(temps[static_cast<std::size_t>(tlo)], temps[static_cast<std::size_t>(thi)], h);
            } else if (thi >= 0) {
                const auto& b = temps[static_cast<std::size_t>(thi)];
                if (static_cast<double>(b.feet - h) <= kMaxCarryFeet) t = b.value + kLapsePerFoot * static_cast<double>(b.feet - h);
            } else if (tlo >= 0) {
                const auto& a = temps[static_cast<std::size_t>(tlo)];
                if (static_cast<double>(h - a.feet) <= kMaxCarryFeet) t = a.value - kLapsePerFoot * static_cast<double>(h - a.feet);
            }
            if (t) {
                levelTemp[static_cast<std::size_t>(L)] = roundToTenth(*t);
                v.temperature = whole(roundToTenth(*t) * 100.0);
                r.temperatureKnown[static_cast<std::size_t>(L)] = true;
            }
        }

        // Pressure: interpolated between reports, carried hydrostatically a short
        // way beyond the lowest or highest one.
        {
            auto [plo, phi] = bracket(press, h);
            std::optional<double> p;
            const Sample* ref = nullptr;
            if (plo >= 0 && phi >= 0) p = linear(press[static_cast<std::size_t>(plo)], press[static_cast<std::size_t>(phi)], h);
            else if (phi >= 0) ref = &press[static_cast<std::size_t>(phi)];
            else if (plo >= 0) ref = &press[static_cast<std::size_t>(plo)];
            if (ref && std::fabs(static_cast<double>(h - ref->feet)) <= kMaxCarryFeet) {
                double kelvin = levelTemp[static_cast<std::size_t>(L)].value_or(15.0) + 273.15;
                p = ref->value * std::exp(-static_cast<double>(h - ref->feet) * kMetresPerFoot / (kGasConstantOverG * kelvin));
            }
            if (p) {
                v.pressure = whole(roundToTenth(*p) * 100.0);
                r.pressureKnown[static_cast<std::size_t>(L)] = true;
            }
        }
    }

    // Temperatures are unusable when a level has none or one is beyond what the air does.
    for (int L = 0; L < kImportLevels; ++L) {
        const auto i = static_cast<std::size_t>(L);
        if (!r.temperatureKnown[i] || r.levels[i].temperature < -8000 || r.levels[i].temperature > 6000)
            r.badTemperatureData = 1;
        // Pressures must be known everywhere, plausible near the ground, and fall with height.
        if (!r.pressureKnown[i] || r.levels[i].pressure < 40000 || r.levels[i].pressure > 110000 ||
            (L > 0 && r.levels[i].pressure >= r.levels[i - 1].pressure))
            r.badPressureData = 1;
    }
    return r;
}

}  // namespace skyloom::sounding::levels

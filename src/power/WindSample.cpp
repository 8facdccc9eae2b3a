#include "power/WindSample.h"

#include <cmath>

#include "power/PowerProduction.h"
#include "sounding/HeightInterpolation.h"
#include "sounding/Units.h"

namespace skyloom::power {

namespace {

constexpr double kDryAirGasConstant = 287.05;   // J/(kg K)
constexpr double kKelvinOffset = 273.15;
constexpr int kLaunchWindowHours = 3;

std::size_t ix(int i) { return static_cast<std::size_t>(i); }

// The direction a fraction of the way from a to b, along the shorter way round.
double turnedDirection(double a, double b, double fraction) {
    double turn = std::fmod(b - a, 360.0);
    if (turn > 180) turn -= 360;
    if (turn < -180) turn += 360;
    double d = std::fmod(a + turn * fraction, 360.0);
    if (d < 0) d += 360;
    return d;
}

}  // namespace

LaunchHour launchHourOf(core::HoursSince1930 t) {
    const int hour = core::hourOfHours(t);
    const int fromMidnight = std::min(hour, 24 - hour);
    if (fromMidnight <= kLaunchWindowHours) return LaunchHour::Midnight;
    if (std::abs(hour - 12) <= kLaunchWindowHours) return LaunchHour::Noon;
    return LaunchHour::Other;
}

bool hasWindAtLevel(const sounding::SoundingSet& set, int n, int level) {
    return set.key[ix(n)] >= 0 && level <= set.topWindLevel[ix(n)];
}

double airDensity(double pressureMb, double temperatureC) {
    return pressureMb * 100.0 / (kDryAirGasConstant * (temperatureC + kKelvinOffset));
}

double standardAirDensity(double metresAboveSeaLevel) {
    return 1.225 * std::pow(1 - 2.25577e-5 * metresAboveSeaLevel, 4.25588);
}

std::vector<WindPoint> windAtHeight(const sounding::SoundingSet& set, double heightFeet) {
    std::vector<WindPoint> out;
    const auto pos = sounding::levelPositionAtHeight(heightFeet, sounding::Units(sounding::UnitMode::Knots));
    if (!pos) return out;
    const int lower = pos->index - 1;
    const int upper = pos->index;
    const double f = pos->fraction;
    // A height on a level needs that level; between levels (or at the top) the one above.
    const int needed = f == 0 ? lower : upper;
    out.reserve(ix(set.count()));
    for (int n = 1; n <= set.count(); ++n) {
        if (!hasWindAtLevel(set, n, needed)) continue;
        const auto& lv = set.level[ix(n)];
        WindPoint p;
        p.n = n;
        p.hrs = set.hrs(n);
        p.weight = set.hoursRepresented(n);
        const double s0 = lv[ix(lower)][sounding::Speed] / 10.0;
        const double s1 = lv[ix(upper)][sounding::Speed] / 10.0;
        const double d0 = lv[ix(lower)][sounding::Direction];
        const double d1 = lv[ix(upper)][sounding::Direction];
        if (f == 0) {
            p.knots = s0;
            p.direction = d0;
        } else {
            p.knots = s0 + (s1 - s0) * f;
            p.direction = s0 == 0 ? d1 : s1 == 0 ? d0 : turnedDirection(d0, d1, f);
        }
        if (p.knots <= 0) {
            p.knots = 0;
            p.direction = 0;
        } else {
            p.direction = std::fmod(p.direction, 360.0);
            if (p.direction < 0) p.direction += 360;
        }
        const bool tUsable = temperatureUsable(set, n, lower) && (f == 0 || temperatureUsable(set, n, upper));
        const bool pUsable = pressureUsable(set, n, lower) && (f == 0 || pressureUsable(set, n, upper));
        if (tUsable && pUsable) {
            const double t0 = lv[ix(lower)][sounding::Temperature] / 100.0;
            const double t1 = lv[ix(upper)][sounding::Temperature] / 100.0;
            const double q0 = lv[ix(lower)][sounding::Pressure] / 100.0;
            const double q1 = lv[ix(upper)][sounding::Pressure] / 100.0;
            const double t = f == 0 ? t0 : t0 + (t1 - t0) * f;
            const double q = f == 0 ? q0 : q0 + (q1 - q0) * f;
            if (t > -kKelvinOffset) p.density = airDensity(q, t);
        }
        out.push_back(p);
    }
    return out;
}

}  // namespace skyloom::power

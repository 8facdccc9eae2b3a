#include "sounding/DemoData.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <random>

#include <fmt/format.h>

#include "core/Dates.h"

namespace skyloom::sounding {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFeetPerMetre = 3.281;
constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Random numbers from the standard Mersenne twister only (its output is fixed
// by the C++ standard, unlike the library's distributions), so a seed gives the
// same text with every compiler.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : gen_(seed) {}
    double uniform() { return (static_cast<double>(gen_()) + 0.5) / 4294967296.0; }
    double normal() {
        double u1 = uniform(), u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
    }
    int below(int n) { return std::min(n - 1, static_cast<int>(uniform() * n)); }

private:
    std::mt19937 gen_;
};

struct Line {
    int type;
    double pressureMb;
    double heightM;
    std::optional<double> tempC;
    std::optional<double> dir;
    std::optional<double> speedKt;
};

std::string field(std::optional<long> v) { return v ? fmt::format("{:>7}", *v) : std::string("  99999"); }

std::string dataLine(const Line& l) {
    auto tenths = [](std::optional<double> v) -> std::optional<long> {
        if (!v) return std::nullopt;
        return std::lround(*v * 10.0);
    };
    std::optional<long> dew;
    if (l.tempC) dew = std::lround((*l.tempC - 4.0) * 10.0);
    std::optional<long> dir, spd;
    if (l.dir && l.speedKt) {
        double d = std::fmod(*l.dir + 360.0, 360.0);
        dir = std::lround(d);
        spd = std::lround(*l.speedKt);
        if (*spd == 0) dir = 0;
    }
    return fmt::format("{:>7}{:>7}{:>7}", l.type, std::lround(l.pressureMb * 10.0), std::lround(l.heightM)) +
           field(tenths(l.tempC)) + field(dew) + field(dir) + field(spd) + "\n";
}

enum class Flaw { None, ThreePoints, HighFirstWind, SpeedJump, WindsEndLow, ControlCharacter };

}  // namespace

const std::vector<DemoStation>& demoStations() {
    static const std::vector<DemoStation> stations = {
        {3026, "EGPO", 58.21, -6.31, 13, 28, 240, 9.5, 5.0},      // Stornoway: Atlantic westerlies
        {4018, "BIKF", 63.96, -22.60, 54, 26, 90, 4.5, 6.0},      // Keflavik
        {7645, "LFME", 43.85, 4.40, 60, 18, 350, 15.0, 9.0},      // Nimes: the mistral
        {72250, "BRO", 25.91, -97.41, 7, 20, 140, 23.5, 6.0},     // Brownsville: Gulf trade winds
        {72520, "PIT", 40.53, -80.22, 359, 20, 260, 11.0, 12.0},  // Pittsburgh
        {68816, "FACT", -33.96, 18.60, 42, 22, 160, 17.0, 4.5},   // Cape Town: the south-easter
        {85934, "SCCI", -53.00, -70.85, 33, 32, 270, 6.5, 4.0},   // Punta Arenas: roaring fifties
        {47646, "RJTY", 36.05, 140.13, 31, 16, 330, 14.5, 10.0},  // Tateno: winter monsoon
    };
    return stations;
}

std::string demoFileName(const DemoStation& station) {
    return std::to_string(station.wmo) + " DEMO synthetic soundings.txt";
}

std::string demoText(const DemoStation& st, int firstYear, int years, std::uint32_t seed) {
    Dice dice(seed ^ static_cast<std::uint32_t>(st.wmo * 2654435761u));
    std::string out = fmt::format("DEMO DATA: synthetic soundings for station {} made by Skyloom from seed {}. "
                                  "They are not observations.\n",
                                  st.wmo, seed);
    const core::Days first = core::makeDate(firstYear, 1, 1);
    const core::Days end = core::makeDate(firstYear + years, 1, 1);
    const int days = core::daysBetween(first, end);
    // A few gaps of days without soundings, as a station out of balloons has.
    std::vector<std::pair<int, int>> gaps;
    for (int y = 0; y < years; ++y)
        for (int g = 0; g < 3; ++g) {
            int start = y * 365 + dice.below(360);
            gaps.emplace_back(start, start + 2 + dice.below(5));
        }
    const bool south = st.lat < 0;
    const double veer = south ? -25.0 : 25.0;   // wind turns with height (Ekman spiral)
    double synoptic = 0, wander = 0;            // slowly changing weather, red noise
    for (int d = 0; d < days; ++d) {
        bool inGap = std::any_of(gaps.begin(), gaps.end(), [d](auto& g) { return d >= g.first && d < g.second; });
        const core::Days date = first + std::chrono::days{d};
        const int doy = core::daysBetween(core::makeDate(core::yearOf(date), 1, 1), date);
        // Winter peak: mid-January in the north, mid-July in the south.
        const double season = std::cos(2.0 * kPi * (doy - (south ? 196 : 15)) / 365.25);
        for (int hour : {0, 12}) {
            synoptic = 0.75 * synoptic + 0.2 * dice.normal();
            wander = 0.8 * wander + 0.6 * dice.normal() * 35.0;
            if (inGap) continue;
            const double solarHour = std::fmod(hour + st.lon / 15.0 + 48.0, 24.0);
            // Sunshine mixes the lowest air from morning to evening (0 at night, 1 at noon):
            // stable nights shear the wind strongly, mixed afternoons much less.
            const double mixing = std::max(0.0, std::sin(kPi * (solarHour - 6.0) / 12.0));
            const bool day = mixing > 0.2;
            const double alpha = 0.30 - 0.19 * mixing;
            const double top = std::max(1.0, st.meanWind5000Kt * (1.0 + 0.22 * season) * std::exp(synoptic));
            const double tSurface = st.meanTemperatureC - st.seasonalAmplitudeC * season +
                                    -2.5 + 6.0 * mixing + 2.0 * dice.normal();
            const double pSurface = 1013.25 * std::exp(-st.elevationM / 8430.0) + 8.0 * dice.normal();
            const double direction = st.prevailingDirection + wander;

            auto tempAt = [&](double agl) {
                if (!day && agl < 300) return tSurface + 3.0 * agl / 300.0;   // night inversion
                return tSurface + (day ? -0.0085 : 0.01) * std::min(agl, 300.0) - 0.0065 * std::max(0.0, agl - 300.0);
            };
            auto pressureAt = [&](double agl) {
                double meanK = (tSurface + tempAt(agl)) / 2.0 + 273.15;
                return pSurface * std::exp(-agl / (29.27 * meanK));
            };
            auto windAt = [&](double agl) {
                double ft = std::max(agl * kFeetPerMetre, 33.0);
                return top * std::pow(ft / 5000.0, alpha);
            };

            Flaw flaw = Flaw::None;
            double roll = dice.uniform();
            if (roll < 0.004) flaw = Flaw::ThreePoints;
            else if (roll < 0.008) flaw = Flaw::HighFirstWind;
            else if (roll < 0.012) flaw = Flaw::SpeedJump;
            else if (roll < 0.016) flaw = Flaw::WindsEndLow;
            else if (roll < 0.018) flaw = Flaw::ControlCharacter;

            std::vector<Line> lines;
            lines.push_back({9, pSurface, static_cast<double>(st.elevationM), tSurface, direction - veer, windAt(10)});
            // Wind reports every 1000 ft above sea level, as the archive's type-6 lines.
            for (int k = 1; k <= 10; ++k) {
                double msl = k * 304.8;
                double agl = msl - st.elevationM;
                if (agl < 60) continue;
                std::optional<double> spd = windAt(agl), dir = direction - veer * std::max(0.0, 1.0 - agl / 1524.0);
                if (dice.uniform() < 0.03) spd.reset();   // an occasional lost wind
                lines.push_back({6, pressureAt(agl), msl, std::nullopt, dir, spd});
            }
            // Temperature reports between them.
            for (double agl : {150.0, 700.0, 1300.0, 2100.0}) {
                lines.push_back({5, pressureAt(agl), st.elevationM + agl, tempAt(agl), std::nullopt, std::nullopt});
            }
            std::sort(lines.begin(), lines.end(), [](auto& a, auto& b) { return a.heightM < b.heightM; });
            switch (flaw) {
                case Flaw::ThreePoints: lines.resize(3); break;
                case Flaw::HighFirstWind:
                    for (auto& l : lines)
                        if (l.heightM - st.elevationM < 600) l.speedKt.reset();
                    break;
                case Flaw::SpeedJump:
                    for (auto& l : lines)
                        if (l.type == 6 && l.heightM - st.elevationM > 250 && l.heightM - st.elevationM < 700 && l.speedKt)
                            *l.speedKt += 45;
                    break;
                case Flaw::WindsEndLow:
                    for (auto& l : lines)
                        if (l.heightM - st.elevationM > 900) l.speedKt.reset();
                    break;
                default: break;
            }

            out += fmt::format("{:>7}{:>7}{:>7}{:>9}{:>8}\n", 254, hour, core::dayOf(date),
                               kMonths[core::monthOf(date) - 1], core::yearOf(date));
            out += fmt::format("{:>7}{:>7}{:>7}{:>7}{}{:>7}{:>6}{:>7}\n", 1, 99999, st.wmo,
                               fmt::format("{:.2f}", std::fabs(st.lat)), st.lat < 0 ? "S" : "N",
                               fmt::format("{:.2f}{}", std::fabs(st.lon), st.lon < 0 ? "W" : "E"), st.elevationM,
                               hour * 100 + 1);
            out += fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}\n", 2, 99999, 99999, 99999, lines.size() + 4,
                               99999, "DEMO");
            out += fmt::format("{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}{:>7}\n", 3, "", "DEMO", "", "", "DEMO", "kt");
            for (const auto& l : lines) out += dataLine(l);
            if (flaw == Flaw::ControlCharacter) out += "      6\x1a  7000   3000  99999  99999    270     40\n";
        }
    }
    return out;
}

}  // namespace skyloom::sounding

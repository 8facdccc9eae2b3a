#include "power/PowerProduction.h"

#include <cmath>

#include "core/Dates.h"
#include "core/Formats.h"
#include "core/Rounding.h"
#include "sounding/HeightInterpolation.h"
#include "sounding/Units.h"

namespace skyloom::power {

namespace {

constexpr double kAbsoluteZeroOffset = 273;   // degrees, as the power model has always used
constexpr int kLevels = sounding::kLevelCount;

std::size_t ix(int i) { return static_cast<std::size_t>(i); }

// Temperatures beyond these hundredths of a degree are missing-value markers.
constexpr int kLowestTemperature = -10000;
constexpr int kHighestTemperature = 6000;
// Pressures (hundredths of a millibar) above this are missing-value markers.
constexpr int kHighestPressure = 120000;

bool levelEmpty(const sounding::SoundingSet& set, int n, int level) {
    const auto& v = set.level[ix(n)][ix(level)];
    return v[sounding::Speed] == 0 && v[sounding::Direction] == 0 && v[sounding::Temperature] == 0 &&
           v[sounding::Pressure] == 0;
}

}  // namespace

PowerModel PowerModel::fromGenerator(const GeneratorRecord& g) {
    PowerModel m;
    m.curve = PowerCurveTable::fromGenerator(g);
    m.temperatureC = g.temperature / 10.0;
    m.pressureMb = g.pressure;
    m.maxKW = g.maxKW;
    return m;
}

bool temperatureUsable(const sounding::SoundingSet& set, int n, int level) {
    if (set.badTemperature[ix(n)] != 0 || levelEmpty(set, n, level)) return false;
    const int t = set.temperature(n, level);
    return t > kLowestTemperature && t < kHighestTemperature;
}

bool pressureUsable(const sounding::SoundingSet& set, int n, int level) {
    if (set.badPressure[ix(n)] != 0) return false;
    const int p = set.pressure(n, level);
    return p > 0 && p < kHighestPressure;
}

PowerEffects levelPowerEffects(const sounding::SoundingSet& set, int n, int level, double power,
                               const PowerModel& model) {
    PowerEffects e;
    if (temperatureUsable(set, n, level)) {
        const double soundingC = set.temperature(n, level) / 100.0;
        e.temperature =
            power * ((model.temperatureC + kAbsoluteZeroOffset) / (soundingC + kAbsoluteZeroOffset) - 1);
    }
    if (pressureUsable(set, n, level) && model.pressureMb > 0) {
        const double soundingMb = set.pressure(n, level) / 100.0;
        e.pressure = power * (soundingMb / model.pressureMb - 1);
    }
    return e;
}

LevelPowerResults computeLevelPower(sounding::SoundingSet& set, const PowerModel& model) {
    LevelPowerResults r;
    const int count = set.count();
    set.resetDerived();

    bool haveHours = false;
    for (int n = 1; n <= count; ++n) {
        if (set.key[ix(n)] >= 0 && set.hoursRepresented(n) > 0) {
            haveHours = true;
            break;
        }
    }
    auto weight = [&](int n) { return haveHours ? set.hoursRepresented(n) : 1.0; };

    LevelTable powerSum{}, tempSum{}, pressSum{}, idleSum{}, cutSum{};
    LevelTable idleRun{}, cutRun{};
    std::array<int, kLevels> usableTemp{}, usablePress{};
    std::array<bool, kLevels> wasIdle{}, wasCut{};

    struct YearSums {
        double hours = 0;
        double gap = 0;
        LevelTable energy{};
        LevelTable effect{};
    };
    std::vector<YearSums> yearSums;
    int firstYear = 0;
    core::HoursSince1930 previousHrs = 0;
    int previousYear = 0;

    for (int n = 1; n <= count; ++n) {
        if (set.key[ix(n)] < 0) continue;
        const double w = weight(n);
        ++r.soundings;
        r.totalHours += w;

        const core::HoursSince1930 hrs = set.hrs(n);
        const int year = core::yearOf(core::dateOfHours(hrs));
        if (yearSums.empty()) firstYear = year;
        YearSums* ys = nullptr;
        const int yearIndex = year - firstYear;
        if (yearIndex >= 0 && yearIndex < kMaxYears) {
            if (yearSums.size() <= ix(yearIndex)) yearSums.resize(ix(yearIndex) + 1);
            ys = &yearSums[ix(yearIndex)];
            ys->hours += w;
            if (r.soundings > 1 && previousYear == year)
                ys->gap = std::max(ys->gap, static_cast<double>(hrs - previousHrs));
        }
        previousHrs = hrs;
        previousYear = year;

        for (int lv = 0; lv < kLevels; ++lv) {
            const double knots = set.speed(n, lv) / 10.0;
            const bool full = !model.fullCurve.points.empty();
            const double power = full ? fullCurvePower(model.fullCurve, knots) : generatorPower(model.curve, knots);
            const bool idle = full ? model.fullCurve.isIdle(knots) : model.curve.isIdle(knots);
            const bool cut = !idle && power == kCutOutMarker;
            const double p = power > 0 ? power : 0.0;
            const PowerEffects e = levelPowerEffects(set, n, lv, p, model);
            auto& d = set.derived[ix(n)][ix(lv)];
            d[DerivedPower] = static_cast<float>(power);
            d[DerivedTempEffect] = static_cast<float>(e.temperature);
            d[DerivedPressEffect] = static_cast<float>(e.pressure);

            const auto L = ix(lv);
            powerSum[L] += w * p;
            tempSum[L] += w * e.temperature;
            pressSum[L] += w * e.pressure;
            if (temperatureUsable(set, n, lv)) ++usableTemp[L];
            if (pressureUsable(set, n, lv)) ++usablePress[L];
            if (ys) {
                ys->energy[L] += w * p;
                ys->effect[L] += w * (e.temperature + e.pressure);
            }

            if (idle) {
                idleSum[L] += w;
                r.idleHours[L] += w;
                if (!wasIdle[L]) {
                    ++r.idleStarts[L];
                    idleRun[L] = 0;
                }
                idleRun[L] += w;
                r.maxIdleRunHours[L] = std::max(r.maxIdleRunHours[L], idleRun[L]);
            }
            if (cut) {
                cutSum[L] += w;
                if (!wasCut[L]) {
                    ++r.cutOuts[L];
                    cutRun[L] = 0;
                }
                cutRun[L] += w;
                r.maxCutOutRunHours[L] = std::max(r.maxCutOutRunHours[L], cutRun[L]);
            }
            wasIdle[L] = idle;
            wasCut[L] = cut;
        }
    }

    for (int lv = 0; lv < kLevels; ++lv) {
        const auto L = ix(lv);
        if (r.totalHours > 0) {
            r.averagePower[L] = powerSum[L] / r.totalHours;
            r.temperatureEffect[L] = tempSum[L] / r.totalHours;
            r.pressureEffect[L] = pressSum[L] / r.totalHours;
            r.idleShare[L] = idleSum[L] / r.totalHours;
            r.cutOutShare[L] = cutSum[L] / r.totalHours;
        }
        r.effect[L] = r.temperatureEffect[L] + r.pressureEffect[L];
        r.correctedPower[L] = r.averagePower[L] + r.effect[L];
        r.effectFraction[L] = r.correctedPower[L] != 0 ? r.effect[L] / r.correctedPower[L] : 0.0;
        if (r.soundings > 0 && (usableTemp[L] == 0 || usablePress[L] == 0)) r.effectsUnknown = true;
    }

    for (std::size_t i = 0; i < yearSums.size(); ++i) {
        const YearSums& ys = yearSums[i];
        YearCapacity y;
        y.year = firstYear + static_cast<int>(i);
        y.hours = ys.hours;
        y.largestGapHours = ys.gap;
        if (ys.hours > 0 && model.maxKW != 0) {
            for (std::size_t L = 0; L < ix(kLevels); ++L) {
                // The year's own temperature-and-pressure percentage scales its power sum.
                const double percent = ys.energy[L] != 0 ? 100.0 * ys.effect[L] / ys.energy[L] : 0.0;
                const double energy = ys.energy[L] * (1 + percent / 100.0);
                y.capacityFactor[L] = 100.0 * (energy / ys.hours) / model.maxKW;
            }
        }
        if (ys.hours == 0) y.largestGapHours = 8784;  // a year without soundings is unusable
        r.years.push_back(y);
    }
    return r;
}

// Heights in feet are heights in the length unit of the knots mode.
double levelValueAtFeet(const LevelTable& values, double feet) {
    return sounding::levelValueAtHeight(values, feet, sounding::Units(sounding::UnitMode::Knots));
}

double levelRatioAtFeet(const LevelTable& numerator, const LevelTable& denominator, double feet) {
    return sounding::levelRatioAtHeight(numerator, denominator, feet, sounding::Units(sounding::UnitMode::Knots));
}

double heightEffect(const LevelPowerResults& r, double feet) {
    return levelRatioAtFeet(r.effect, r.correctedPower, feet);
}

double yearDifferenceAtHeight(const LevelPowerResults& r, int yearIndex, double feet) {
    if (yearIndex < 0 || static_cast<std::size_t>(yearIndex) >= r.years.size()) return 0;
    const YearCapacity& y = r.years[ix(yearIndex)];
    if (!y.usable()) return 0;
    const double v = levelValueAtFeet(y.capacityFactor, feet);
    return y.shortOfData() ? -v : v;
}

std::vector<double> soundingSpeedsAtFeet(const sounding::SoundingSet& set, double feet) {
    std::vector<double> out(ix(set.count()) + 1, 0.0);
    LevelTable speeds{};
    for (int n = 1; n <= set.count(); ++n) {
        for (int lv = 0; lv < kLevels; ++lv) speeds[ix(lv)] = set.speed(n, lv) / 10.0;
        out[ix(n)] = levelValueAtFeet(speeds, feet);
    }
    return out;
}

std::vector<double> soundingPowerAtFeet(const sounding::SoundingSet& set, const PowerModel& model,
                                        double feet, double correction) {
    std::vector<double> out = soundingSpeedsAtFeet(set, feet);
    const bool full = !model.fullCurve.points.empty();
    for (std::size_t n = 1; n < out.size(); ++n)
        out[n] = full ? fullCurvePower(model.fullCurve, out[n], correction) : generatorPower(model.curve, out[n], correction);
    return out;
}

PowerAnalysis showPowerAnalysis(const LevelPowerResults& r, double maxKW, double heightFeet,
                                double heightShown, const std::string& lengthUnit) {
    PowerAnalysis a;
    const std::string head = "Power Analysis for " + core::formatPlain(heightShown) + " " + lengthUnit;
    a.idlePercent = levelValueAtFeet(r.idleShare, heightFeet) * 100.0;
    if (maxKW == 0) {
        a.unknownCapacity = true;
        a.summary = head + " results in an unknown Potential Capacity Factor";
    } else {
        a.potKW = levelValueAtFeet(r.correctedPower, heightFeet);
        a.potCF = core::roundHalfEven(a.potKW / maxKW * 100.0, 1);
        a.summary = head + " results in a Potential Capacity Factor of " +
                    core::formatPlain(core::roundSignificantA(a.potCF)) + "% or " +
                    core::formatPlain(core::roundSignificantA(a.potKW)) + " kW";
    }
    const double e = heightEffect(r, heightFeet);
    a.tempPressPercent = core::roundHalfEven(e * 100.0, 1);
    if (std::fabs(a.tempPressPercent) >= 0.1) {
        a.effectLine = std::string("Temperature and pressure effect: ") + (e >= 0 ? "GAIN of " : "LOSS of ") +
                       core::formatPlain(std::fabs(a.tempPressPercent)) + "%";
    } else if (r.effectsUnknown) {
        a.effectLine = "Temperature and pressure losses were unknown";
    } else {
        a.effectLine = "Temperature and pressure losses were negligible";
    }
    return a;
}

}  // namespace skyloom::power

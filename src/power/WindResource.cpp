#include "power/WindResource.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "core/Formats.h"
#include "core/Rounding.h"
#include "power/PowerCurve.h"

namespace skyloom::power {

namespace {

constexpr double kTrueMetresPerSecondPerKnot = 0.514444;
constexpr double kEulerGamma = 0.5772156649015329;
constexpr double kSectorWidth = 360.0 / kRoseSectors;

std::size_t ix(int i) { return static_cast<std::size_t>(i); }

struct Sum {
    double weight = 0;
    double value = 0;
    void add(double w, double v) {
        weight += w;
        value += w * v;
    }
    std::optional<double> mean() const { return weight > 0 ? std::optional<double>(value / weight) : std::nullopt; }
};

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string heightText(double feet, const sounding::Units& units) {
    return core::formatPlain(core::roundHalfEven(units.lengthFromFeet(feet), 1)) + " " + std::string(units.lengthUnit());
}

double hoursInYear(int year) {
    return 24.0 * core::daysBetween(core::makeDate(year, 1, 1), core::makeDate(year + 1, 1, 1));
}

// Least squares line through (x, y); the standard error of its slope needs three points.
std::optional<LinearTrend> linearTrend(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = x.size();
    if (n < 2) return std::nullopt;
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    if (sxx <= 0) return std::nullopt;
    LinearTrend t;
    t.slope = sxy / sxx;
    if (n >= 3) {
        double residuals = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double r = y[i] - (my + t.slope * (x[i] - mx));
            residuals += r * r;
        }
        t.standardError = std::sqrt(residuals / static_cast<double>(n - 2) / sxx);
    }
    return t;
}

double sampleMean(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s / static_cast<double>(v.size());
}

double sampleDeviation(const std::vector<double>& v) {
    const double m = sampleMean(v);
    double s = 0;
    for (double x : v) s += (x - m) * (x - m);
    return std::sqrt(s / static_cast<double>(v.size() - 1));
}

// Shear sums of one pair of heights, by launch-hour group.
struct PairSums {
    std::array<Sum, kLaunchHourGroups + 1> below, above;   // last slot: all soundings
    int soundings = 0;
    void add(LaunchHour h, double w, double vBelow, double vAbove) {
        for (std::size_t g : {static_cast<std::size_t>(h), std::size_t{kLaunchHourGroups}}) {
            below[g].add(w, vBelow);
            above[g].add(w, vAbove);
        }
        ++soundings;
    }
};

std::optional<double> exponent(const Sum& below, const Sum& above, double zBelow, double zAbove) {
    const auto b = below.mean(), a = above.mean();
    if (!b || !a || *b <= 0 || *a <= 0 || zBelow <= 0 || zAbove <= zBelow) return std::nullopt;
    return std::log(*a / *b) / std::log(zAbove / zBelow);
}

ShearPair shearPair(const PairSums& s, double zBelow, double zAbove, bool groundToHeight) {
    ShearPair p;
    p.fromFeet = zBelow;
    p.toFeet = zAbove;
    p.groundToHeight = groundToHeight;
    p.soundings = s.soundings;
    const std::size_t all = kLaunchHourGroups;
    p.alpha = exponent(s.below[all], s.above[all], zBelow, zAbove);
    p.meanBelow = s.below[all].mean();
    p.meanAbove = s.above[all].mean();
    for (std::size_t g = 0; g < static_cast<std::size_t>(kLaunchHourGroups); ++g)
        p.alphaByLaunch[g] = exponent(s.below[g], s.above[g], zBelow, zAbove);
    return p;
}

void computeShear(const sounding::SoundingSet& set, const std::vector<WindPoint>& points, double factor,
                  double heightFeet, WindResource& r) {
    std::array<Sum, sounding::kLevelCount> levelSums{};
    std::array<PairSums, sounding::kLevelCount> pairs{};   // pair i: level i-1 to level i
    for (int n = 1; n <= set.count(); ++n) {
        if (set.key[ix(n)] < 0) continue;
        const double w = set.hoursRepresented(n);
        const LaunchHour h = launchHourOf(set.hrs(n));
        const int top = set.topWindLevel[ix(n)];
        for (int lv = 0; lv <= top && lv < sounding::kLevelCount; ++lv) {
            const double v = set.speed(n, lv) / 10.0 * factor;
            if (v <= 0) continue;
            levelSums[ix(lv)].add(w, v);
            if (lv == 0) continue;
            const double below = set.speed(n, lv - 1) / 10.0 * factor;
            if (below > 0) pairs[ix(lv)].add(h, w, below, v);
        }
    }
    for (int lv = 0; lv < sounding::kLevelCount; ++lv) r.levelMeanSpeed[ix(lv)] = levelSums[ix(lv)].mean();
    for (int lv = 1; lv < sounding::kLevelCount; ++lv) {
        const double zBelow = lv == 1 ? kGroundReportFeet : (lv - 1) * sounding::kLevelStepFeet;
        r.shear.push_back(shearPair(pairs[ix(lv)], zBelow, lv * sounding::kLevelStepFeet, false));
    }
    if (heightFeet > kGroundReportFeet) {
        PairSums ground;
        for (const WindPoint& p : points) {
            const double g = set.speed(p.n, 0) / 10.0 * factor;
            if (p.knots > 0 && g > 0) ground.add(launchHourOf(p.hrs), p.weight, g, p.knots * factor);
        }
        r.shear.push_back(shearPair(ground, kGroundReportFeet, heightFeet, true));
    }
}

void computeDistribution(const std::vector<WindPoint>& points, const std::vector<double>& speeds,
                         const std::vector<double>& weights, const ResourceOptions& o, WindResource& r) {
    double calm = 0, total = 0, speedSum = 0, top = 0;
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        total += weights[i];
        speedSum += weights[i] * speeds[i];
        if (speeds[i] <= 0) calm += weights[i];
        top = std::max(top, speeds[i]);
    }
    r.hours = total;
    r.calmShare = 100.0 * calm / total;
    r.meanSpeed = speedSum / total;
    r.maximumLikelihood = fitWeibullMaximumLikelihood(speeds, weights);
    r.energyFit = fitWeibullEnergy(speeds, weights);

    const int bins = static_cast<int>(std::floor(top)) + 1;
    r.histogram.resize(ix(bins));
    const double windShare = 100.0 - r.calmShare;
    for (int b = 0; b < bins; ++b) {
        HistogramBin& bin = r.histogram[ix(b)];
        bin.from = b;
        bin.to = b + 1;
        if (r.maximumLikelihood) bin.maximumLikelihood = windShare * r.maximumLikelihood->shareBetween(b, b + 1);
        if (r.energyFit) bin.energy = windShare * r.energyFit->shareBetween(b, b + 1);
    }
    for (std::size_t i = 0; i < speeds.size(); ++i)
        r.histogram[ix(static_cast<int>(std::floor(speeds[i])))].share += 100.0 * weights[i] / total;

    // Power density from each sounding's own air density; a sounding without a
    // usable temperature and pressure takes the period's mean density.
    Sum density;
    for (const WindPoint& p : points)
        if (p.density > 0) density.add(p.weight, p.density);
    double meanDensity = 0;
    if (const auto d = density.mean()) {
        meanDensity = *d;
        r.airDensity = *d;
    } else {
        meanDensity = standardAirDensity(o.groundElevationMetres + r.heightFeet / sounding::kFeetPerMetre);
        r.airDensity = meanDensity;
        r.densityFromStandardAtmosphere = true;
    }
    double flux = 0;
    for (const WindPoint& p : points) {
        const double ms = p.knots * kTrueMetresPerSecondPerKnot;
        flux += p.weight * 0.5 * (p.density > 0 ? p.density : meanDensity) * ms * ms * ms;
    }
    r.powerDensity = flux / total;
}

void computeRose(const std::vector<WindPoint>& points, const std::vector<double>& speeds,
                 const std::vector<double>& weights, WindResource& r) {
    std::array<std::vector<double>, kRoseSectors> sectorSpeeds, sectorWeights;
    std::array<double, kRoseSectors> cube{};
    double windTime = 0, windCube = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (speeds[i] <= 0) continue;
        const int s = static_cast<int>(std::floor(std::fmod(points[i].direction + kSectorWidth / 2, 360.0) / kSectorWidth)) %
                      kRoseSectors;
        sectorSpeeds[ix(s)].push_back(speeds[i]);
        sectorWeights[ix(s)].push_back(weights[i]);
        const double c = weights[i] * speeds[i] * speeds[i] * speeds[i];
        cube[ix(s)] += c;
        windTime += weights[i];
        windCube += c;
    }
    for (int s = 0; s < kRoseSectors; ++s) {
        RoseSector& sector = r.rose[ix(s)];
        sector.centre = s * kSectorWidth;
        sector.soundings = static_cast<int>(sectorSpeeds[ix(s)].size());
        Sum speed;
        for (std::size_t i = 0; i < sectorSpeeds[ix(s)].size(); ++i)
            speed.add(sectorWeights[ix(s)][i], sectorSpeeds[ix(s)][i]);
        sector.meanSpeed = speed.mean();
        if (windTime > 0) sector.share = 100.0 * speed.weight / windTime;
        if (windCube > 0) sector.energyShare = 100.0 * cube[ix(s)] / windCube;
        sector.weibull = fitWeibullMaximumLikelihood(sectorSpeeds[ix(s)], sectorWeights[ix(s)]);
    }
}

void computeSeasons(const std::vector<WindPoint>& points, const std::vector<double>& speeds,
                    const std::vector<double>& weights, WindResource& r) {
    std::array<Sum, 12> months{};
    std::map<int, std::array<Sum, 12>> byYear;
    std::array<Sum, kLaunchHourGroups> launch{};
    std::array<int, kLaunchHourGroups> launchCount{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const core::Days day = core::dateOfHours(points[i].hrs);
        const auto m = ix(core::monthOf(day) - 1);
        months[m].add(weights[i], speeds[i]);
        byYear[core::yearOf(day)][m].add(weights[i], speeds[i]);
        const auto g = static_cast<std::size_t>(launchHourOf(points[i].hrs));
        launch[g].add(weights[i], speeds[i]);
        ++launchCount[g];
    }
    for (std::size_t m = 0; m < 12; ++m) r.monthly[m] = months[m].mean();
    for (const auto& [year, sums] : byYear) {
        WindResource::YearMonths y;
        y.year = year;
        for (std::size_t m = 0; m < 12; ++m) y.months[m] = sums[m].mean();
        r.monthlyByYear.push_back(y);
    }
    for (std::size_t g = 0; g < static_cast<std::size_t>(kLaunchHourGroups); ++g) {
        r.launchMeanSpeed[g] = launch[g].mean();
        r.launchShare[g] = 100.0 * launchCount[g] / static_cast<double>(points.size());
    }
}

void computeYears(const std::vector<WindPoint>& points, const std::vector<double>& speeds,
                  const std::vector<double>& weights, const ResourceOptions& o, double factor, WindResource& r) {
    const int first = core::yearOf(core::dateOfHours(points.front().hrs));
    const int last = core::yearOf(core::dateOfHours(points.back().hrs));
    struct YearSums {
        Sum speed;
        double energy = 0;
        double max = 0;
        int soundings = 0;
    };
    std::vector<YearSums> sums(ix(last - first + 1));
    for (std::size_t i = 0; i < points.size(); ++i) {
        YearSums& y = sums[ix(core::yearOf(core::dateOfHours(points[i].hrs)) - first)];
        y.speed.add(weights[i], speeds[i]);
        y.max = std::max(y.max, speeds[i]);
        ++y.soundings;
        if (o.generator) {
            const double kw = generatorPower(o.generator->curve, points[i].knots, o.correction);
            if (kw > 0) y.energy += weights[i] * kw;
        }
    }
    r.withGenerator = o.generator.has_value();
    std::vector<double> x, speed, energy;
    for (int year = first; year <= last; ++year) {
        const YearSums& s = sums[ix(year - first)];
        YearFigures y;
        y.year = year;
        y.soundings = s.soundings;
        const double full = hoursInYear(year);
        y.coverage = std::min(1.0, s.speed.weight / full);
        y.complete = y.coverage >= kCompleteYearCoverage;
        y.meanSpeed = s.speed.mean();
        if (s.soundings > 0) y.maxSpeed = s.max;
        if (o.generator && s.speed.weight > 0) y.energy = s.energy / 1000.0 * full / s.speed.weight;
        if (y.complete) {
            ++r.completeYears;
            x.push_back(year);
            speed.push_back(*y.meanSpeed);
            if (y.energy) energy.push_back(*y.energy);
            r.annualMaxima.push_back(*y.maxSpeed);
        } else {
            r.leftOutYears.push_back(year);
        }
        r.years.push_back(y);
    }
    r.speedTrend = linearTrend(x, speed);
    if (speed.size() >= 2 && sampleMean(speed) > 0) r.speedCoV = 100.0 * sampleDeviation(speed) / sampleMean(speed);

    if (o.generator) {
        r.energyTrend = linearTrend(x, energy);
        if (energy.size() >= 2 && sampleMean(energy) > 0) {
            const double p50 = sampleMean(energy);
            const double spread = sampleDeviation(energy) / p50;
            r.energyCoV = 100.0 * spread;
            r.p50 = Exceedance{p50, p50};
            r.p75 = Exceedance{exceedanceLevel(p50, spread, kZ75, 1), exceedanceLevel(p50, spread, kZ75, 10)};
            r.p90 = Exceedance{exceedanceLevel(p50, spread, kZ90, 1), exceedanceLevel(p50, spread, kZ90, 10)};
            r.exceedanceNote =
                "P50 is the mean of the yearly energies of " + plural(static_cast<int>(energy.size()), "complete year", "complete years") +
                "; P75 and P90 take the yearly energy as normally distributed about it, years independent of each "
                "other, with the spread of these years (P90 = P50 x (1 - 1.282 x CoV / sqrt(years)) for a 1-year "
                "and a 10-year mean). Other uncertainties (power curve, losses, availability, the soundings "
                "themselves) are not included.";
        } else if (energy.size() == 1 && energy.front() <= 0) {
            r.exceedanceNote = "No P50, P75 or P90: the generator gives no energy in the complete year.";
        } else {
            r.exceedanceNote = "No P50, P75 or P90: they need at least 2 complete years, this period has " +
                               std::to_string(energy.size()) + ".";
        }
    }

    const std::string caveat =
        " Soundings are spot values, mostly twice a day, not 10-minute means: take this as a first indication.";
    if (r.completeYears >= kLeastYearsForExtremes) {
        r.extreme50 = gumbelReturnLevel(r.annualMaxima, kReturnPeriodYears);
        r.extremeNote = "50-year return speed from a Gumbel fit (by moments) of the yearly maxima of " +
                        plural(r.completeYears, "complete year", "complete years") + "." + caveat;
    } else {
        r.extremeNote = "No 50-year return speed: it needs at least 5 complete years, this period has " +
                        std::to_string(r.completeYears) + ".";
    }
    if (r.extreme50 && r.meanSpeed) {
        const double toMs = kTrueMetresPerSecondPerKnot / factor;
        const double vref = *r.extreme50 * toMs;
        const double vave = *r.meanSpeed * toMs;
        r.iecClass = iecClassFor(vref, vave);
        const std::string site = "this site: reference speed " + core::formatNumber(vref, "0.0") +
                                 " m/s, yearly mean " + core::formatNumber(vave, "0.0") + " m/s";
        if (*r.iecClass == "S")
            r.iecNote = "Beyond class I (50 m/s, 10 m/s): a site-specific (S) design; " + site + "." + caveat;
        else
            r.iecNote = "IEC 61400-1 class " + *r.iecClass + " (classes I, II, III: reference speed 50, 42.5, 37.5 m/s, "
                        "yearly mean 10, 8.5, 7.5 m/s); " + site + "." + caveat;
    } else {
        r.iecNote = "No IEC 61400-1 class: it needs the 50-year return speed, which needs at least 5 complete "
                    "years; this period has " + std::to_string(r.completeYears) + ".";
    }
}

}  // namespace

double exceedanceLevel(double p50, double relativeSpread, double z, int years) {
    return p50 * (1 - z * relativeSpread / std::sqrt(static_cast<double>(years)));
}

double gumbelReturnLevel(const std::vector<double>& maxima, int returnYears) {
    const double m = sampleMean(maxima);
    const double beta = sampleDeviation(maxima) * std::sqrt(6.0) / std::numbers::pi;
    const double mu = m - kEulerGamma * beta;
    return mu - beta * std::log(-std::log(1 - 1.0 / returnYears));
}

std::string iecClassFor(double referenceSpeedMs, double meanSpeedMs) {
    if (referenceSpeedMs <= 37.5 && meanSpeedMs <= 7.5) return "III";
    if (referenceSpeedMs <= 42.5 && meanSpeedMs <= 8.5) return "II";
    if (referenceSpeedMs <= 50.0 && meanSpeedMs <= 10.0) return "I";
    return "S";
}

WindResource computeWindResource(const sounding::SoundingSet& set, const ResourceOptions& o) {
    WindResource r;
    r.units = o.units;
    // Heights above the top level take the top level's winds, as everywhere in the program.
    r.heightFeet = std::min(o.heightFeet, static_cast<double>((sounding::kLevelCount - 1) * sounding::kLevelStepFeet));
    const double factor = o.units.speedFactor();
    const std::vector<WindPoint> points = windAtHeight(set, r.heightFeet);
    std::vector<double> speeds, weights;
    speeds.reserve(points.size());
    weights.reserve(points.size());
    double total = 0;
    for (const WindPoint& p : points) {
        speeds.push_back(p.knots * factor);
        weights.push_back(p.weight);
        total += p.weight;
    }
    r.soundings = static_cast<int>(points.size());
    if (points.empty() || total <= 0) {
        r.message = "No sounding of this period has a wind at " + heightText(r.heightFeet, o.units) +
                    ": there is no wind resource to show at this height.";
        return r;
    }
    r.computed = true;
    computeDistribution(points, speeds, weights, o, r);
    computeRose(points, speeds, weights, r);
    computeShear(set, points, factor, r.heightFeet, r);
    computeSeasons(points, speeds, weights, r);
    computeYears(points, speeds, weights, o, factor, r);
    return r;
}

}  // namespace skyloom::power

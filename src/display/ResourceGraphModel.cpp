#include "display/ResourceGraphModel.h"

#include <algorithm>
#include <cmath>

#include "core/Formats.h"
#include "display/PowerGraphModel.h"

namespace skyloom::display {

namespace {

constexpr int kCurveStepsPerUnit = 4;
constexpr int kRoseRings = 4;
constexpr double kTopFeet = (sounding::kLevelCount - 1) * sounding::kLevelStepFeet;

std::string unitOf(const power::WindResource& r) { return std::string(r.units.speedUnit()); }

std::vector<ResourcePoint> curve(const power::Weibull& w, double windShare, double maxSpeed) {
    std::vector<ResourcePoint> out;
    const int steps = static_cast<int>(std::ceil(maxSpeed * kCurveStepsPerUnit));
    for (int i = 0; i <= steps; ++i) {
        const double v = static_cast<double>(i) / kCurveStepsPerUnit;
        // Percent per bar of one display unit.
        out.push_back({v, windShare * w.pdf(v)});
    }
    return out;
}

void buildRose(const power::WindResource& r, ResourceGraphs& g) {
    double top = 0;
    for (const auto& s : r.rose) {
        g.rose.push_back({s.centre, s.share, s.energyShare});
        top = std::max({top, s.share, s.energyShare});
    }
    g.roseMax = niceCeiling(top);
    for (int i = 1; i <= kRoseRings; ++i) g.roseRings.push_back(g.roseMax * i / kRoseRings);
    g.roseTitle = "Wind rose: % of the time (filled), % of the energy (red outline)";
}

void buildHistogram(const power::WindResource& r, ResourceGraphs& g) {
    double top = 0;
    for (const auto& b : r.histogram) {
        g.bars.push_back({b.from, b.to, b.share});
        top = std::max({top, b.share, b.maximumLikelihood, b.energy});
    }
    g.histogramMaxSpeed = r.histogram.empty() ? 1 : r.histogram.back().to;
    const double windShare = 100.0 - r.calmShare;
    if (r.maximumLikelihood) g.maximumLikelihoodCurve = curve(*r.maximumLikelihood, windShare, g.histogramMaxSpeed);
    if (r.energyFit) g.energyCurve = curve(*r.energyFit, windShare, g.histogramMaxSpeed);
    for (const auto* c : {&g.maximumLikelihoodCurve, &g.energyCurve})
        for (const auto& p : *c) top = std::max(top, p.y);
    g.histogramMaxShare = niceCeiling(top);
    g.histogramTitle = "Speeds: % of the time in bins of 1 " + unitOf(r) + ", and the two Weibull fits";
    g.histogramSpeedCaption = std::string(r.units.speedAxisCaption());
}

void buildProfile(const power::WindResource& r, ResourceGraphs& g) {
    const sounding::Units& u = r.units;
    double top = 0;
    for (int lv = 0; lv < sounding::kLevelCount; ++lv) {
        const auto& v = r.levelMeanSpeed[static_cast<std::size_t>(lv)];
        if (!v) continue;
        const double feet = lv == 0 ? power::kGroundReportFeet : lv * sounding::kLevelStepFeet;
        g.profile.push_back({*v, u.lengthFromFeet(feet)});
        top = std::max(top, *v);
    }
    for (const auto& p : r.shear) {
        if (!p.alpha) continue;
        if (p.groundToHeight) {
            if (!p.meanBelow) continue;
            const double below = *p.meanBelow;
            const double alpha = *p.alpha;
            for (double feet = power::kGroundReportFeet; feet <= kTopFeet; feet += 50) {
                const double v = below * std::pow(feet / power::kGroundReportFeet, alpha);
                g.powerLaw.push_back({v, u.lengthFromFeet(feet)});
                top = std::max(top, v);
            }
            g.chosen = ResourcePoint{below * std::pow(r.heightFeet / power::kGroundReportFeet, alpha),
                                     u.lengthFromFeet(r.heightFeet)};
        } else {
            const double mid = (p.fromFeet + p.toFeet) / 2;
            const double speed = p.meanBelow && p.meanAbove ? (*p.meanBelow + *p.meanAbove) / 2 : 0;
            g.alphaLabels.push_back({{speed, u.lengthFromFeet(mid)}, core::formatNumber(*p.alpha, "0.00")});
        }
    }
    g.profileMaxSpeed = niceCeiling(top * 1.15);
    g.profileMaxHeight = u.lengthFromFeet(kTopFeet);
    const auto ground = std::find_if(r.shear.begin(), r.shear.end(), [](const auto& p) { return p.groundToHeight; });
    g.profileTitle = "Shear: mean speed (calms left out) up to 5000 feet, in " + std::string(u.lengthUnit()) +
                     ", with the exponent of each layer";
    g.profileSpeedCaption = std::string(u.speedAxisCaption());
    if (ground != r.shear.end() && ground->alpha)
        g.profileSpeedCaption += "; ground to " + resourceHeightText(r.heightFeet, u) + ": alpha " +
                                 core::formatNumber(*ground->alpha, "0.000") + " (green)";
}

void buildMonths(const power::WindResource& r, ResourceGraphs& g) {
    double top = 0;
    for (std::size_t m = 0; m < 12; ++m) {
        g.monthly[m] = r.monthly[m];
        if (r.monthly[m]) top = std::max(top, *r.monthly[m]);
    }
    g.monthlyMax = niceCeiling(top);
    g.monthlyTitle = "Mean speed by month (" + unitOf(r) + "); by launch hour:";
    for (int h = 0; h < power::kLaunchHourGroups; ++h)
        if (const auto& v = r.launchMeanSpeed[static_cast<std::size_t>(h)])
            g.monthlyTitle += std::string(h ? "," : "") + " " + launchHourName(h) + " " + core::formatNumber(*v, "0.0");
    g.monthlyNote = launchHourNote();
}

void buildYears(const power::WindResource& r, ResourceGraphs& g) {
    double lo = 0, hi = 0;
    bool first = true;
    double sx = 0, sy = 0;
    int n = 0;
    for (const auto& y : r.years) {
        if (!y.meanSpeed) continue;
        g.years.push_back({y.year, *y.meanSpeed, y.complete});
        lo = first ? *y.meanSpeed : std::min(lo, *y.meanSpeed);
        hi = first ? *y.meanSpeed : std::max(hi, *y.meanSpeed);
        first = false;
        if (y.complete) {
            sx += y.year;
            sy += *y.meanSpeed;
            ++n;
        }
    }
    if (r.speedTrend && n > 0) {
        const double mx = sx / n, my = sy / n;
        const double x0 = g.years.front().year, x1 = g.years.back().year;
        g.trendLine = std::array<ResourcePoint, 2>{ResourcePoint{x0, my + r.speedTrend->slope * (x0 - mx)},
                                                   ResourcePoint{x1, my + r.speedTrend->slope * (x1 - mx)}};
        for (const auto& p : *g.trendLine) {
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
    }
    const double pad = std::max(0.5, 0.1 * (hi - lo));
    g.yearsMinSpeed = std::max(0.0, std::floor(lo - pad));
    g.yearsMaxSpeed = std::ceil(hi + pad);
    g.yearsTitle = "Yearly mean speed (" + unitOf(r) + "); hollow: left out, soundings cover less than 70% of it";
    if (r.speedTrend) {
        g.trendText = "Trend " + std::string(r.speedTrend->slope >= 0 ? "+" : "") +
                      core::formatNumber(r.speedTrend->slope, "0.000") + " " + unitOf(r) + " per year";
        if (r.speedTrend->standardError)
            g.trendText += " (standard error " + core::formatNumber(*r.speedTrend->standardError, "0.000") + ")";
    } else {
        g.trendText = "No trend: it needs at least 2 complete years, this period has " +
                      std::to_string(r.completeYears) + ".";
    }
}

}  // namespace

ResourceGraphs buildResourceGraphs(const power::WindResource& r, const ResourceHeading& h) {
    ResourceGraphs g;
    g.computed = r.computed;
    g.title = resourceTitle(r, h);
    g.keyLines = resourceKeyLines(r);
    if (!r.computed) return g;
    buildRose(r, g);
    buildHistogram(r, g);
    buildProfile(r, g);
    buildMonths(r, g);
    buildYears(r, g);
    g.table = exceedanceTable(r);
    if (r.withGenerator) {
        g.tableNotes.push_back("Generator: " + h.generatorName);
        g.tableNotes.push_back(r.exceedanceNote);
    } else {
        g.tableNotes.push_back("Choose a generator on the Power Page for the energy, P50, P75 and P90.");
    }
    return g;
}

}  // namespace skyloom::display

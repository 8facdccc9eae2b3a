#include "display/PowerGraphModel.h"

#include <algorithm>
#include <cmath>

#include "core/Formats.h"
#include "power/EnergyInputs.h"
#include "power/PowerPageEnergy.h"

namespace skyloom::display {

namespace {

std::string axisNumber(double v) {
    if (std::fabs(v) < 1e-9) return "0";
    if (std::fabs(v - std::round(v)) < 1e-6) return core::formatNumber(v, "#,##0");
    if (std::fabs(v * 10 - std::round(v * 10)) < 1e-6) return core::formatNumber(v, "0.0");
    return core::formatNumber(v, "0.00");
}

// The step of a nice axis with about `steps` intervals over `span`.
double niceStep(double span, int steps) { return niceCeiling(span / std::max(1, steps)); }

// Labels from lo to hi (display units, both multiples of step).
std::vector<AxisLabel> labelsBetween(double lo, double hi, double step, double factor) {
    std::vector<AxisLabel> out;
    const int n = static_cast<int>(std::lround((hi - lo) / step));
    for (int k = 0; k <= n; ++k) {
        const double v = lo + k * step;
        out.push_back({v / factor, axisNumber(v)});
    }
    return out;
}

double powerOrZero(double kw) { return kw > 0 ? kw : 0.0; }

std::string unitText(const sounding::Units& u) { return std::string(u.speedUnit()); }

}  // namespace

int clampPowerGraphGroup(int group) { return std::max(kMinPowerGraphGroup, group); }

double niceCeiling(double v) {
    if (!(v > 0)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * p >= v * (1 - 1e-12)) return m * p;
    return 10 * p;
}

std::vector<AxisLabel> valueAxis(double maxDisplay, double factor, int steps) {
    const double step = niceStep(maxDisplay > 0 ? maxDisplay : 1, steps);
    const double top = std::ceil(maxDisplay / step - 1e-9) * step;
    return labelsBetween(0, std::max(top, step), step, factor);
}

CurveLine curveLineOf(const power::GeneratorRecord& g, double xEndKnots) {
    CurveLine c;
    c.name = g.name;
    c.points.push_back({g.cutInSpeed, 0});
    double lastKw = 0;
    double lastSpeed = g.cutInSpeed;
    for (const auto& p : g.points) {
        if (p.speed <= 0) break;   // the used points come first
        c.points.push_back({p.speed, p.kw});
        lastKw = p.kw;
        lastSpeed = p.speed;
    }
    // The top output is held from the last point up to cut-out, where it drops to nothing.
    if (g.cutOut > 0 && g.cutOut > lastSpeed) {
        c.points.push_back({g.cutOut, lastKw});
        c.points.push_back({g.cutOut, 0});
        c.cutOutKnots = g.cutOut;
    } else if (g.cutOut > 0) {
        c.cutOutKnots = g.cutOut;
    } else if (xEndKnots > lastSpeed && c.points.size() > 1) {
        c.points.push_back({xEndKnots, lastKw});
    }
    return c;
}

SpeedBins speedBins(const SoundingSeries& s, int binCount, double binKnots) {
    SpeedBins b;
    b.binKnots = binKnots > 0 ? binKnots : kSpeedBinKnots;
    b.timeShare.assign(static_cast<std::size_t>(std::max(0, binCount)), 0.0);
    b.energyShare = b.timeShare;
    const std::size_t n = std::min({s.speedKnots.size(), s.powerKw.size(), s.hours.size()});
    double allHours = 0, allEnergy = 0;
    auto add = [&b](std::size_t bin, double share, double h, double e) {
        b.timeShare[bin] += share * h;
        b.energyShare[bin] += share * e;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const double h = s.hours[i];
        const double e = powerOrZero(s.powerKw[i]) * h;
        allHours += h;
        allEnergy += e;
        if (b.timeShare.empty()) continue;
        // Position in bins, measured from the first centre.
        const double pos = s.speedKnots[i] / b.binKnots - 0.5;
        const auto last = static_cast<double>(b.timeShare.size() - 1);
        if (pos > last) continue;
        if (pos <= 0) {
            add(0, 1, h, e);
            continue;
        }
        const auto lower = static_cast<std::size_t>(pos);
        const double upperShare = pos - static_cast<double>(lower);
        add(lower, 1 - upperShare, h, e);
        if (upperShare > 0) add(lower + 1, upperShare, h, e);
    }
    for (double& x : b.timeShare) x = allHours > 0 ? x / allHours : 0;
    for (double& x : b.energyShare) x = allEnergy > 0 ? x / allEnergy : 0;
    return b;
}

namespace {

// Bin shares as a curve through the bin centres whose peak stands at peakKw.
std::vector<PlotPoint> scaledBins(const std::vector<double>& share, double binKnots, double peakKw) {
    std::vector<PlotPoint> out;
    const double top = share.empty() ? 0 : *std::max_element(share.begin(), share.end());
    if (top <= 0) return out;
    for (std::size_t b = 0; b < share.size(); ++b)
        out.push_back({(static_cast<double>(b) + 0.5) * binKnots, share[b] / top * peakKw});
    return out;
}

// "peak 12.8% at 16 mph": the largest bin share and the speed of its centre.
std::string peakText(const std::vector<double>& share, double binKnots, const sounding::Units& units) {
    const auto top = std::max_element(share.begin(), share.end());
    const double centre = (static_cast<double>(top - share.begin()) + 0.5) * binKnots * units.speedFactor();
    return "peak " + core::formatNumber(*top * 100, "0.0") + "% at " + core::formatNumber(centre, "0") + " " +
           std::string(units.speedUnit());
}

double curveEndKnots(const power::GeneratorRecord& g) {
    double end = std::max(g.cutInSpeed, g.cutOut);
    for (const auto& p : g.points)
        if (p.speed > 0) end = std::max(end, p.speed);
    return end;
}

double topKw(const power::GeneratorRecord& g) {
    double top = 0;
    for (const auto& p : g.points)
        if (p.speed > 0) top = std::max(top, p.kw);
    return top;
}

}  // namespace

PowerCurveModel buildPowerCurve(const sounding::Units& units, const power::GeneratorRecord* g,
                                const PowerCurveExtras& extras, const SoundingSeries& series) {
    PowerCurveModel m;
    const double factor = units.speedFactor();
    m.xCaption = std::string(units.speedAxisCaption());
    m.yCaption = "Power (kW)";
    m.tip = " The power the generator produces at each wind speed, from its cut-in speed to its cut-out speed. ";

    double endKnots = 25;   // an empty graph still shows a sensible speed range
    double kwTop = 1;
    if (g) {
        endKnots = curveEndKnots(*g);
        kwTop = std::max(kwTop, topKw(*g));
    }
    if (extras.comparison) {
        endKnots = std::max(endKnots, curveEndKnots(*extras.comparison));
        kwTop = std::max(kwTop, topKw(*extras.comparison));
    }
    // Room right of the cut-out for its mark, and above the top output.
    const double displayEnd = std::max(endKnots * 1.08, 1.0) * factor;
    const double xStep = niceStep(displayEnd, 7);
    const double xTop = std::ceil(displayEnd / xStep - 1e-9) * xStep;
    m.xAxis = labelsBetween(0, xTop, xStep, factor);
    m.xMaxKnots = xTop / factor;
    const double yStep = niceStep(kwTop * 1.1, 6);
    const double yTop = std::ceil(kwTop * 1.1 / yStep - 1e-9) * yStep;
    m.yAxis = labelsBetween(0, yTop, yStep, 1);
    m.yMaxKw = yTop;

    if (!g) {
        m.title = "Power Curve";
        return m;
    }
    m.empty = false;
    m.title = "Power Curve of " + g->name;
    m.curve = curveLineOf(*g, m.xMaxKnots);
    if (m.curve.cutOutKnots)
        m.cutOutLabel = "Cut-out " + core::formatNumber(units.shownSpeed(*m.curve.cutOutKnots), "0.0") + " " +
                        unitText(units);
    if (extras.comparison) {
        m.comparison = curveLineOf(*extras.comparison, m.xMaxKnots);
        m.legend.push_back("Black: " + extras.comparison->name + ", chosen for comparison");
    }
    if ((extras.powerBand || extras.energyDistribution) && !series.hours.empty()) {
        const SpeedBins bins =
            speedBins(series, static_cast<int>(std::ceil(m.xMaxKnots / kSpeedBinKnots)), kSpeedBinKnots);
        const double peak = kDistributionPeak * m.yMaxKw;
        if (extras.powerBand) {
            m.powerBand = scaledBins(bins.energyShare, bins.binKnots, peak);
            if (!m.powerBand.empty())
                m.legend.push_back("Black dashed: Power Band Curve, energy made by wind speed (" +
                                   peakText(bins.energyShare, bins.binKnots, units) + ")");
        }
        if (extras.energyDistribution) {
            m.distribution = scaledBins(bins.timeShare, bins.binKnots, peak);
            if (!m.distribution.empty())
                m.legend.push_back("Red: Energy Distribution Curve, time at each wind speed (" +
                                   peakText(bins.timeShare, bins.binKnots, units) + ")");
        }
    }
    return m;
}

void addPowerCurve(Graph1Model& graph, const power::GeneratorRecord& g) {
    graph.powerCurve.clear();
    graph.powerCurveCutOutKnots.reset();
    graph.powerCurveLabel.clear();
    const double top = topKw(g);
    if (top <= 0) return;
    const double axisTop = niceCeiling(top * 1.1);
    const CurveLine c = curveLineOf(g, kGraphMaxSpeed);
    for (const auto& p : c.points)
        graph.powerCurve.push_back({std::min(p.x, kGraphMaxSpeed), p.y / axisTop * kGraphMaxHeight});
    graph.powerCurveCutOutKnots = c.cutOutKnots;
    graph.powerCurveLabel = "Power Curve of " + g.name + ": 0 to " + axisNumber(axisTop) + " kW from bottom to top";
}

std::vector<AxisLabel> dateAxis(double fromHours, double toHours) {
    std::vector<AxisLabel> out;
    if (!(toHours > fromHours)) return out;
    const core::Days first = core::dateOfHours(static_cast<core::HoursSince1930>(std::floor(fromHours)));
    const core::Days last = core::dateOfHours(static_cast<core::HoursSince1930>(std::ceil(toHours)));
    const double spanDays = (toHours - fromHours) / 24.0;
    if (spanDays > 3 * 365) {
        const int years = core::yearOf(last) - core::yearOf(first);
        const int step = years > 40 ? 10 : years > 20 ? 5 : years > 10 ? 2 : 1;
        for (int y = core::yearOf(first) + 1; y <= core::yearOf(last); ++y) {
            if (y % step != 0) continue;
            const double at = core::hoursSince1930(core::makeDate(y, 1, 1), 0);
            if (at >= fromHours && at <= toHours) out.push_back({at, std::to_string(y)});
        }
        return out;
    }
    const int months = static_cast<int>(spanDays / 30.4);
    const int step = months > 24 ? 6 : months > 12 ? 3 : months > 6 ? 2 : 1;
    int y = core::yearOf(first), mo = core::monthOf(first);
    for (;;) {
        if (++mo > 12) {
            mo = 1;
            ++y;
        }
        const core::Days d = core::makeDate(y, mo, 1);
        if (d > last) break;
        if ((mo - 1) % step != 0) continue;
        const double at = core::hoursSince1930(d, 0);
        if (at >= fromHours && at <= toHours) out.push_back({at, core::formatDate(d, "mmm-yy")});
    }
    return out;
}

OutputGraphModel buildOutputGraph(const sounding::Units& units, double heightFeet, const std::string& generatorName,
                                  std::span<const core::HoursSince1930> times, const SoundingSeries& series,
                                  int maxPoints) {
    OutputGraphModel m;
    m.xCaption = "Date";
    m.yCaption = "Output (kW)";
    const std::string height =
        core::formatNumber(std::round(units.lengthFromFeet(heightFeet)), "0") + " " + std::string(units.lengthUnit());
    m.title = generatorName.empty() ? "Generator Output at " + height
                                    : "Output of " + generatorName + " at " + height;
    m.tip = " The average power the generator produced, in kW, over the soundings of each point of the period. ";
    const std::size_t n = std::min({times.size(), series.powerKw.size(), series.hours.size()});
    if (n == 0) {
        m.yAxis = valueAxis(1, 1);
        return m;
    }
    m.empty = false;
    const std::size_t per = std::max<std::size_t>(1, (n + static_cast<std::size_t>(std::max(1, maxPoints)) - 1) /
                                                         static_cast<std::size_t>(std::max(1, maxPoints)));
    m.soundingsPerPoint = static_cast<int>(per);
    double allEnergy = 0, allHours = 0, top = 0;
    for (std::size_t start = 0; start < n; start += per) {
        const std::size_t end = std::min(n, start + per);
        double e = 0, h = 0;
        for (std::size_t i = start; i < end; ++i) {
            e += powerOrZero(series.powerKw[i]) * series.hours[i];
            h += series.hours[i];
        }
        const double kw = h > 0 ? e / h : 0;
        allEnergy += e;
        allHours += h;
        top = std::max(top, kw);
        m.points.push_back({(static_cast<double>(times[start]) + times[end - 1]) / 2.0, kw});
    }
    m.averageKw = allHours > 0 ? allEnergy / allHours : 0;
    m.averageLabel = "Average " + core::formatNumber(m.averageKw, m.averageKw >= 100 ? "0" : "0.00") + " kW";
    if (per > 1) m.averageLabel += ", each point " + std::to_string(per) + " soundings";
    m.xMin = times[0] - series.hours[0] / 2;
    m.xMax = times[n - 1] + series.hours[n - 1] / 2;
    if (m.xMax <= m.xMin) m.xMax = m.xMin + 1;
    m.xAxis = dateAxis(m.xMin, m.xMax);
    m.yAxis = valueAxis(top * 1.05, 1);
    m.yMaxKw = m.yAxis.back().at;
    return m;
}

std::shared_ptr<const EnergySnapshot> snapshotOf(const power::PowerPageEnergy& e) {
    auto s = std::make_shared<EnergySnapshot>();
    s->balance = e.balance();
    s->hours = e.hours();
    s->times = e.times();
    s->aveUsed = e.inputs.aveUsed;
    return s;
}

std::optional<std::size_t> EnergyGraphModel::soundingAt(double x) const {
    if (!source || source->times.empty()) return std::nullopt;
    const auto& t = source->times;
    auto it = std::lower_bound(t.begin(), t.end(), x, [](core::HoursSince1930 a, double b) { return a < b; });
    if (it == t.begin()) return 0;
    if (it == t.end()) return t.size() - 1;
    const auto after = static_cast<std::size_t>(it - t.begin());
    // Halfway between two soundings the later one takes over.
    return (x - t[after - 1] < t[after] - x) ? after - 1 : after;
}

std::string EnergyGraphModel::hoverTextAt(double x) const {
    const auto i = soundingAt(x);
    if (!i) return {};
    return power::energyHoverText(source->balance, source->hours, *i);
}

EnergyGraphModel buildEnergyGraph(EnergyGraphKind kind, std::shared_ptr<const EnergySnapshot> source, int group,
                                  bool rates) {
    EnergyGraphModel m;
    m.kind = kind;
    m.group = clampPowerGraphGroup(group);
    m.rates = rates;
    m.source = std::move(source);
    const bool stored = kind == EnergyGraphKind::Stored;
    const std::string usage = power::usageText(m.source ? m.source->aveUsed : 0);
    if (!rates) {
        m.title = stored ? power::storedGraphTitle(usage) : power::shortfallGraphTitle(usage);
        m.tip = stored ? power::kStoredGraphTip : power::kShortfallGraphTip;
    } else {
        // The rates say nothing of MWh stored or bought to date: their own words.
        m.title = stored ? " This graph shows the rate, in kW, at which the store was charged (up) or discharged "
                           "(down) in order to maintain a constant output of " + usage + " kW. "
                         : " This graph shows the power, in kW, that would have been bought from a non-wind source "
                           "in order to have maintained a constant output of " + usage + " kW. ";
        m.tip = stored ? " This is the kW going into (up) or out of (down) the store, averaged over the soundings of "
                         "each bar."
                       : " This is the kW bought from a non-wind source, averaged over the soundings of each bar.";
    }
    m.xCaption = "Date";
    if (rates)
        m.yCaption = stored ? "Charge (+) or discharge (-) (kW)" : "Power bought (kW)";
    else
        m.yCaption = stored ? "Energy stored (MWh)" : "Bought to date (MWh)";
    m.modeCaption = std::to_string(m.group) + " soundings per bar, " +
                    (rates ? std::string("each bar the mean kW over its soundings")
                           : std::string("each bar the MWh as of its last sounding"));
    m.keysCaption = std::string("Ctrl+A wider bars, Ctrl+Z narrower, Ctrl+P ") +
                    (rates ? "MWh totals" : "kW rates");

    const std::size_t n = m.source ? std::min(m.source->times.size(), m.source->hours.size()) : 0;
    const power::BalanceSeries* s = m.source ? &m.source->balance.series : nullptr;
    if (n == 0 || s->storedEnergy.size() < n) {
        m.yAxis = valueAxis(1, 1);
        return m;
    }
    m.empty = false;
    const auto& t = m.source->times;
    const auto& h = m.source->hours;
    const auto g = static_cast<std::size_t>(m.group);
    double lo = 0, hi = 0;
    for (std::size_t start = 0; start < n; start += g) {
        const std::size_t end = std::min(n, start + g);
        double value = 0;
        if (!rates) {
            value = (stored ? s->storedEnergy[end - 1] : s->shortfallToDate[end - 1]) / 1000.0;
        } else {
            double sum = 0, hours = 0;
            for (std::size_t i = start; i < end; ++i) {
                if (stored) {
                    sum += s->batteryRate[i] * h[i];
                } else {
                    sum += s->shortfallToDate[i] - (i > 0 ? s->shortfallToDate[i - 1] : 0.0);
                }
                hours += h[i];
            }
            value = hours > 0 ? sum / hours : 0;
        }
        lo = std::min(lo, value);
        hi = std::max(hi, value);
        m.bars.push_back({t[start] - h[start] / 2, t[end - 1] + h[end - 1] / 2, value});
    }
    m.xMin = m.bars.front().from;
    m.xMax = std::max(m.bars.back().to, m.xMin + 1);
    m.xAxis = dateAxis(m.xMin, m.xMax);
    // A range from below zero (discharge) keeps both ends on steps of the same size.
    const double step = niceStep(std::max(hi - lo, 1e-3) * 1.05, 5);
    m.yMin = lo < 0 ? -std::ceil(-lo * 1.05 / step - 1e-9) * step : 0;
    m.yMax = std::max(std::ceil(hi * 1.05 / step - 1e-9) * step, m.yMin < 0 ? 0.0 : step);
    m.yAxis = labelsBetween(m.yMin, m.yMax, step, 1);
    return m;
}

}  // namespace skyloom::display

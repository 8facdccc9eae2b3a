#include "display/HeightGraphModel.h"

#include <algorithm>
#include <cmath>

#include "core/Constants.h"
#include "core/Dates.h"
#include "core/Formats.h"
#include "display/PowerGraphModel.h"
#include "sounding/HeightInterpolation.h"

namespace skyloom::display {

namespace {

constexpr std::string_view kLossesTail =
    "Losses due to a capture devices minmum operating wind speed, temp, pressure and its non-cubic power scaling "
    "curve are NOT accounted for. ";

// Whole numbers without decimals, others with one: axis labels read "10" and "5.1".
std::string axisNumber(double v) {
    return std::fabs(v - std::round(v)) < 0.05 ? core::formatNumber(v, "0") : core::formatNumber(v, "0.0");
}

std::vector<AxisLabel> evenAxis(double max, int steps, double factor) {
    std::vector<AxisLabel> out;
    for (int k = 0; k <= steps; ++k) {
        double at = k * max / steps;
        out.push_back({at, axisNumber(at * factor)});
    }
    return out;
}

std::array<double, sounding::kLevelCount> knotsOf(const std::array<double, sounding::kLevelCount>& tenths) {
    std::array<double, sounding::kLevelCount> out{};
    for (int i = 0; i < sounding::kLevelCount; ++i) out[i] = tenths[i] / 10.0;
    return out;
}

double valueAtFeet(const std::array<double, sounding::kLevelCount>& values, double feet) {
    sounding::Units feetUnits(sounding::UnitMode::Knots);
    return sounding::levelValueAtHeight(std::span<const double, sounding::kLevelCount>(values), feet, feetUnits);
}

}  // namespace

std::vector<double> stackLabels(double anchorY, std::size_t count, double labelHeight, double minY, double maxY) {
    std::vector<double> ys(count);
    for (std::size_t i = 0; i < count; ++i) ys[i] = anchorY - static_cast<double>(i) * labelHeight;
    if (count == 0) return ys;
    // The stack runs downwards from the anchor: its lowest label ends at ys.back() - labelHeight.
    double bottom = ys.back() - labelHeight;
    if (bottom < minY) {
        double shift = minY - bottom;
        for (double& y : ys) y += shift;
    }
    if (ys.front() > maxY) {
        double shift = ys.front() - maxY;
        for (double& y : ys) y -= shift;
    }
    return ys;
}

GraphUnits::GraphUnits(sounding::Units units, std::string speedStatistic)
    : units_(units), word_(speedStatistic == "Mean" ? "Mean" : "Average") {}

std::vector<AxisLabel> GraphUnits::speedAxis() const { return evenAxis(kGraphMaxSpeed, 7, units_.speedFactor()); }
std::vector<AxisLabel> GraphUnits::heightAxis() const {
    std::vector<AxisLabel> out;
    for (int k = 0; k <= 10; ++k) {
        double at = k * kGraphMaxHeight / 10;
        out.push_back({at, heightText(at)});
    }
    return out;
}
std::string GraphUnits::graph1Title() const { return "Graph 1: " + std::string(" ") + speedAxisCaption(); }
std::string GraphUnits::speedAxisCaption() const { return std::string(units_.speedAxisCaption()); }
std::string GraphUnits::heightAxisCaption() const { return std::string(units_.heightAxisCaption()); }
std::string GraphUnits::powerFactorCaption() const { return std::string(units_.powerFactorCaption()); }
double GraphUnits::referenceHeightFeet() const { return units_.metric() ? 75.0 * sounding::kFeetPerMetre : 250.0; }
std::string GraphUnits::referenceHeightText() const { return units_.metric() ? "75 meters" : "250 feet"; }
std::string GraphUnits::heightText(double feet) const { return core::formatNumber(units_.lengthFromFeet(feet), "#0"); }
std::string GraphUnits::speedText(double knots) const {
    return core::formatNumber(knots * units_.speedFactor(), "0.0");
}

Graph1Model buildGraph1(const GraphUnits& u, const Graph1Inputs& in) {
    Graph1Model g;
    const sounding::Units& units = u.units();
    g.title = u.graph1Title();
    g.speedAxis = u.speedAxis();
    g.heightAxis = u.heightAxis();
    g.speedCaption = u.speedAxisCaption();
    g.heightCaption = u.heightAxisCaption();
    g.powerFactorCaption = u.powerFactorCaption();
    const std::string& w = u.word();
    g.speedTip = " The " + w + " wind speed. ";
    g.groundSpeedTip = " The " + w + " Ground Wind Speed. " + std::string(kLossesTail);
    g.powerTip = " Power available, at these heights, with respect to the power available, at these heights, at the "
                 "Reference Site. " +
                 std::string(kLossesTail);
    g.lineTip = " The Dark Blue line represents the " + w + " wind speed at each altitude.";
    g.bandLabel = " Band Speed";
    g.bandShareText = " The ratio of the number of data points in this height band with respect to the total number of "
                      "data points analysed for this time period. ";
    g.hubHeightLabel = "Hub Height (" + std::string(units.lengthUnit()) + "):" + u.heightText(in.hubHeightFeet);
    g.heightOfInterestFeet = std::clamp(in.hubHeightFeet, 0.0, kGraphMaxHeight);

    const std::string unit(units.lengthUnit());
    const std::string ending = in.comparedWithReference ? " at the Reference Site. " + std::string(kLossesTail)
                                                        : ". " + std::string(kLossesTail);
    for (int level = 1; level < sounding::kLevelCount; ++level) {
        double feet = level * sounding::kLevelStepFeet;
        g.powerTexts.push_back(" Power available at " + u.heightText(feet) + " " + unit +
                               " with respect to the power available at " + u.referenceHeightText() + ending);
        g.bandTexts.push_back(" The " + w + " wind speed at " + u.heightText(feet) + " " + unit +
                              ". This is an average of all the " + w + " wind speeds between " +
                              u.heightText(feet - sounding::kLevelStepFeet / 2.0) + " and " +
                              u.heightText(std::min(feet + sounding::kLevelStepFeet / 2.0, kGraphMaxHeight)) + " " +
                              unit);
    }

    // The station's ground and its share of windy ground readings; before any site
    // is analysed there is no ground to speak of.
    if (in.stats) {
        const std::string elevation =
            units.metric() ? core::formatNumber(in.stationElevationMetres, "#0") + " meters"
                           : core::formatNumber(in.stationElevationMetres * sounding::kFeetPerMetre, "#0") + " feet";
        const auto& ground = in.stats->histogram[0];
        double all = 0, windy = 0;
        for (int b = 0; b < sounding::kHistogramBins; ++b) {
            all += ground[b];
            if (b > 0) windy += ground[b];
        }
        const double groundShare = all > 0 ? windy / all : 0;
        g.groundLine = "Ground level is " + elevation + " above sea level." + "  Ground winds account for " +
                       core::formatNumber(groundShare, "#0%") + " of the data points.";
    }

    // Power-factor axis: 0 to the next whole number above the largest factor (at least 2).
    if (!in.stats || in.stats->soundingCount <= 0) {
        g.powerFactorAxis = evenAxis(g.powerFactorMax, 4, 1);
        return g;
    }
    g.empty = false;
    const auto& s = *in.stats;
    auto speeds = knotsOf(u.showsMedian() ? s.median : s.averageSpeed);
    for (int level = 0; level < sounding::kLevelCount; ++level)
        g.profile.push_back({speeds[level], double(level * sounding::kLevelStepFeet)});

    double reference = valueAtFeet(speeds, u.referenceHeightFeet());
    double largest = 0;
    for (int level = 0; level < sounding::kLevelCount; ++level) {
        double f = reference > 0 ? std::pow(speeds[level] / reference, 3) : 0;
        largest = std::max(largest, f);
        g.powerFactor.push_back({f, double(level * sounding::kLevelStepFeet)});
    }
    // Whole-number steps: up to 8 of one, beyond that steps of a multiple of five.
    g.powerFactorMax = std::max(2.0, std::ceil(largest));
    int steps = static_cast<int>(g.powerFactorMax);
    if (steps > 8) {
        double step = std::ceil(g.powerFactorMax / 5.0 / 5.0) * 5.0;
        g.powerFactorMax = std::ceil(g.powerFactorMax / step) * step;
        steps = static_cast<int>(g.powerFactorMax / step);
    }
    g.powerFactorAxis = evenAxis(g.powerFactorMax, steps, 1);

    double peak = 0;
    for (int level = 0; level < sounding::kLevelCount; ++level) peak = std::max(peak, double(s.histogramPeak[level]));
    for (int level = 0; level < sounding::kLevelCount; ++level) {
        DistributionBand band;
        band.level = level;
        band.heightFeet = level * sounding::kLevelStepFeet;
        for (int b = 0; b < sounding::kHistogramBins; ++b)
            band.share[b] = peak > 0 ? std::min(1.0, s.histogram[level][b] / peak) : 0;
        g.bands.push_back(band);
    }

    std::vector<std::string> texts;
    texts.push_back(u.speedText(valueAtFeet(speeds, g.heightOfInterestFeet)) + " " + std::string(units.speedUnit()));
    // The kW shows "0" from 100 kW up and "0.00" below; the idle share "0".
    if (in.kWAtHeight)
        texts.push_back(core::formatNumber(*in.kWAtHeight, *in.kWAtHeight >= 100 ? "0" : "0.00") + " kW ");
    if (in.idlePercent) texts.push_back(core::formatNumber(*in.idlePercent, "0") + "% idle ");
    // The first label sits just above the line, the others below it.
    const double line = in.labelHeightFeet;
    auto ys = stackLabels(g.heightOfInterestFeet + line * 1.1, texts.size(), line, 0.0, kGraphMaxHeight);
    for (std::size_t i = 0; i < texts.size(); ++i) g.heightLabels.push_back({texts[i], ys[i]});
    return g;
}

Graph2Mode nextGraph2Mode(Graph2Mode m) {
    return static_cast<Graph2Mode>((static_cast<int>(m) + 1) % 3);
}

Graph2Model buildGraph2(const GraphUnits& u, Graph2Mode mode, const Graph2Inputs& in) {
    Graph2Model g;
    g.mode = mode;
    g.heightAxis = u.heightAxis();
    g.heightCaption = u.heightAxisCaption();
    const std::string_view cycle =
        " Click here to cycle through viewing the sounding speed, temperature and pressures. ";
    switch (mode) {
    case Graph2Mode::Speed:
        g.title = "Graph 2: Sounding Wind Speed (" + std::string(u.units().speedUnit()) + ")";
        g.valueMax = kGraphMaxSpeed;
        g.valueAxis = u.speedAxis();
        g.explanation = " The Magenta line represents wind speed at each altitude on this date." + std::string(cycle);
        break;
    case Graph2Mode::Temperature:
        g.title = "Graph 2: Temperature (degABSOLUTE)";
        g.valueMax = 350;
        g.valueAxis = evenAxis(350, 7, 1);
        g.explanation = " The Magenta line represents temperture at each altitude on this date." + std::string(cycle) +
                        " The heavy Black Line represents the temperature curve of the 'Standard Atmosphere' and is "
                        "presented simply as a reference line. ";
        g.standardLine = {{core::kStandardTemperature[0] + 273.0, 0},
                          {core::kStandardTemperature[10] + 273.0, kGraphMaxHeight}};
        break;
    case Graph2Mode::Pressure:
        g.title = "Graph 2: Pressure (millibars)";
        g.valueMax = 1400;
        g.valueAxis = evenAxis(1400, 7, 1);
        g.explanation = " The Magenta line represents pressure at each altitude on this date." + std::string(cycle) +
                        " The heavy Black Line represents the pressure curve of the 'Standard Atmosphere' and is "
                        "presented simply as a reference line. ";
        g.standardLine = {{core::kStandardPressure[0], 0}, {core::kStandardPressure[10], kGraphMaxHeight}};
        break;
    }
    if (in.stats) {
        if (mode == Graph2Mode::Temperature && in.stats->badTemperaturePercent > 0) {
            g.warningTitle = "Ignored or missing Temperature data";
            g.warningText = core::formatNumber(in.stats->badTemperaturePercent, "0.0") +
                            "% of the time there was ignored or missing temperature data.";
        } else if (mode == Graph2Mode::Pressure && in.stats->badPressurePercent > 0) {
            g.warningTitle = "Ignored or missing Pressure data";
            g.warningText = core::formatNumber(in.stats->badPressurePercent, "0.0") +
                            "% of the time there was ignored or missing pressure data.";
        }
    }
    if (!in.set || in.sounding < 1 || in.sounding > in.set->count()) return g;
    g.empty = false;
    const sounding::SoundingSet& set = *in.set;
    const int n = in.sounding;
    core::HoursSince1930 hrs = set.hrs(n);
    core::Days day = core::dateOfHours(hrs);
    g.caption = "The above is the Radiosonde Sounding for " +
                core::formatDateTime(day, static_cast<int>(hrs % 24), 0, 0, "mmm d, yyyy hh:mm");
    int top = mode == Graph2Mode::Speed ? set.topWindLevel[n] : sounding::kLevelCount - 1;
    for (int level = 0; level <= top; ++level) {
        double feet = level * sounding::kLevelStepFeet;
        double v = 0;
        if (mode == Graph2Mode::Speed) v = set.speed(n, level) / 10.0;
        else if (mode == Graph2Mode::Temperature) v = set.temperature(n, level) / 100.0 + 273.0;
        else v = set.pressure(n, level) / 100.0;
        g.line.push_back({v, feet});
    }
    // The compass shows the wind at the level nearest the height of interest, or
    // the highest level with wind when that one has none.
    int level = std::clamp(static_cast<int>(std::lround(in.hubHeightFeet / sounding::kLevelStepFeet)), 0,
                           sounding::kLevelCount - 1);
    if (set.speed(n, level) == 0 || set.direction(n, level) == 0) level = set.topWindLevel[n];
    if (set.speed(n, level) != 0 || set.direction(n, level) != 0) g.directionDeg = set.direction(n, level);
    return g;
}

double polarX(double angleDeg, double radius) { return radius * std::sin(angleDeg * core::kPi / 180.0); }
double polarY(double angleDeg, double radius) { return radius * std::cos(angleDeg * core::kPi / 180.0); }

double yearDifferenceAtHeight(const sounding::YearRow& row, double feet) {
    if (!row.usable()) return 0;
    double v = valueAtFeet(row.capacityFactor, feet);
    return row.shortOfData() ? -v : v;
}

YearGraphModel buildYearGraph(const sounding::LevelStatistics& stats, double hubHeightFeet) {
    YearGraphModel g;
    const auto& rows = stats.yearTable.rows;
    const std::size_t count = std::min<std::size_t>(rows.size(), 15);
    double largest = 0, sum = 0;
    int full = 0;
    for (std::size_t i = 0; i < count; ++i) {
        YearGraphModel::Year y;
        y.year = rows[i].year;
        y.value = yearDifferenceAtHeight(rows[i], hubHeightFeet);
        y.usable = rows[i].usable();
        y.red = rows[i].shortOfData();
        largest = std::max(largest, std::fabs(y.value));
        if (y.usable && !y.red) {
            sum += std::fabs(y.value);
            ++full;
        }
        g.years.push_back(y);
    }
    g.scale = largest > 0 ? 1.05 * largest : 1;
    // Labels at nice steps that stay inside the scale, so no dot stands above the axis.
    const double step = niceCeiling(g.scale / 4);
    for (int k = 0; k * step <= g.scale + 1e-9; ++k)
        g.valueAxis.push_back({k * step, core::formatNumber(k * step, step < 1 ? "0.0" : "0")});
    // Only full years are compared: a year with a few days of data (red) would
    // swing the average by its chance weather, so it is drawn but not counted.
    g.anyUsable = full > 0;
    if (!g.anyUsable) {
        g.caption = "No years with at enough hrs of data";
        return g;
    }
    double average = sum / full, spread = 0;
    for (auto& y : g.years) {
        if (!y.usable) continue;
        y.differencePercent = average > 0 ? (std::fabs(y.value) - average) / average * 100.0 : 0;
        if (!y.red) spread += std::fabs(y.differencePercent);
    }
    g.caption = "Average % Different from Average: " + core::formatNumber(spread / full, "0.0") + "%";
    return g;
}

}  // namespace skyloom::display

#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Dates.h"
#include "display/HeightGraphModel.h"
#include "power/EnergyBalance.h"
#include "power/GeneratorRecord.h"
#include "sounding/Units.h"

namespace skyloom::power {
class PowerPageEnergy;
}

namespace skyloom::display {

// The graphs of the Power Page as numbers and texts; the windows only draw them.
// Speeds stay in knots and times in HoursSince1930 so that a change of unit mode
// relabels the axes without moving the data.

struct PlotPoint {
    double x = 0;
    double y = 0;
};

// The Energy graphs group at least this many soundings per bar.
inline constexpr int kMinPowerGraphGroup = 2;
// The grouping the Energy graphs start with.
inline constexpr int kDefaultPowerGraphGroup = 4;
int clampPowerGraphGroup(int group);

// One generator's curve: kW against knots from cut-in (0 kW) through the used
// points, held at the top point's kW up to cut-out.
struct CurveLine {
    std::string name;
    std::vector<PlotPoint> points;       // x knots, y kW
    std::optional<double> cutOutKnots;   // none when the generator never cuts out
};
// The curve of a generator ending at xEndKnots when it has no cut-out.
CurveLine curveLineOf(const power::GeneratorRecord& g, double xEndKnots);

// What the power-curve graph adds to the curve itself.
struct PowerCurveExtras {
    // A generator chosen with Shift, drawn in black over the current one.
    std::optional<power::GeneratorRecord> comparison;
    bool powerBand = false;            // black: share of the energy produced per speed bin
    bool energyDistribution = false;   // red: share of the time per speed bin
};

// The soundings of the last run at the height of interest, one entry per
// sounding in time order.
struct SoundingSeries {
    std::span<const double> speedKnots;
    std::span<const double> powerKw;   // corrected generator power; the cut-out marker counts 0
    std::span<const double> hours;     // hours each sounding represents
};

// Share of a total per speed bin of binKnots; bin b is centred on (b + 0.5) x binKnots.
// A sounding's weight is shared linearly between the two bins whose centres
// enclose its speed (all of it in the first bin below the first centre), so
// speeds recorded in steps of another unit do not leave every other bin empty.
// Speeds beyond the last centre count in the totals only.
struct SpeedBins {
    double binKnots = 2;
    std::vector<double> timeShare;     // hours in the bin / all hours
    std::vector<double> energyShare;   // kWh produced in the bin / all kWh
};
inline constexpr double kSpeedBinKnots = 2;
SpeedBins speedBins(const SoundingSeries& s, int binCount, double binKnots = kSpeedBinKnots);

struct PowerCurveModel {
    std::string title;                 // "Power Curve of " + name
    std::string xCaption, yCaption;    // "Wind Speed (mph)", "Power (kW)"
    std::vector<AxisLabel> xAxis;      // at: knots
    std::vector<AxisLabel> yAxis;      // at: kW
    double xMaxKnots = 1;
    double yMaxKw = 1;
    CurveLine curve;
    std::string cutOutLabel;           // "Cut-out 56 mph"; empty without cut-out
    std::optional<CurveLine> comparison;
    // Both distributions are scaled so that their peak stands at kDistributionPeak of the kW axis.
    std::vector<PlotPoint> powerBand;       // x knots (bin centre), y kW
    std::vector<PlotPoint> distribution;
    std::vector<std::string> legend;   // one line per extra curve shown, "Black: ..." or "Red: ..." 
    std::string tip;
    bool empty = true;                 // no generator
};
inline constexpr double kDistributionPeak = 0.9;

// series may be empty (no site analysed yet): the distributions are then left out.
PowerCurveModel buildPowerCurve(const sounding::Units& units, const power::GeneratorRecord* g,
                                const PowerCurveExtras& extras, const SoundingSeries& series);

// The generator's output over the period: each point the hour-weighted mean kW of
// a run of consecutive soundings, at most maxPoints points.
struct OutputGraphModel {
    std::string title, xCaption, yCaption, tip, averageLabel;
    std::vector<AxisLabel> xAxis;      // at: HoursSince1930
    std::vector<AxisLabel> yAxis;      // at: kW
    double xMin = 0, xMax = 1;
    double yMaxKw = 1;
    double averageKw = 0;
    int soundingsPerPoint = 1;
    std::vector<PlotPoint> points;     // x HoursSince1930 of the run's middle, y kW
    bool empty = true;
};
OutputGraphModel buildOutputGraph(const sounding::Units& units, double heightFeet, const std::string& generatorName,
                                  std::span<const core::HoursSince1930> times, const SoundingSeries& series,
                                  int maxPoints = 300);

// Date labels between two time stamps: years when the span is long, else months.
std::vector<AxisLabel> dateAxis(double fromHours, double toHours);

// The results of one balance run that the two energy graphs and their hover text read.
struct EnergySnapshot {
    power::BalanceResult balance;
    std::vector<double> hours;
    std::vector<core::HoursSince1930> times;
    double aveUsed = 0;
};
std::shared_ptr<const EnergySnapshot> snapshotOf(const power::PowerPageEnergy& e);

enum class EnergyGraphKind { Stored, Purchase };

// The stored-energy and the purchase graph. Each bar stands for `group`
// consecutive soundings. In the totals mode a bar shows the MWh as of the bar's
// last sounding (stored, or bought since the start of the period). The
// alternative mode shows rates instead: the stored graph the hour-weighted mean
// battery charge (up) or discharge (down) in kW over the bar's soundings, the
// purchase graph the mean kW bought over them; so one sees when the store works
// and when power is bought, rather than where the totals stand.
struct EnergyBar {
    double from = 0, to = 0;           // HoursSince1930: the hours the soundings stand for
    double value = 0;
};
struct EnergyGraphModel {
    EnergyGraphKind kind = EnergyGraphKind::Stored;
    std::string title, tip, yCaption, xCaption;
    std::string modeCaption;           // what a bar stands for
    std::string keysCaption;           // the keys that change it
    std::vector<AxisLabel> xAxis;      // at: HoursSince1930
    std::vector<AxisLabel> yAxis;
    double xMin = 0, xMax = 1;
    double yMin = 0, yMax = 1;
    int group = kDefaultPowerGraphGroup;
    bool rates = false;
    std::vector<EnergyBar> bars;
    std::shared_ptr<const EnergySnapshot> source;
    bool empty = true;

    // Number (0-based) of the sounding nearest the time x; none without soundings.
    std::optional<std::size_t> soundingAt(double x) const;
    // The energy graphs' hover text for the sounding under x ("" without soundings).
    std::string hoverTextAt(double x) const;
};
EnergyGraphModel buildEnergyGraph(EnergyGraphKind kind, std::shared_ptr<const EnergySnapshot> source, int group,
                                  bool rates);

// Puts the generator's power curve over the Main Page wind graph: the kW axis
// runs up the height axis from 0 at the ground to a nice value above the top
// output at 5000 feet; the label names the generator and that top.
void addPowerCurve(Graph1Model& graph, const power::GeneratorRecord& g);

// "nice" axis ends: the smallest of 1, 2, 2.5, 5 times a power of ten that is
// at least v (1 for v of 0 or less).
double niceCeiling(double v);
// Labels 0..max in steps of a nice value giving about `steps` intervals, in the
// display unit; at = display value / factor.
std::vector<AxisLabel> valueAxis(double maxDisplay, double factor, int steps = 5);

}  // namespace skyloom::display

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sounding/LevelStatistics.h"
#include "sounding/SoundingSet.h"
#include "sounding/Units.h"

namespace skyloom::display {

// Everything the height graphs show, as numbers and texts; the windows only draw it.
// Data positions stay in stored units (speed in knots across, height in feet up)
// so that a change of unit mode relabels the axes without moving the data.

inline constexpr double kGraphMaxSpeed = 70;     // knots across Graph 1 and the Graph 2 speed mode
inline constexpr double kGraphMaxHeight = 5000;  // feet up every height graph

// One axis label: where it stands on the axis (in the axis's data units) and its text.
struct AxisLabel {
    double at = 0;
    std::string text;
};

struct GraphPoint {
    double x = 0;  // along the value axis, in the axis's data units
    double y = 0;  // feet above ground
};

// A level's speed distribution: bar b stands at b knots with a height of
// share × half the level spacing on each side of the level.
struct DistributionBand {
    int level = 0;
    double heightFeet = 0;
    std::array<double, sounding::kHistogramBins> share{};  // count / the largest peak of all levels, 0..1+
};

// A label beside the height-of-interest line; y is its top in feet after stacking.
struct StackedLabel {
    std::string text;
    double y = 0;
};

// Places labels of equal height (in feet) around anchorY without overlap: the
// first on the anchor, each next one below the last; the whole stack is moved
// to stay inside minY..maxY.
std::vector<double> stackLabels(double anchorY, std::size_t count, double labelHeight, double minY, double maxY);

// The unit mode's words and scales shared by the graphs.
class GraphUnits {
public:
    GraphUnits(sounding::Units units, std::string speedStatistic);
    const sounding::Units& units() const { return units_; }
    // "Average" or "Mean": the word of the blue line and its texts.
    const std::string& word() const { return word_; }
    bool showsMedian() const { return word_ == "Mean"; }

    // Labels k = 0..7 at k × 10 knots, in display units.
    std::vector<AxisLabel> speedAxis() const;
    // Labels L = 0..10 at L × 500 feet, in display length.
    std::vector<AxisLabel> heightAxis() const;
    std::string graph1Title() const;        // "Graph 1: " + " Wind Speed (knots)"
    std::string speedAxisCaption() const;   // "Wind Speed (knots)"
    std::string heightAxisCaption() const;  // "Height Above Ground (feet)"
    std::string powerFactorCaption() const; // "Power Factor vs 250 feet"
    // 250 feet, or 75 metres in the metric mode, in feet.
    double referenceHeightFeet() const;
    std::string referenceHeightText() const;  // "250 feet" / "75 meters"
    // A height in feet as the display shows it: whole display units.
    std::string heightText(double feet) const;
    std::string speedText(double knots) const;  // one decimal in display units

private:
    sounding::Units units_;
    std::string word_;
};

// Graph 1: the wind profile of the whole period.
struct Graph1Model {
    std::string title;
    std::vector<AxisLabel> speedAxis, heightAxis;
    std::string speedCaption, heightCaption, powerFactorCaption;
    std::vector<GraphPoint> profile;           // blue line, knots
    std::vector<GraphPoint> powerFactor;       // x = factor (1 at the reference height)
    double powerFactorMax = 2;                 // right end of the power-factor axis
    std::vector<AxisLabel> powerFactorAxis;
    std::vector<DistributionBand> bands;
    std::string hubHeightLabel;                // "Hub Height (feet):" + height
    std::string groundLine;                    // "Ground level is ..." + ground-wind share
    // Tooltips and explanation texts.
    std::string speedTip, groundSpeedTip, powerTip, lineTip, bandLabel;
    std::vector<std::string> powerTexts;       // one per level 1..10: "Power available at ..."
    std::vector<std::string> bandTexts;        // one per level 1..10: "The <word> wind speed at ..."
    std::string bandShareText;
    // The height-of-interest line and its labels (speed, kW, idle), stacked.
    double heightOfInterestFeet = 0;
    std::vector<StackedLabel> heightLabels;
    // The current generator's power curve over the wind graph (empty when hidden):
    // x knots, y its kW scaled so that the top of the height axis is powerCurveTopKw.
    std::vector<GraphPoint> powerCurve;
    std::optional<double> powerCurveCutOutKnots;
    std::string powerCurveLabel;
    bool empty = true;
};

struct Graph1Inputs {
    const sounding::LevelStatistics* stats = nullptr;
    double stationElevationMetres = 0;
    double hubHeightFeet = 0;
    bool comparedWithReference = false;
    std::optional<double> kWAtHeight;       // from the power model, when run
    std::optional<double> idlePercent;
    // The height of one text line on the drawn graph, in feet of its height scale.
    double labelHeightFeet = 220;
};

Graph1Model buildGraph1(const GraphUnits& units, const Graph1Inputs& in);

enum class Graph2Mode { Speed = 0, Temperature = 1, Pressure = 2 };
Graph2Mode nextGraph2Mode(Graph2Mode m);

// Graph 2: one sounding.
struct Graph2Model {
    Graph2Mode mode = Graph2Mode::Speed;
    std::string title;
    std::vector<AxisLabel> valueAxis, heightAxis;
    double valueMax = kGraphMaxSpeed;
    std::string heightCaption;
    std::vector<GraphPoint> line;          // magenta
    std::vector<GraphPoint> standardLine;  // heavy black, temperature and pressure modes
    std::string caption;                   // "The above is the Radiosonde Sounding for ..."
    std::string explanation;
    std::string warningTitle, warningText; // empty when nothing was ignored
    std::optional<double> directionDeg;    // the compass line
    bool empty = true;
};

struct Graph2Inputs {
    const sounding::SoundingSet* set = nullptr;
    int sounding = 0;  // 1..count; 0 = none
    const sounding::LevelStatistics* stats = nullptr;
    double hubHeightFeet = 0;
};

Graph2Model buildGraph2(const GraphUnits& units, Graph2Mode mode, const Graph2Inputs& in);

// The compass of the wind direction: PolarX = r × sin(angle), PolarY = r × cos(angle), degrees.
double polarX(double angleDeg, double radius);
double polarY(double angleDeg, double radius);

// The year graph: each calendar year's capacity factor at the hub height.
struct YearGraphModel {
    struct Year {
        int year = 0;
        double value = 0;       // negative for a year short of data, 0 for an unusable year
        bool red = false;       // short of data
        bool usable = false;
        double differencePercent = 0;
    };
    std::vector<Year> years;    // index 0..14
    double scale = 1;           // 1.05 × the largest absolute value
    // The capacity-factor axis up the left side, 0 to scale, in percent.
    std::vector<AxisLabel> valueAxis;
    std::string valueCaption = "CF %";
    std::string caption;
    bool anyUsable = false;
};

// The year's capacity factor at a height in feet, negated when the year is short
// of data, 0 when it is unusable.
double yearDifferenceAtHeight(const sounding::YearRow& row, double feet);
YearGraphModel buildYearGraph(const sounding::LevelStatistics& stats, double hubHeightFeet);

}  // namespace skyloom::display

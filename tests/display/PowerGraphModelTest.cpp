#include <gtest/gtest.h>

#include <vector>

#include "core/Dates.h"
#include "display/PowerGraphModel.h"
#include "power/EnergyBalance.h"
#include "power/PowerCurve.h"

using namespace skyloom;
using display::PlotPoint;

namespace {

const sounding::Units kKnots(sounding::UnitMode::Knots);
const sounding::Units kMph(sounding::UnitMode::Mph);
const sounding::Units kSI(sounding::UnitMode::SI);

// Cut-in 6 knots, four points up to 15 kW at 14 knots, cut-out at 40 knots.
power::GeneratorRecord smallGenerator() {
    power::GeneratorRecord g;
    g.name = "Breeze 15";
    g.cutInSpeed = 6;
    g.points[0] = {8, 2};
    g.points[1] = {10, 5};
    g.points[2] = {12, 10};
    g.points[3] = {14, 15};
    g.cutOut = 40;
    g.recomputeMaxKW();
    return g;
}

std::vector<std::string> texts(const std::vector<display::AxisLabel>& labels) {
    std::vector<std::string> out;
    for (const auto& l : labels) out.push_back(l.text);
    return out;
}

void expectPoint(const PlotPoint& p, double x, double y) {
    EXPECT_DOUBLE_EQ(p.x, x);
    EXPECT_DOUBLE_EQ(p.y, y);
}

// Twelve soundings 12 hours apart from 1 March 1990 with a run of the balance:
// wind makes 0, 10 or 40 kW against a use of 25 kW with a 1 MWh store.
struct BalancedPeriod {
    std::vector<core::HoursSince1930> times;
    std::vector<double> hours, power;
    power::BalanceResult result;
    BalancedPeriod() {
        const core::HoursSince1930 t0 = core::hoursSince1930(core::makeDate(1990, 3, 1), 0);
        const double kw[] = {40, 40, 0, 10, 0, 40, 40, 40, 0, 0, 0, 10};
        for (int i = 0; i < 12; ++i) {
            times.push_back(t0 + 12 * i);
            hours.push_back(12);
            power.push_back(kw[i]);
        }
        power::BalanceInputs in;
        in.aveUsed = 25;
        in.bankSize = 1;
        in.storeEff = 80;
        in.maxToGrid = 100;
        in.stateOfCharge = 50;
        result = power::runEnergyBalance(in, power, hours);
    }
    std::shared_ptr<const display::EnergySnapshot> snapshot(double aveUsed = 25) const {
        auto s = std::make_shared<display::EnergySnapshot>();
        s->balance = result;
        s->hours = hours;
        s->times = times;
        s->aveUsed = aveUsed;
        return s;
    }
};

}  // namespace

TEST(PowerCurveGraph, curveStartsAtCutInWithNothingAndDropsAtCutOut) {
    const auto g = smallGenerator();
    const auto m = display::buildPowerCurve(kKnots, &g, {}, {});
    ASSERT_FALSE(m.empty);
    ASSERT_EQ(m.curve.points.size(), 7u);
    expectPoint(m.curve.points[0], 6, 0);
    expectPoint(m.curve.points[1], 8, 2);
    expectPoint(m.curve.points[2], 10, 5);
    expectPoint(m.curve.points[3], 12, 10);
    expectPoint(m.curve.points[4], 14, 15);
    // The top output is held up to the cut-out, where it falls to nothing.
    expectPoint(m.curve.points[5], 40, 15);
    expectPoint(m.curve.points[6], 40, 0);
    ASSERT_TRUE(m.curve.cutOutKnots.has_value());
    EXPECT_DOUBLE_EQ(*m.curve.cutOutKnots, 40);
    EXPECT_EQ(m.cutOutLabel, "Cut-out 40.0 knots");
    EXPECT_EQ(m.title, "Power Curve of Breeze 15");
    EXPECT_GE(m.xMaxKnots, 40 * 1.08);
}

TEST(PowerCurveGraph, withoutCutOutTheTopOutputRunsToTheAxisEnd) {
    auto g = smallGenerator();
    g.cutOut = 0;
    const auto m = display::buildPowerCurve(kKnots, &g, {}, {});
    EXPECT_FALSE(m.curve.cutOutKnots.has_value());
    EXPECT_TRUE(m.cutOutLabel.empty());
    expectPoint(m.curve.points.back(), m.xMaxKnots, 15);

    // A cut-out at the last point: no held stretch, but still marked.
    g.cutOut = 14;
    const auto at = display::buildPowerCurve(kKnots, &g, {}, {});
    expectPoint(at.curve.points.back(), 14, 15);
    EXPECT_EQ(at.cutOutLabel, "Cut-out 14.0 knots");
}

TEST(PowerCurveGraph, axisLabelsInEveryUnitMode) {
    const auto g = smallGenerator();
    const auto knots = display::buildPowerCurve(kKnots, &g, {}, {});
    EXPECT_EQ(knots.xCaption, "Wind Speed (knots)");
    EXPECT_EQ(knots.yCaption, "Power (kW)");
    EXPECT_EQ(texts(knots.xAxis), (std::vector<std::string>{"0", "10", "20", "30", "40", "50"}));
    EXPECT_EQ(texts(knots.yAxis), (std::vector<std::string>{"0", "5", "10", "15", "20"}));
    EXPECT_DOUBLE_EQ(knots.yMaxKw, 20);

    const auto mph = display::buildPowerCurve(kMph, &g, {}, {});
    EXPECT_EQ(mph.xCaption, "Wind Speed (mph)");
    EXPECT_EQ(texts(mph.xAxis), (std::vector<std::string>{"0", "10", "20", "30", "40", "50"}));
    // Labels stand at round display values: 10 mph is 8.8 knots.
    EXPECT_NEAR(mph.xAxis[1].at, 10 * 5280.0 / 6000.0, 1e-9);
    EXPECT_EQ(mph.cutOutLabel, "Cut-out 45.5 mph");

    const auto si = display::buildPowerCurve(kSI, &g, {}, {});
    EXPECT_EQ(si.xCaption, "Wind Speed (m/sec)");
    EXPECT_EQ(texts(si.xAxis), (std::vector<std::string>{"0", "5", "10", "15", "20", "25"}));
    EXPECT_EQ(si.cutOutLabel, "Cut-out 20.6 m/sec");
    // The same curve in every mode: only the labels move.
    EXPECT_DOUBLE_EQ(si.curve.points[1].x, knots.curve.points[1].x);
}

TEST(PowerCurveGraph, aComparisonCurveWidensTheScalesAndIsNamed) {
    const auto g = smallGenerator();
    power::GeneratorRecord big;
    big.name = "Gale 60";
    big.cutInSpeed = 7;
    big.points[0] = {15, 30};
    big.points[1] = {25, 60};
    big.cutOut = 55;
    display::PowerCurveExtras extras;
    extras.comparison = big;
    const auto m = display::buildPowerCurve(kKnots, &g, extras, {});
    ASSERT_TRUE(m.comparison.has_value());
    expectPoint(m.comparison->points.front(), 7, 0);
    expectPoint(m.comparison->points[2], 25, 60);
    EXPECT_GE(m.yMaxKw, 60);
    EXPECT_GE(m.xMaxKnots, 55);
    ASSERT_EQ(m.legend.size(), 1u);
    EXPECT_EQ(m.legend[0], "Black: Gale 60, chosen for comparison");
}

TEST(PowerCurveGraph, speedBinsShareEachSoundingBetweenTheNearestBinCentres) {
    // Bins of 2 knots centred on 1, 3, 5, ... knots.
    const std::vector<double> speeds{7, 8, 0.4, 11.5, 80};
    const std::vector<double> power{1, 3, 0, 2, 5};
    const std::vector<double> hours{10, 10, 10, 10, 10};
    const auto bins = display::speedBins({speeds, power, hours}, 10, 2);
    EXPECT_DOUBLE_EQ(bins.binKnots, 2);
    // 7 knots sits on centre 3; 8 knots halfway between centres 3 and 4; 0.4 below the
    // first centre; 11.5 knots a quarter of the way from centre 5 to 6; 80 off the graph.
    EXPECT_DOUBLE_EQ(bins.timeShare[3], (10 + 5) / 50.0);
    EXPECT_DOUBLE_EQ(bins.timeShare[4], 5 / 50.0);
    EXPECT_DOUBLE_EQ(bins.timeShare[0], 10 / 50.0);
    EXPECT_DOUBLE_EQ(bins.timeShare[5], 7.5 / 50.0);
    EXPECT_DOUBLE_EQ(bins.timeShare[6], 2.5 / 50.0);
    EXPECT_DOUBLE_EQ(bins.energyShare[3], (10 + 15) / 110.0);
    EXPECT_DOUBLE_EQ(bins.energyShare[0], 0);
    EXPECT_DOUBLE_EQ(bins.energyShare[6], 5 / 110.0);
    double shown = 0;
    for (double x : bins.timeShare) shown += x;
    EXPECT_DOUBLE_EQ(shown, 40 / 50.0);
}

TEST(PowerCurveGraph, bandAndDistributionAreScaledOntoTheKwAxis) {
    const auto g = smallGenerator();
    const std::vector<double> speeds{7, 7, 13, 31};
    const std::vector<double> power{1, 1, 10, power::kCutOutMarker};
    const std::vector<double> hours{12, 12, 12, 12};
    const display::SoundingSeries series{speeds, power, hours};

    display::PowerCurveExtras extras;
    extras.powerBand = true;
    extras.energyDistribution = true;
    const auto m = display::buildPowerCurve(kKnots, &g, extras, series);
    const double peak = display::kDistributionPeak * m.yMaxKw;   // 18 kW on a 20 kW axis
    ASSERT_EQ(m.distribution.size(), 25u);
    expectPoint(m.distribution[3], 7, peak);
    expectPoint(m.distribution[6], 13, peak / 2);
    expectPoint(m.distribution[15], 31, peak / 2);
    expectPoint(m.powerBand[6], 13, peak);
    EXPECT_NEAR(m.powerBand[3].y, peak * 24.0 / 120.0, 1e-12);
    EXPECT_DOUBLE_EQ(m.powerBand[15].y, 0);   // the cut-out marker makes no energy
    ASSERT_EQ(m.legend.size(), 2u);
    EXPECT_EQ(m.legend[0],
              "Black dashed: Power Band Curve, energy made by wind speed (peak 83.3% at 13 knots)");
    EXPECT_EQ(m.legend[1], "Red: Energy Distribution Curve, time at each wind speed (peak 50.0% at 7 knots)");
    // The peak's speed in the display unit: 7 knots are 8 mph.
    const auto mph = display::buildPowerCurve(kMph, &g, extras, series);
    EXPECT_EQ(mph.legend[1], "Red: Energy Distribution Curve, time at each wind speed (peak 50.0% at 8 mph)");

    // Off, or without soundings, neither is drawn.
    EXPECT_TRUE(display::buildPowerCurve(kKnots, &g, {}, series).distribution.empty());
    EXPECT_TRUE(display::buildPowerCurve(kKnots, &g, extras, {}).powerBand.empty());
}

TEST(PowerCurveGraph, withoutAGeneratorTheGraphIsEmptyButLabelled) {
    const auto m = display::buildPowerCurve(kMph, nullptr, {}, {});
    EXPECT_TRUE(m.empty);
    EXPECT_TRUE(m.curve.points.empty());
    EXPECT_EQ(m.xCaption, "Wind Speed (mph)");
    EXPECT_FALSE(m.xAxis.empty());
    EXPECT_FALSE(m.yAxis.empty());
}

TEST(EnergyGraph, groupingNeverGoesBelowTwo) {
    for (int below : {1, 0, -3}) EXPECT_EQ(display::clampPowerGraphGroup(below), 2) << below;
    EXPECT_EQ(display::clampPowerGraphGroup(2), 2);
    EXPECT_EQ(display::clampPowerGraphGroup(7), 7);
    BalancedPeriod p;
    const auto m = display::buildEnergyGraph(display::EnergyGraphKind::Stored, p.snapshot(), 1, false);
    EXPECT_EQ(m.group, 2);
    EXPECT_EQ(m.bars.size(), 6u);
}

TEST(EnergyGraph, eachBarHoldsItsGroupAndShowsTheTotalAtItsLastSounding) {
    BalancedPeriod p;
    const auto& s = p.result.series;
    const auto stored = display::buildEnergyGraph(display::EnergyGraphKind::Stored, p.snapshot(), 4, false);
    ASSERT_EQ(stored.bars.size(), 3u);
    for (std::size_t b = 0; b < 3; ++b) {
        EXPECT_DOUBLE_EQ(stored.bars[b].value, s.storedEnergy[4 * b + 3] / 1000.0) << b;
        EXPECT_DOUBLE_EQ(stored.bars[b].from, p.times[4 * b] - 6.0);
        EXPECT_DOUBLE_EQ(stored.bars[b].to, p.times[4 * b + 3] + 6.0);
    }
    // Five per bar: the last bar holds the two left over.
    const auto bought = display::buildEnergyGraph(display::EnergyGraphKind::Purchase, p.snapshot(), 5, false);
    ASSERT_EQ(bought.bars.size(), 3u);
    EXPECT_DOUBLE_EQ(bought.bars[2].from, p.times[10] - 6.0);
    EXPECT_DOUBLE_EQ(bought.bars[2].value, s.shortfallToDate[11] / 1000.0);
    EXPECT_GT(bought.bars[2].value, 0);
    EXPECT_EQ(bought.yCaption, "Bought to date (MWh)");
    EXPECT_EQ(stored.yCaption, "Energy stored (MWh)");
    EXPECT_GE(bought.yMax, bought.bars[2].value);
    EXPECT_DOUBLE_EQ(bought.yMin, 0);
}

TEST(EnergyGraph, theAlternativeModeShowsMeanRatesOverEachBar) {
    BalancedPeriod p;
    const auto& s = p.result.series;
    const auto stored = display::buildEnergyGraph(display::EnergyGraphKind::Stored, p.snapshot(), 4, true);
    ASSERT_EQ(stored.bars.size(), 3u);
    // Equal hours: the mean of the four battery rates.
    const double first = (s.batteryRate[0] + s.batteryRate[1] + s.batteryRate[2] + s.batteryRate[3]) / 4;
    EXPECT_NEAR(stored.bars[0].value, first, 1e-9);
    EXPECT_EQ(stored.yCaption, "Charge (+) or discharge (-) (kW)");
    // Discharge goes below zero and the axis follows it.
    double lowest = 0;
    for (const auto& b : stored.bars) lowest = std::min(lowest, b.value);
    ASSERT_LT(lowest, 0);
    EXPECT_LE(stored.yMin, lowest);
    EXPECT_EQ(stored.yAxis.front().at, stored.yMin);

    const auto bought = display::buildEnergyGraph(display::EnergyGraphKind::Purchase, p.snapshot(), 4, true);
    const double kwh = s.shortfallToDate[11] - s.shortfallToDate[7];
    EXPECT_NEAR(bought.bars[2].value, kwh / 48.0, 1e-9);
    EXPECT_EQ(bought.yCaption, "Power bought (kW)");
    EXPECT_EQ(bought.modeCaption, "4 soundings per bar, each bar the mean kW over its soundings");
    EXPECT_EQ(bought.keysCaption, "Ctrl+A wider bars, Ctrl+Z narrower, Ctrl+P MWh totals");
    const auto totals = display::buildEnergyGraph(display::EnergyGraphKind::Purchase, p.snapshot(), 3, false);
    EXPECT_EQ(totals.modeCaption, "3 soundings per bar, each bar the MWh as of its last sounding");
    EXPECT_EQ(totals.keysCaption, "Ctrl+A wider bars, Ctrl+Z narrower, Ctrl+P kW rates");
}

TEST(EnergyGraph, hoverGivesTheTextOfTheSoundingUnderThePointer) {
    BalancedPeriod p;
    const auto m = display::buildEnergyGraph(display::EnergyGraphKind::Purchase, p.snapshot(), 4, false);
    for (std::size_t i = 0; i < p.times.size(); ++i) {
        const std::string want = power::energyHoverText(p.result, p.hours, i);
        EXPECT_EQ(m.hoverTextAt(p.times[i]), want) << i;
        EXPECT_EQ(m.hoverTextAt(p.times[i] + 5.9), want) << i;
        EXPECT_EQ(m.hoverTextAt(p.times[i] - 5.9), want) << i;
    }
    // Halfway the later sounding takes over; outside the period the nearest end.
    EXPECT_EQ(m.soundingAt(p.times[2] + 6.0), 3u);
    EXPECT_EQ(m.soundingAt(p.times[0] - 100), 0u);
    EXPECT_EQ(m.soundingAt(p.times[11] + 100), 11u);
    EXPECT_TRUE(m.hoverTextAt(p.times[3]).starts_with("For 12 hrs."));

    const auto none = display::buildEnergyGraph(display::EnergyGraphKind::Stored, nullptr, 4, false);
    EXPECT_TRUE(none.empty);
    EXPECT_FALSE(none.soundingAt(0).has_value());
    EXPECT_EQ(none.hoverTextAt(0), "");
}

TEST(EnergyGraph, titlesAndTipsAreTheProgramsOwn) {
    BalancedPeriod p;
    const auto stored = display::buildEnergyGraph(display::EnergyGraphKind::Stored, p.snapshot(25), 4, false);
    EXPECT_EQ(stored.title, " This graph shows the energy stored at any point in time during the period in order to "
                            "maintain a constant output of 25 kW. ");
    EXPECT_EQ(stored.tip, " This is the Mwhrs the system had stored during the period as of date indicated.");
    const auto bought = display::buildEnergyGraph(display::EnergyGraphKind::Purchase, p.snapshot(7.5), 4, false);
    EXPECT_EQ(bought.title, " This graph shows the energy shortfall, in Mwhrs, that would have been input by a "
                            "non-wind source in order to have maintained a constant output of 7.50 kW up to the "
                            "indicated date. ");
    EXPECT_EQ(bought.tip,
              " This is the Mwhrs the system had to have generated by a non-wind source as of the date indicated.");
    // The rates (Ctrl+P) speak of kW, never of MWh stored or bought to date.
    for (auto kind : {display::EnergyGraphKind::Stored, display::EnergyGraphKind::Purchase}) {
        const auto rates = display::buildEnergyGraph(kind, p.snapshot(7.5), 4, true);
        for (const std::string& text : {rates.title, rates.tip}) {
            EXPECT_EQ(text.find("Mwhrs"), std::string::npos) << text;
            EXPECT_NE(text.find("kW"), std::string::npos) << text;
        }
        EXPECT_NE(rates.title.find("constant output of 7.50 kW"), std::string::npos);
    }
}

TEST(OutputGraph, pointsAreHourWeightedMeansOfRunsOfSoundings) {
    BalancedPeriod p;
    const display::SoundingSeries series{{}, p.power, p.hours};
    const auto every = display::buildOutputGraph(kKnots, 250, "Breeze 15", p.times, series);
    ASSERT_EQ(every.points.size(), 12u);
    EXPECT_EQ(every.soundingsPerPoint, 1);
    expectPoint(every.points[3], p.times[3], 10);
    EXPECT_EQ(every.title, "Output of Breeze 15 at 250 feet");
    EXPECT_EQ(every.yCaption, "Output (kW)");

    // At most five points: three soundings each.
    const auto grouped = display::buildOutputGraph(kSI, 250, "Breeze 15", p.times, series, 5);
    EXPECT_EQ(grouped.soundingsPerPoint, 3);
    ASSERT_EQ(grouped.points.size(), 4u);
    expectPoint(grouped.points[0], p.times[1], 80.0 / 3);
    EXPECT_DOUBLE_EQ(grouped.points[3].y, 10.0 / 3);
    EXPECT_DOUBLE_EQ(grouped.averageKw, 220.0 / 12);
    EXPECT_EQ(grouped.averageLabel, "Average 18.33 kW, each point 3 soundings");
    EXPECT_EQ(grouped.title, "Output of Breeze 15 at 76 meters");
    EXPECT_GE(grouped.yMaxKw, 80.0 / 3);
}

TEST(OutputGraph, dateLabelsAreMonthsForAShortPeriodAndYearsForALongOne) {
    const double from = core::hoursSince1930(core::makeDate(1990, 1, 1), 0);
    const double to = core::hoursSince1930(core::makeDate(1990, 12, 31), 12);
    const auto months = display::dateAxis(from, to);
    ASSERT_FALSE(months.empty());
    EXPECT_EQ(months.front().text, "Mar-90");
    EXPECT_DOUBLE_EQ(months.front().at, core::hoursSince1930(core::makeDate(1990, 3, 1), 0));
    const auto years = display::dateAxis(from, core::hoursSince1930(core::makeDate(2019, 12, 31), 0));
    ASSERT_FALSE(years.empty());
    EXPECT_EQ(years.front().text, "1995");
    EXPECT_EQ(years.back().text, "2015");
    EXPECT_TRUE(display::dateAxis(to, from).empty());
}

TEST(OutputGraph, niceAxisEnds) {
    EXPECT_DOUBLE_EQ(display::niceCeiling(0), 1);
    EXPECT_DOUBLE_EQ(display::niceCeiling(3.3), 5);
    EXPECT_DOUBLE_EQ(display::niceCeiling(2.2), 2.5);
    EXPECT_DOUBLE_EQ(display::niceCeiling(10), 10);
    EXPECT_DOUBLE_EQ(display::niceCeiling(0.013), 0.02);
    EXPECT_EQ(texts(display::valueAxis(1200, 1)), (std::vector<std::string>{"0", "250", "500", "750", "1,000", "1,250"}));
}

TEST(PowerCurveGraph, overTheWindGraphTheKwAxisRunsUpTheHeightAxis) {
    const auto g = smallGenerator();
    display::Graph1Model graph;
    display::addPowerCurve(graph, g);
    // Top output 15 kW: the axis reaches 20 kW at 5000 feet.
    ASSERT_EQ(graph.powerCurve.size(), 7u);
    EXPECT_DOUBLE_EQ(graph.powerCurve[0].x, 6);
    EXPECT_DOUBLE_EQ(graph.powerCurve[0].y, 0);
    EXPECT_DOUBLE_EQ(graph.powerCurve[4].y, 15.0 / 20.0 * display::kGraphMaxHeight);
    EXPECT_EQ(graph.powerCurveCutOutKnots, 40.0);
    EXPECT_EQ(graph.powerCurveLabel, "Power Curve of Breeze 15: 0 to 20 kW from bottom to top");

    // A generator without output takes the curve away again.
    display::addPowerCurve(graph, power::GeneratorRecord{});
    EXPECT_TRUE(graph.powerCurve.empty());
    EXPECT_TRUE(graph.powerCurveLabel.empty());
}

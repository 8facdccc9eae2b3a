#include "display/HeightGraphModel.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace skyloom;
using display::Graph2Mode;
using sounding::UnitMode;
using sounding::Units;

namespace {

display::GraphUnits unitsOf(UnitMode m, const char* word = "Average") { return {Units(m), word}; }

std::vector<std::string> texts(const std::vector<display::AxisLabel>& axis) {
    std::vector<std::string> out;
    for (const auto& l : axis) out.push_back(l.text);
    return out;
}

// Graph 1 over statistics with a linear profile: ground 10 knots, then 2 knots more every 500 feet.
class Graph1WithStatistics : public ::testing::Test {
protected:
    Graph1WithStatistics() {
        stats.soundingCount = 10;
        for (int l = 0; l < sounding::kLevelCount; ++l) {
            stats.averageSpeed[l] = 100 + 20 * l;
            stats.median[l] = 50 + 10 * l;
            stats.histogram[l][10 + 2 * l] = 8;
            stats.histogram[l][0] = 2;
            stats.histogramPeak[l] = 8;
        }
        stats.histogramPeak[3] = 16;
        in.stats = &stats;
    }
    sounding::LevelStatistics stats;
    display::Graph1Inputs in;
};

}  // namespace

TEST(HeightGraphModel, axesLabelEveryStepInTheUnitMode) {
    EXPECT_EQ(texts(unitsOf(UnitMode::Knots).speedAxis()),
              (std::vector<std::string>{"0", "10", "20", "30", "40", "50", "60", "70"}));
    EXPECT_EQ(texts(unitsOf(UnitMode::Mph).speedAxis())[1], "11.4");  // 6000 / 5280, not 1.1508
    auto metric = unitsOf(UnitMode::SI);
    EXPECT_EQ(texts(metric.speedAxis())[1], "5.1");
    EXPECT_EQ(texts(metric.speedAxis())[7], "36");
    EXPECT_EQ(texts(unitsOf(UnitMode::Knots).heightAxis())[10], "5000");
    EXPECT_EQ(texts(metric.heightAxis())[1], "152");
    EXPECT_EQ(texts(metric.heightAxis())[10], "1524");
    // Switching units relabels but never moves: the label positions stay in knots and feet.
    for (std::size_t k = 0; k < 8; ++k) EXPECT_DOUBLE_EQ(metric.speedAxis()[k].at, k * 10.0);
    for (std::size_t k = 0; k < 11; ++k) EXPECT_DOUBLE_EQ(metric.heightAxis()[k].at, k * 500.0);
}

TEST(HeightGraphModel, captionsFollowTheUnitMode) {
    auto knots = display::buildGraph1(unitsOf(UnitMode::Knots), {});
    EXPECT_EQ(knots.title, "Graph 1:  Wind Speed (knots)");
    EXPECT_EQ(knots.heightCaption, "Height Above Ground (feet)");
    EXPECT_EQ(knots.powerFactorCaption, "Power Factor vs 250 feet");
    auto metric = display::buildGraph1(unitsOf(UnitMode::SI), {});
    EXPECT_EQ(metric.speedCaption, "Wind Speed (m/sec)");
    EXPECT_EQ(metric.heightCaption, "Height Above Ground (meters)");
    EXPECT_EQ(metric.powerFactorCaption, "Power Factor   vs  75m");
    EXPECT_TRUE(metric.empty);
    EXPECT_EQ(metric.groundLine, "");   // no site analysed: no ground line
}

TEST_F(Graph1WithStatistics, blueLineFollowsTheChosenStatistic) {
    auto avg = display::buildGraph1(unitsOf(UnitMode::Knots, "Average"), in);
    ASSERT_EQ(avg.profile.size(), 11u);
    EXPECT_DOUBLE_EQ(avg.profile[0].x, 10.0);
    EXPECT_DOUBLE_EQ(avg.profile[10].x, 30.0);
    EXPECT_DOUBLE_EQ(avg.profile[10].y, 5000.0);
    auto mean = display::buildGraph1(unitsOf(UnitMode::Knots, "Mean"), in);
    EXPECT_DOUBLE_EQ(mean.profile[2].x, 7.0);
    EXPECT_EQ(mean.lineTip, " The Dark Blue line represents the Mean wind speed at each altitude.");
    EXPECT_EQ(avg.speedTip, " The Average wind speed. ");
}

TEST_F(Graph1WithStatistics, powerFactorIsTheCubeAgainstTheReferenceHeight) {
    auto g = display::buildGraph1(unitsOf(UnitMode::Knots), in);
    // 250 feet lies halfway between 10 and 12 knots: 11 knots.
    EXPECT_NEAR(g.powerFactor[1].x, std::pow(12.0 / 11.0, 3), 1e-9);
    EXPECT_NEAR(g.powerFactor[10].x, std::pow(30.0 / 11.0, 3), 1e-9);
    // The axis ends at a whole step above the largest factor (20.3): 0, 5, ... 25.
    EXPECT_DOUBLE_EQ(g.powerFactorMax, 25.0);
    EXPECT_EQ(texts(g.powerFactorAxis), (std::vector<std::string>{"0", "5", "10", "15", "20", "25"}));
    // Metric: 75 m = 246.075 feet, taken at whole feet like every height of interest.
    auto m = display::buildGraph1(unitsOf(UnitMode::SI), in);
    EXPECT_NEAR(m.powerFactor[1].x, std::pow(12.0 / (10.0 + 2.0 * 246.0 / 500.0), 3), 1e-9);
}

TEST_F(Graph1WithStatistics, bandsAreScaledByTheLargestPeak) {
    auto g = display::buildGraph1(unitsOf(UnitMode::Knots), in);
    ASSERT_EQ(g.bands.size(), 11u);
    EXPECT_DOUBLE_EQ(g.bands[0].share[10], 0.5);
    EXPECT_DOUBLE_EQ(g.bands[0].share[0], 2.0 / 16.0);
    EXPECT_DOUBLE_EQ(g.bands[4].heightFeet, 2000.0);
    EXPECT_EQ(g.bandLabel, " Band Speed");
}

TEST_F(Graph1WithStatistics, explanationTextsOfGraph1) {
    in.stationElevationMetres = 100;
    in.hubHeightFeet = 1000;
    auto g = display::buildGraph1(unitsOf(UnitMode::Knots), in);
    EXPECT_EQ(g.hubHeightLabel, "Hub Height (feet):1000");
    EXPECT_EQ(g.groundLine,
              "Ground level is 328 feet above sea level.  Ground winds account for 80% of the data points.");
    EXPECT_EQ(g.powerTexts[0],
              " Power available at 500 feet with respect to the power available at 250 feet. Losses due to a capture "
              "devices minmum operating wind speed, temp, pressure and its non-cubic power scaling curve are NOT "
              "accounted for. ");
    EXPECT_EQ(g.bandTexts[1], " The Average wind speed at 1000 feet. This is an average of all the Average wind "
                              "speeds between 750 and 1250 feet");
    in.comparedWithReference = true;
    auto m = display::buildGraph1(unitsOf(UnitMode::SI), in);
    EXPECT_EQ(m.hubHeightLabel, "Hub Height (meters):305");
    EXPECT_EQ(m.groundLine.substr(0, 43), "Ground level is 100 meters above sea level.");
    EXPECT_EQ(m.powerTexts[9],
              " Power available at 1524 meters with respect to the power available at 75 meters at the Reference "
              "Site. Losses due to a capture devices minmum operating wind speed, temp, pressure and its non-cubic "
              "power scaling curve are NOT accounted for. ");
}

TEST_F(Graph1WithStatistics, heightOfInterestLabelsNeverOverlap) {
    in.hubHeightFeet = 4990;
    in.kWAtHeight = 1234.5;
    in.idlePercent = 12.25;
    auto g = display::buildGraph1(unitsOf(UnitMode::Knots), in);
    ASSERT_EQ(g.heightLabels.size(), 3u);
    EXPECT_EQ(g.heightLabels[0].text, "30.0 knots");
    // kW: "0" from 100 kW up, "0.00" below (99.995 rounds up but stays below 100); idle "0".
    EXPECT_EQ(g.heightLabels[1].text, "1235 kW ");
    EXPECT_EQ(g.heightLabels[2].text, "12% idle ");
    for (const auto& [kw, shown] : {std::pair{0.2, "0.20 kW "}, {99.994, "99.99 kW "}, {100.0, "100 kW "},
                                     {340.6, "341 kW "}}) {
        in.kWAtHeight = kw;
        EXPECT_EQ(display::buildGraph1(unitsOf(UnitMode::Knots), in).heightLabels[1].text, shown);
    }
    in.kWAtHeight = 1234.5;
    in.idlePercent = 57.0;
    EXPECT_EQ(display::buildGraph1(unitsOf(UnitMode::Knots), in).heightLabels[2].text, "57% idle ");
    in.idlePercent = 12.25;
    for (std::size_t i = 1; i < 3; ++i) EXPECT_GE(g.heightLabels[i - 1].y - g.heightLabels[i].y, 220.0 - 1e-9);
    EXPECT_LE(g.heightLabels[0].y, display::kGraphMaxHeight);

    in.labelHeightFeet = 400;  // a small graph: taller lines in feet
    in.hubHeightFeet = 45;
    auto low = display::buildGraph1(unitsOf(UnitMode::Knots), in);
    for (std::size_t i = 1; i < 3; ++i) EXPECT_GE(low.heightLabels[i - 1].y - low.heightLabels[i].y, 400.0 - 1e-9);
    EXPECT_GE(low.heightLabels[2].y - 400.0, -1e-9);  // the lowest label stays above the ground

    auto ys = display::stackLabels(100, 3, 220, 0, 5000);  // near the ground the stack moves up
    EXPECT_DOUBLE_EQ(ys[2] - 220, 0.0);
    EXPECT_DOUBLE_EQ(ys[0] - ys[1], 220.0);
}

TEST(HeightGraphModel, graph2DrawsTheSoundingUpToItsTopWindLevel) {
    sounding::SoundingSet set;
    set.ensureCapacity(1);
    set.setCount(1);
    set.time[1][0] = 24 * 366 + 12;  // 2 Jan 1931 12:00
    for (int l = 0; l < sounding::kLevelCount; ++l) {
        set.level[1][l][sounding::Speed] = l <= 6 ? 100 + l * 10 : 0;
        set.level[1][l][sounding::Direction] = l <= 6 ? 270 : 0;
        set.level[1][l][sounding::Temperature] = 1500 - 100 * l;
        set.level[1][l][sounding::Pressure] = 101300 - 1800 * l;
    }
    set.topWindLevel[1] = 6;
    sounding::LevelStatistics stats;
    display::Graph2Inputs in{&set, 1, &stats, 1000};
    auto speed = display::buildGraph2(unitsOf(UnitMode::Knots), Graph2Mode::Speed, in);
    EXPECT_EQ(speed.title, "Graph 2: Sounding Wind Speed (knots)");
    ASSERT_EQ(speed.line.size(), 7u);
    EXPECT_DOUBLE_EQ(speed.line[6].x, 16.0);
    EXPECT_EQ(speed.caption, "The above is the Radiosonde Sounding for Jan 2, 1931 12:00");
    ASSERT_TRUE(speed.directionDeg);
    EXPECT_DOUBLE_EQ(*speed.directionDeg, 270.0);
    EXPECT_TRUE(speed.standardLine.empty());

    auto temp = display::buildGraph2(unitsOf(UnitMode::SI), Graph2Mode::Temperature, in);
    EXPECT_EQ(temp.title, "Graph 2: Temperature (degABSOLUTE)");
    ASSERT_EQ(temp.line.size(), 11u);
    EXPECT_DOUBLE_EQ(temp.line[0].x, 288.0);
    EXPECT_NEAR(temp.standardLine[1].x, 278.3, 1e-4);
    EXPECT_EQ(texts(temp.valueAxis).back(), "350");
    EXPECT_TRUE(temp.warningTitle.empty());  // nothing ignored: the warning stays hidden

    stats.badPressurePercent = 2.5;
    auto pres = display::buildGraph2(unitsOf(UnitMode::Knots), Graph2Mode::Pressure, in);
    EXPECT_EQ(pres.title, "Graph 2: Pressure (millibars)");
    EXPECT_DOUBLE_EQ(pres.line[1].x, 995.0);
    EXPECT_EQ(pres.warningTitle, "Ignored or missing Pressure data");
    EXPECT_EQ(pres.warningText, "2.5% of the time there was ignored or missing pressure data.");
    EXPECT_EQ(texts(pres.valueAxis)[1], "200");

    EXPECT_EQ(display::nextGraph2Mode(Graph2Mode::Pressure), Graph2Mode::Speed);
    EXPECT_EQ(display::nextGraph2Mode(Graph2Mode::Speed), Graph2Mode::Temperature);
}

TEST(HeightGraphModel, compassPlacesAnglesClockwiseFromNorth) {
    EXPECT_NEAR(display::polarX(90, 2), 2.0, 1e-12);
    EXPECT_NEAR(display::polarY(90, 2), 0.0, 1e-12);
    EXPECT_NEAR(display::polarY(180, 1), -1.0, 1e-12);
}

TEST(HeightGraphModel, yearGraphMarksShortYearsAndComparesWithTheAverage) {
    sounding::LevelStatistics stats;
    auto year = [](int y, int soundings, double hours, double gap, double cf) {
        sounding::YearRow r;
        r.year = y;
        r.soundings = soundings;
        r.hours = hours;
        r.largestGap = gap;
        r.capacityFactor.fill(cf);
        return r;
    };
    EXPECT_EQ(display::buildYearGraph(stats, 100).caption, "No years with at enough hrs of data");
    stats.yearTable.rows = {year(1990, 700, 8000, 24, 30), year(1991, 500, 6000, 48, 20),
                            year(1992, 100, 1000, 800, 50)};
    auto g = display::buildYearGraph(stats, 100);
    ASSERT_EQ(g.years.size(), 3u);
    EXPECT_DOUBLE_EQ(g.years[0].value, 30);
    EXPECT_DOUBLE_EQ(g.years[1].value, -20);  // short of data
    EXPECT_TRUE(g.years[1].red);
    EXPECT_DOUBLE_EQ(g.years[2].value, 0);    // a four-week gap: unusable
    EXPECT_DOUBLE_EQ(g.scale, 31.5);
    // The axis stays inside the scale: no dot stands above its top label.
    ASSERT_FALSE(g.valueAxis.empty());
    EXPECT_EQ(g.valueAxis.front().text, "0");
    EXPECT_LE(g.valueAxis.back().at, g.scale);
    EXPECT_GE(g.valueAxis.size(), 3u);
    // Only the full year counts in the average; the short one is shown against it.
    EXPECT_DOUBLE_EQ(g.years[0].differencePercent, 0);
    EXPECT_NEAR(g.years[1].differencePercent, -100.0 / 3, 1e-9);
    EXPECT_EQ(g.caption, "Average % Different from Average: 0.0%");

    // Two days of data in 1993 change nothing of the caption.
    stats.yearTable.rows.push_back(year(1993, 4, 48, 12, 90));
    stats.yearTable.rows.push_back(year(1994, 700, 8000, 24, 20));
    g = display::buildYearGraph(stats, 100);
    EXPECT_TRUE(g.years[3].red);
    EXPECT_EQ(g.caption, "Average % Different from Average: 20.0%");
    // Only short years: none is full enough to compare.
    stats.yearTable.rows = {year(1991, 500, 6000, 48, 20)};
    EXPECT_EQ(display::buildYearGraph(stats, 100).caption, "No years with at enough hrs of data");
}

// Reading the published turbine library and reducing a full curve to a record.
#include "power/TurbineLibrary.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "power/CurveReduction.h"
#include "power/FullPowerCurve.h"
#include "power/LibraryGenerators.h"
#include "power/PowerCurve.h"

using namespace skyloom;
using namespace skyloom::power;

TEST(TurbineLibrary, sheetFilesGiveTheirTopLevelValuesWithoutQuotesOrComments) {
    const auto sheet = parseTurbineSheet(
        "name: Bergey_Excel_10 #N/A\n"
        "rated_power: 8.9 #kW\n"
        "cut_out_wind_speed:  #m/s\n"
        "hub_height: [18, 30, 49] #18-49 #m\n"
        "origin: 'commercially available' #options are 'a', 'b'\n"
        "additional:\n  rotor_tilt: 5 #degrees\n"
        "reference_links: \n  - \"https://example.org/#x\"\n"
        "kind: Varies #m\n");
    EXPECT_EQ(sheet.at("name"), "Bergey_Excel_10");
    EXPECT_EQ(numbersOf(sheet.at("rated_power")), std::vector<double>{8.9});
    EXPECT_TRUE(numbersOf(sheet.at("cut_out_wind_speed")).empty());
    EXPECT_EQ(numbersOf(sheet.at("hub_height")), (std::vector<double>{18, 30, 49}));
    EXPECT_EQ(sheet.at("origin"), "commercially available");
    EXPECT_FALSE(sheet.count("rotor_tilt"));
    EXPECT_TRUE(numbersOf(sheet.at("kind")).empty());
}

TEST(TurbineLibrary, curveFilesAreReadByTheirHeaderWhateverTheColumnOrder) {
    const auto indexed = parsePublishedCurve(",Wind Speed [m/s],Power [kW],Cp [-]\r\n0,3,0,0\r\n1,3.25,181,0.3\r\n");
    ASSERT_EQ(indexed.points.size(), 2u);
    EXPECT_EQ(indexed.points[1], (CurvePoint{3.25, 181}));
    EXPECT_FALSE(indexed.normalised);
    const auto fraction = parsePublishedCurve("Wind Speed [m/s],Power [-]\n3,0.01\n4,0.5\n, , \n");
    EXPECT_TRUE(fraction.normalised);
    EXPECT_EQ(fraction.points.size(), 2u);
    EXPECT_THROW(parsePublishedCurve("Wind Speed [m/s],Power [kW]\n3,0\n4,lots\n"), std::runtime_error);
    EXPECT_THROW(parsePublishedCurve("Wind Speed [m/s],Power [kW]\n4,0\n3,1\n"), std::runtime_error);
    EXPECT_THROW(parsePublishedCurve("Speed,kW\n3,0\n4,1\n"), std::runtime_error);
}

TEST(TurbineLibrary, cleaningCutsStandbyDrawAndTheStretchBeyondCutOut) {
    // A standby draw below cut-in: the curve starts where it crosses zero.
    const auto c = cleanPublishedCurve({{1, -0.6}, {2, -0.6}, {3, 0.6}, {4, 4}, {5, 9}, {6, 8}}, 5.5);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], (CurvePoint{2.5, 0}));
    EXPECT_EQ(c[1], (CurvePoint{3, 0.6}));
    EXPECT_EQ(c.back(), (CurvePoint{5.5, 8.5}));   // cut where the segment passes the cut-out
    // A curve that starts above zero steps up at its first speed.
    const auto step = cleanPublishedCurve({{4, 280}, {5, 800}}, 25);
    ASSERT_EQ(step.size(), 3u);
    EXPECT_EQ(step[0], (CurvePoint{4, 0}));
    EXPECT_EQ(step[1], (CurvePoint{4, 280}));
    EXPECT_THROW(cleanPublishedCurve({{1, 0}, {2, -1}}, 25), std::runtime_error);
}

TEST(FullPowerCurve, followsTheRecordsRulesAtEverySpeed) {
    GeneratorRecord g;
    g.cutInSpeed = 6;
    g.points[0] = {8, 3};
    g.points[1] = {14, 40};
    g.points[2] = {20, 100};
    g.points[3] = {30, 80};
    g.cutOut = 45;
    const PowerCurveTable table = PowerCurveTable::fromGenerator(g);
    const FullPowerCurve full = FullPowerCurve::fromTable(table);
    for (double v = 0; v <= 50; v += 0.01) ASSERT_EQ(fullCurvePower(full, v, 1.1), generatorPower(table, v, 1.1)) << v;
    EXPECT_EQ(fullCurvePower(full, 45), kCutOutMarker);
    EXPECT_TRUE(full.isIdle(6));
    // A step: nothing at the step's speed, its power just after.
    const FullPowerCurve stepped{{{4, 0}, {4, 280}, {6, 800}}, 48.6};
    EXPECT_EQ(fullCurvePower(stepped, 4), 0);
    EXPECT_NEAR(fullCurvePower(stepped, 4.0001), 280, 0.1);
}

TEST(FullPowerCurve, rayleighMeanPowerIsTheIntegralUnderTheWind) {
    const FullPowerCurve c{{{5, 0}, {8, 10}, {8, 30}, {20, 100}, {30, 60}}, 45};
    for (double mean : {8.0, 14.0, 20.0}) {
        const double s = std::numbers::pi / (4 * mean * mean);
        double sum = 0;
        const double h = 0.0005;
        for (double v = h / 2; v < 60; v += h) sum += std::max(fullCurvePower(c, v), 0.0) * 2 * s * v * std::exp(-s * v * v) * h;
        EXPECT_NEAR(rayleighMeanPower(c, mean), sum, 1e-6 * sum) << mean;
    }
}

TEST(CurveReduction, aCurveOfTenStretchesComesBackAlmostAsItIs) {
    // Ten straight stretches up to the plateau: the reduction can keep them all.
    FullPowerCurve full;
    full.cutOut = 48.6;
    full.points.push_back({6, 0});
    for (int i = 1; i <= 9; ++i) full.points.push_back({6 + 2.0 * i, 2000.0 * i * i / 100});
    full.points.push_back({26, 2000});
    full.points.push_back({40, 2000});
    const ReducedCurve r = reduceFullCurve(full, 2000);
    EXPECT_LT(r.largestError, 1e-4);
    EXPECT_EQ(r.asCurve(full.cutOut).points.size(), 11u);
    double top = 0;
    for (const CurvePoint& p : r.points) top = std::max(top, p.kw);
    EXPECT_EQ(top, 2000);
    EXPECT_NEAR(largestEnergyError(r.asCurve(full.cutOut), full), r.largestError, 1e-12);
}

TEST(TurbineLibrary, factsComeFromTheDataSheetOrTheirStatedStandIns) {
    test::TempFolder tmp;
    const auto root = tmp.path() / "turbines";
    std::filesystem::create_directories(root / "data" / "Distributed");
    std::filesystem::create_directories(root / "data" / "Onshore");
    std::filesystem::create_directories(root / "sheets" / "Onshore");
    test::writeFile(root / "data/Distributed/Small_5kW_5.csv", "Wind Speed [m/s],Power [kW]\n2,-0.1\n3,0.2\n10,5\n18,4\n");
    test::writeFile(root / "data/Onshore/Big_normalized.csv", "Wind Speed [m/s],Power [-]\n3,0\n4,0.1\n12,1\n22,1\n23,0\n25,0\n");
    test::writeFile(root / "sheets/Onshore/Big_normalized.yaml",
                    "rated_power: 2000 #kW\ncut_out_wind_speed: 25\nhub_height: 100\norigin: 'reference model'\n"
                    "power_curve_type: 'experimental'\n");
    const std::string names = "# comment\ndata/Distributed/Small_5kW_5.csv,Small (5 kW)\ndata/Onshore/Big_normalized.csv,Big (2 MW)\n";
    const auto lib = readTurbineLibrary(root, names);
    ASSERT_EQ(lib.size(), 2u);
    // No data sheet: rated power and rotor from the file name, the class's hub height,
    // and for a small turbine the end of its curve as cut-out.
    EXPECT_EQ(lib[0].ratedKW, 5);
    EXPECT_EQ(lib[0].rotorMetres, 5);
    EXPECT_EQ(lib[0].hubMetres, 30);
    EXPECT_EQ(lib[0].hubRule, "stand-in");
    EXPECT_EQ(lib[0].cutOutMs, 18);
    EXPECT_EQ(lib[0].cutOutRule, "curve ends");
    EXPECT_EQ(lib[0].turbineClass, "distributed");
    EXPECT_EQ(lib[0].origin, "");
    // A fraction of rated power becomes kW; the curve's own stop comes before 25 m/s.
    EXPECT_EQ(lib[1].curve[2].kw, 2000);
    EXPECT_EQ(lib[1].cutOutMs, 23);
    EXPECT_EQ(lib[1].cutOutRule, "curve stops");
    EXPECT_EQ(lib[1].curveType, "measured");
    EXPECT_EQ(lib[1].origin, "reference");
    // Every curve file needs a name.
    EXPECT_THROW(readTurbineLibrary(root, "data/Distributed/Small_5kW_5.csv,Small (5 kW)\n"), std::runtime_error);
    EXPECT_THROW(readTurbineLibrary(root, names + "data/Onshore/Gone.csv,Gone\n"), std::runtime_error);
}

// The supplied generators of the published turbine library, as a new folder gets
// them from data/library-generators.csv.
#include "power/LibraryGenerators.h"

#include <cmath>
#include <numbers>
#include <set>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "core/Text.h"
#include "power/CurveReduction.h"
#include "power/GeneratorFile.h"
#include "power/PowerCurve.h"

using namespace skyloom;
using namespace skyloom::power;

namespace {

const std::vector<LibraryGenerator>& table() {
    static const auto t = parseLibraryTable(test::readFile(test::projectData("library-generators.csv")));
    return t;
}

// Mean power under a Rayleigh distribution by plain numerical integration of a
// power function over speeds in knots (trapezoids of 0.005 knots up to 60 knots).
struct RayleighGrid {
    static constexpr double kStep = 0.005;
    std::vector<double> speeds;
    std::vector<std::vector<double>> density;   // per mean
    RayleighGrid() {
        for (int i = 0; i * kStep <= 60; ++i) speeds.push_back(i * kStep);
        for (double ms : reductionMeansMs()) {
            const double m = ms * kKnotsPerMetrePerSecond, s = std::numbers::pi / (4 * m * m);
            std::vector<double> d;
            for (double v : speeds) d.push_back(2 * s * v * std::exp(-s * v * v));
            density.push_back(std::move(d));
        }
    }
    template <class F>
    std::vector<double> meanPowers(F power) const {
        std::vector<double> p;
        for (double v : speeds) p.push_back(std::max(power(v), 0.0));   // the cut-out marker counts as nothing
        std::vector<double> out;
        for (const auto& d : density) {
            double sum = 0;
            for (std::size_t i = 1; i < speeds.size(); ++i) sum += (p[i] * d[i] + p[i - 1] * d[i - 1]) / 2 * kStep;
            out.push_back(sum);
        }
        return out;
    }
};

}  // namespace

// To renew data/library-generators.csv on purpose (a new library, a changed name
// or rule), build and run make-generator-table and commit the file it writes.
TEST(LibraryGenerators, theCarriedTableIsAFreshReductionOfTheCarriedLibrary) {
    const std::string fresh = libraryTableText(buildLibraryGenerators(test::projectData("")));
    EXPECT_EQ(fresh, test::readFile(test::projectData("library-generators.csv")))
        << "data/library-generators.csv is stale: run make-generator-table";
}

TEST(LibraryGenerators, everyTenPointCurveGivesItsFullCurvesEnergyWithinOnePercent) {
    ASSERT_EQ(table().size(), 76u);
    const RayleighGrid grid;
    double worst = 0;
    for (const LibraryGenerator& g : table()) {
        SCOPED_TRACE(g.info.name);
        // The record run by the program's own power function, the full curve by its rules.
        const PowerCurveTable record = PowerCurveTable::fromGenerator(g.record);
        const FullPowerCurve full = g.info.fullCurve(g.record.cutOut);
        const auto reduced = grid.meanPowers([&](double v) { return generatorPower(record, v); });
        const auto published = grid.meanPowers([&](double v) { return fullCurvePower(full, v); });
        double largest = 0;
        for (std::size_t u = 0; u < reduced.size(); ++u) {
            ASSERT_GT(published[u], 0);
            largest = std::max(largest, std::fabs(reduced[u] / published[u] - 1));
        }
        EXPECT_LE(largest, kLargestAllowedEnergyError);
        // The error the table reports is the one found here (to the quadrature's
        // precision at the steps of cut-in and cut-out).
        EXPECT_NEAR(largest, g.info.largestError, 1e-4);
        worst = std::max(worst, largest);
    }
    RecordProperty("largest_energy_error_percent", std::to_string(worst * 100));
}

TEST(LibraryGenerators, recordsHoldTheStoredRoundingAndTheShapeOfAPowerCurve) {
    std::set<std::string> names;
    for (const LibraryGenerator& g : table()) {
        const GeneratorRecord& r = g.record;
        SCOPED_TRACE(r.name);
        EXPECT_TRUE(isLegalGeneratorName(r.name));
        EXPECT_EQ(r.name, core::trim(r.name));
        EXPECT_TRUE(names.insert(core::toUpper(r.name)).second) << "name given twice";
        EXPECT_EQ(r.orgData, -1);
        EXPECT_EQ(r.temperature, 150);
        EXPECT_EQ(r.pressure, 1013.25);
        EXPECT_EQ(r.costPerYear, 0);
        EXPECT_EQ(r.height, std::nearbyint(g.info.hubMetres * 3.281));
        EXPECT_EQ(r.maxToGrid, roundMaxToGrid(g.info.ratedKW));
        EXPECT_EQ(r.maxKW, plateauPower(g.info.ratedKW, g.info.fullCurveMs));
        EXPECT_EQ(r.cutOut, roundSpeed(g.info.cutOutMs * kKnotsPerMetrePerSecond));
        EXPECT_EQ(r.cutInSpeed, roundSpeed(r.cutInSpeed));
        ASSERT_EQ(r.lastUsedPoint(), kCurvePoints);
        // Speeds rise from cut-in to below cut-out; powers rise strictly to the top,
        // never exceed it, and do not rise again after it.
        double speed = r.cutInSpeed, kw = 0;
        bool pastTop = false;
        for (const CurvePoint& p : r.points) {
            EXPECT_EQ(p.speed, roundSpeed(p.speed));
            EXPECT_EQ(p.kw, roundKW(p.kw));
            EXPECT_GT(p.speed, speed);
            EXPECT_GT(p.kw, 0);
            EXPECT_LE(p.kw, r.maxKW);
            if (pastTop) EXPECT_LE(p.kw, kw);
            else EXPECT_GT(p.kw, kw);
            pastTop = pastTop || p.kw == r.maxKW;
            speed = p.speed;
            kw = p.kw;
        }
        EXPECT_LT(speed, r.cutOut);
        EXPECT_GE(r.cutOut, r.speedAtMaxPower());
    }
}

TEST(LibraryGenerators, aRecordComesBackWholeThroughItsTextFile) {
    for (const LibraryGenerator& g : table()) {
        SCOPED_TRACE(g.record.name);
        const std::string text = generatorFileText(g.record);
        EXPECT_EQ(generatorFileProblem(text), std::nullopt);   // the import's own checks let it in
        GeneratorRecord back = parseGeneratorFile(text);
        back.recomputeMaxKW();
        back.orgData = g.record.orgData;
        EXPECT_EQ(back, g.record);
    }
}

TEST(LibraryGenerators, namesAndFactsFollowTheLibrary) {
    const auto find = [](const std::string& name) -> const LibraryGenerator& {
        for (const auto& g : table())
            if (g.info.name == name) return g;
        throw std::runtime_error("no " + name);
    };
    const auto& nps = find("Northern Power NPS 100C-21 (100 kW)");
    EXPECT_EQ(nps.info.source, "data/Distributed/NPS100C-21_100kW_20.7.csv");
    EXPECT_EQ(nps.info.turbineClass, "distributed");
    EXPECT_EQ(nps.info.origin, "commercial");
    EXPECT_EQ(nps.info.curveType, "theoretical");
    EXPECT_EQ(nps.info.rotorMetres, 20.7);
    EXPECT_EQ(nps.record.height, 62);   // its first published hub height, 19 m
    EXPECT_EQ(nps.record.maxKW, 100);   // the exact rated power on the plateau
    EXPECT_EQ(nps.record.cutOut, 48.6); // 25 m/s
    const auto& ref = find("NREL reference 5 MW (126 m)");
    EXPECT_EQ(ref.info.turbineClass, "offshore");
    EXPECT_EQ(ref.record.maxKW, 5000);  // the published plateau wavers around 5000.5 kW
    EXPECT_EQ(ref.record.maxToGrid, 5000);
    // Small turbines that furl give no cut-out: their published curve's end stands in.
    const auto& bergey = find("Bergey Excel 10 (8.9 kW)");
    EXPECT_EQ(bergey.info.cutOutRule, "curve ends");
    EXPECT_EQ(bergey.info.cutOutMs, 20.5);
    EXPECT_EQ(bergey.record.maxToGrid, 8.9);
    EXPECT_EQ(bergey.record.maxKW, 12.56);   // its curve tops out above the rated 8.9 kW
    // A curve that falls to zero before its published cut-out stops there.
    EXPECT_EQ(find("WIND Toolkit offshore (2 MW)").info.cutOutRule, "curve stops");
}

TEST(LibraryGenerators, aDamagedTableLineIsRefusedWithItsLineNumber) {
    const std::string good = test::readFile(test::projectData("library-generators.csv"));
    const auto firstData = good.find("\nSwift");
    ASSERT_NE(firstData, std::string::npos);
    std::string bad = good;
    bad.replace(bad.find(",0,", firstData), 3, ",x,");
    try {
        parseLibraryTable(bad);
        FAIL() << "accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("line ", 0), 0u) << e.what();
    }
}

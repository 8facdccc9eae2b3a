#include "power/LibraryGenerators.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "core/Formats.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "power/CurveReduction.h"
#include "power/TurbineLibrary.h"

namespace skyloom::power {

namespace {

constexpr double kFeetPerMetre = 3.281;
constexpr int kTableColumns = 21;
constexpr std::string_view kHeader =
    "name,source,class,origin,curve_type,rated_kw,rotor_m,hub_m,hub_rule,cut_out_ms,cut_out_rule,"
    "largest_error_percent,hub_ft,cut_in,cut_out,temperature,pressure,max_to_grid,cost_per_year,points,full_curve";

double number(const std::string& text) {
    double v = 0;
    if (!core::parseNumber(text, v)) throw std::runtime_error("'" + text + "' is not a number");
    return v;
}

}  // namespace

std::string curvePairsText(const std::vector<CurvePoint>& points) {
    std::string s;
    for (const CurvePoint& p : points) {
        if (!s.empty()) s += ' ';
        s += core::formatPlain(p.speed) + ':' + core::formatPlain(p.kw);
    }
    return s;
}

std::vector<CurvePoint> parseCurvePairs(std::string_view text) {
    std::vector<CurvePoint> out;
    for (const std::string& pair : core::splitBlanks(text)) {
        const auto f = core::split(pair, ':');
        CurvePoint p;
        if (f.size() != 2 || !core::parseNumber(f[0], p.speed) || !core::parseNumber(f[1], p.kw))
            throw std::runtime_error("'" + pair + "' is not a speed:kW pair");
        out.push_back(p);
    }
    return out;
}

FullPowerCurve GeneratorInfo::fullCurve(double cutOutKnots) const {
    FullPowerCurve c;
    c.cutOut = cutOutKnots;
    for (const CurvePoint& p : fullCurveMs) c.points.push_back({p.speed * kKnotsPerMetrePerSecond, p.kw});
    return c;
}

std::string factsSentence(const GeneratorInfo& i) {
    std::string s = i.turbineClass.empty() ? std::string("Turbine") : i.turbineClass;
    s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    if (!i.origin.empty()) s += " " + i.origin + (i.origin == "commercial" ? " product" : i.origin == "legacy" ? " product" : " turbine");
    s += ", rated " + core::formatPlain(i.ratedKW) + " kW";
    if (i.rotorMetres > 0) s += ", rotor " + core::formatPlain(i.rotorMetres) + " m";
    s += i.curveType.empty() ? ", curve of unstated kind" : ", " + i.curveType + " curve";
    s += ". Cut-out " + core::formatPlain(i.cutOutMs) + " m/s (" + i.cutOutRule + "), hub height " +
         core::formatPlain(i.hubMetres) + " m (" + i.hubRule + "). From data/turbines/" + i.source +
         "; the ten points give its energy within " +
         core::formatPlain(core::roundHalfAwayFromZero(i.largestError * 100, 3)) +
         " % for mean winds of 4 to 10 m/s.";
    return s;
}

double plateauPower(double ratedKW, const std::vector<CurvePoint>& curve) {
    double highest = 0;
    for (const CurvePoint& p : curve) highest = std::max(highest, p.kw);
    if (ratedKW > 0 && std::fabs(highest - ratedKW) <= 0.01 * ratedKW) return roundKW(ratedKW);
    return roundKW(highest);
}

LibraryGenerator makeLibraryGenerator(const LibraryTurbine& t) {
    if (!isLegalGeneratorName(t.name) || t.name.empty() || t.name.find(',') != std::string::npos ||
        core::trim(t.name) != t.name)
        throw std::runtime_error(t.source + ": '" + t.name + "' is not a valid generator name");
    LibraryGenerator g;
    GeneratorInfo& info = g.info;
    info.name = t.name;
    info.source = t.source;
    info.turbineClass = t.turbineClass;
    info.origin = t.origin;
    info.curveType = t.curveType;
    info.ratedKW = t.ratedKW;
    info.rotorMetres = t.rotorMetres;
    info.hubMetres = t.hubMetres;
    info.hubRule = t.hubRule;
    info.cutOutMs = t.cutOutMs;
    info.cutOutRule = t.cutOutRule;
    // Kept to four decimals, as the table carries them, so the curve the program
    // runs is the one the record was reduced from.
    for (const CurvePoint& p : t.curve)
        info.fullCurveMs.push_back({core::roundHalfAwayFromZero(p.speed, 4), core::roundHalfAwayFromZero(p.kw, 4)});

    GeneratorRecord& r = g.record;
    r.name = t.name;
    r.height = std::nearbyint(t.hubMetres * kFeetPerMetre);
    r.temperature = kStandardTemperatureTenths;
    r.pressure = kStandardPressureMb;
    r.costPerYear = 0;
    r.maxToGrid = roundMaxToGrid(t.ratedKW);
    r.cutOut = roundSpeed(t.cutOutMs * kKnotsPerMetrePerSecond);
    r.orgData = -1;
    const ReducedCurve reduced = reduceFullCurve(info.fullCurve(r.cutOut), plateauPower(t.ratedKW, info.fullCurveMs));
    r.cutInSpeed = reduced.cutIn;
    r.points = reduced.points;
    r.recomputeMaxKW();
    info.largestError = core::roundHalfAwayFromZero(reduced.largestError * 100, 3) / 100;
    return g;
}

std::vector<LibraryGenerator> buildLibraryGenerators(const std::filesystem::path& dataFolder) {
    const std::filesystem::path namesPath = dataFolder / "turbine-names.csv";
    std::ifstream in(namesPath, std::ios::binary);
    if (!in) throw std::runtime_error(namesPath.string() + ": cannot be read");
    const std::string names((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<LibraryGenerator> out;
    std::set<std::string> seen;
    for (const LibraryTurbine& t : readTurbineLibrary(dataFolder / "turbines", names)) {
        if (!seen.insert(core::toUpper(t.name)).second) throw std::runtime_error("the name '" + t.name + "' is given twice");
        out.push_back(makeLibraryGenerator(t));
        if (out.back().info.largestError > kLargestAllowedEnergyError)
            throw std::runtime_error(t.source + ": the ten-point curve misses the energy by " +
                                     core::formatPlain(out.back().info.largestError * 100) + " %");
    }
    return out;
}

std::string libraryTableText(const std::vector<LibraryGenerator>& generators) {
    std::string out =
        "# Supplied generators reduced from the published turbine library in data/turbines, one per line.\n"
        "# Written by tools/make-generator-table from data/turbines and data/turbine-names.csv; do not edit:\n"
        "# change those or the tool and run it again (a test compares this file with a fresh run).\n"
        "# Facts: class, origin, curve type, rated power (kW), rotor diameter and hub height (m), the cut-out\n"
        "# speed (m/s) and where hub height and cut-out come from, the largest energy error of the record\n"
        "# against the full curve under Rayleigh winds of mean 4 to 10 m/s (percent).\n"
        "# Record, as stored: hub height (feet), cut-in and cut-out (knots), temperature (tenths of degC),\n"
        "# pressure (mb), max to grid (kW), cost per year, the ten points (knots:kW); then the full curve\n"
        "# the record was reduced from (m/s:kW).\n";
    out += kHeader;
    out += '\n';
    for (const LibraryGenerator& g : generators) {
        const GeneratorInfo& i = g.info;
        const GeneratorRecord& r = g.record;
        std::vector<CurvePoint> points(r.points.begin(), r.points.end());
        const std::vector<std::string> fields = {
            i.name, i.source, i.turbineClass, i.origin, i.curveType, core::formatPlain(i.ratedKW),
            core::formatPlain(i.rotorMetres), core::formatPlain(i.hubMetres), i.hubRule, core::formatPlain(i.cutOutMs),
            i.cutOutRule, core::formatPlain(core::roundHalfAwayFromZero(i.largestError * 100, 3)),
            core::formatPlain(r.height), core::formatPlain(r.cutInSpeed), core::formatPlain(r.cutOut),
            core::formatPlain(r.temperature), core::formatPlain(r.pressure), core::formatPlain(r.maxToGrid),
            core::formatPlain(r.costPerYear), curvePairsText(points), curvePairsText(i.fullCurveMs)};
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f].find_first_of(",\n\r") != std::string::npos)
                throw std::runtime_error(i.name + ": a field holds a comma or a line break");
            out += (f ? "," : "") + fields[f];
        }
        out += '\n';
    }
    return out;
}

std::vector<std::string> libraryTableNames(std::string_view text) {
    std::vector<std::string> out;
    for (const std::string& line : core::splitLines(text))
        if (!line.empty() && line[0] != '#' && line.substr(0, 5) != "name,") out.emplace_back(line.substr(0, line.find(',')));
    return out;
}

std::vector<LibraryGenerator> parseLibraryTable(std::string_view text) {
    std::vector<LibraryGenerator> out;
    const auto rows = core::split(text, '\n');
    for (std::size_t n = 0; n < rows.size(); ++n) {
        std::string line = rows[n];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || line == kHeader) continue;
        try {
            const auto f = core::split(line, ',');
            if (f.size() != kTableColumns) throw std::runtime_error(std::to_string(f.size()) + " fields");
            LibraryGenerator g;
            GeneratorInfo& i = g.info;
            i.name = f[0];
            i.source = f[1];
            i.turbineClass = f[2];
            i.origin = f[3];
            i.curveType = f[4];
            i.ratedKW = number(f[5]);
            i.rotorMetres = number(f[6]);
            i.hubMetres = number(f[7]);
            i.hubRule = f[8];
            i.cutOutMs = number(f[9]);
            i.cutOutRule = f[10];
            i.largestError = number(f[11]) / 100;
            i.fullCurveMs = parseCurvePairs(f[20]);
            GeneratorRecord& r = g.record;
            r.name = f[0];
            r.height = number(f[12]);
            r.cutInSpeed = number(f[13]);
            r.cutOut = number(f[14]);
            r.temperature = number(f[15]);
            r.pressure = number(f[16]);
            r.maxToGrid = number(f[17]);
            r.costPerYear = number(f[18]);
            const auto points = parseCurvePairs(f[19]);
            if (points.size() != r.points.size()) throw std::runtime_error("not ten points");
            std::copy(points.begin(), points.end(), r.points.begin());
            r.recomputeMaxKW();
            r.orgData = -1;
            if (i.name.empty() || !isLegalGeneratorName(i.name) || i.fullCurveMs.size() < 2)
                throw std::runtime_error("no valid name or curve");
            out.push_back(std::move(g));
        } catch (const std::exception& e) {
            throw std::runtime_error("line " + std::to_string(n + 1) + ": " + e.what());
        }
    }
    return out;
}

}  // namespace skyloom::power

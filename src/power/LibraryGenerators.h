#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "power/FullPowerCurve.h"
#include "power/GeneratorRecord.h"

namespace skyloom::power {

struct LibraryTurbine;

// Published curves give speeds in metres per second; 1852 m make a nautical mile.
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;

// Standard air, at which the library's curves are given.
constexpr double kStandardTemperatureTenths = 150;   // 15.0 degC
constexpr double kStandardPressureMb = 1013.25;

// What the program keeps about a supplied generator of the turbine library
// beyond its record (table `generatorinfo`, one row per name).
struct GeneratorInfo {
    std::string name;
    std::string source;         // curve file, relative to data/turbines
    std::string turbineClass;   // "distributed", "onshore" or "offshore"
    std::string origin;         // "commercial", "reference", "legacy" or ""
    std::string curveType;      // "measured", "theoretical" or ""
    double ratedKW = 0;
    double rotorMetres = 0;     // 0 when not published
    double hubMetres = 0;
    std::string hubRule;        // "published" or "stand-in"
    double cutOutMs = 0;
    std::string cutOutRule;     // "published", "curve stops", "stand-in" or "curve ends"
    double largestError = 0;    // of the ten-point record against the full curve, a fraction
    std::vector<CurvePoint> fullCurveMs;   // the published curve as run (m/s, kW)

    // The full curve in knots, cutting out where the record does.
    FullPowerCurve fullCurve(double cutOutKnots) const;
    bool operator==(const GeneratorInfo&) const = default;
};

// The facts in one sentence, as the generator list shows them beside a name:
// class and origin, rotor, curve type, cut-out and hub height with where they come
// from, the source file and how closely the ten points keep the curve's energy.
std::string factsSentence(const GeneratorInfo& info);

// A supplied generator of the library: its record (OrgData set) and its facts.
struct LibraryGenerator {
    GeneratorRecord record;
    GeneratorInfo info;
};

// The top output kept exactly on a curve's plateau: the rated power when the
// curve's highest power lies within 1 % of it, else that highest power.
double plateauPower(double ratedKW, const std::vector<CurvePoint>& curve);

// The library turbine as a supplied generator: the curve reduced to the record,
// the hub height in whole feet, standard air, MaxToGrid the rated power and no
// yearly cost (the library gives none).
LibraryGenerator makeLibraryGenerator(const LibraryTurbine& turbine);

// Points as "speed:kW" pairs separated by blanks, and back; parsing throws
// std::runtime_error on a pair that is not two numbers.
std::string curvePairsText(const std::vector<CurvePoint>& points);
std::vector<CurvePoint> parseCurvePairs(std::string_view text);

// A reduced curve may give at most this much more or less energy than the full
// curve at any of the Rayleigh means (a fraction).
constexpr double kLargestAllowedEnergyError = 0.01;

// Every turbine of the library in dataFolder/turbines, named by
// dataFolder/turbine-names.csv, as a supplied generator, in the name list's
// order. Throws std::runtime_error when a file cannot be read, a name is not
// valid or not unique, or a reduced curve misses the full curve's energy by more
// than kLargestAllowedEnergyError.
std::vector<LibraryGenerator> buildLibraryGenerators(const std::filesystem::path& dataFolder);

// The table of supplied library generators (data/library-generators.csv) that
// tools/make-generator-table writes and a program folder is filled from.
std::string libraryTableText(const std::vector<LibraryGenerator>& generators);
// Reads that table; throws std::runtime_error naming the line when one is malformed.
std::vector<LibraryGenerator> parseLibraryTable(std::string_view text);
// Only the names of the table's generators, a quick look for what a folder lacks.
std::vector<std::string> libraryTableNames(std::string_view text);

}  // namespace skyloom::power

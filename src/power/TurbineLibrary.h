#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "power/GeneratorRecord.h"

namespace skyloom::power {

// The top-level facts of a turbine's data sheet (YAML, as the library writes it):
// key to value, quotes and comments removed; a list such as "[18, 30, 49]" keeps
// its text and is read with numbersOf. Nested blocks and list items are skipped.
using TurbineSheet = std::map<std::string, std::string>;
TurbineSheet parseTurbineSheet(std::string_view yaml);
// The numbers of a value: one for a plain number, each element of a list; none
// for an empty value or text ("Varies").
std::vector<double> numbersOf(std::string_view value);

// The speed and power columns of a published curve file (CSV with a header
// naming "Wind Speed [m/s]" and "Power [kW]", or "Power [-]" for a curve given
// as a fraction of rated power). Throws std::runtime_error on a malformed file.
struct PublishedCurve {
    std::vector<CurvePoint> points;   // m/s, kW (or fraction)
    bool normalised = false;
};
PublishedCurve parsePublishedCurve(std::string_view csv);

// The curve as the program runs it (m/s, kW): nothing negative (a maker's
// standby draw is not modelled; a segment crossing zero is cut where it crosses),
// nothing beyond the cut-out speed (a segment reaching past it is cut there), and
// first the cut-in point with 0 kW: where the power first rises above zero, or
// the first published speed when the curve starts above zero.
std::vector<CurvePoint> cleanPublishedCurve(const std::vector<CurvePoint>& points, double cutOutMs);

// One turbine of the published library (data/turbines) with the facts the
// program keeps about it.
struct LibraryTurbine {
    std::string name;           // readable name: maker, model, rated power
    std::string source;         // the curve file, relative to the library folder
    std::string turbineClass;   // "distributed", "onshore" or "offshore"
    std::string origin;         // "commercial", "reference", "legacy", or "" when not stated
    std::string curveType;      // "measured", "theoretical", or "" when not stated
    double ratedKW = 0;
    double rotorMetres = 0;     // 0 when not published
    double hubMetres = 0;
    std::string hubRule;        // where the hub height comes from
    double cutOutMs = 0;
    std::string cutOutRule;     // where the cut-out speed comes from
    std::vector<CurvePoint> curve;   // cleaned, m/s and kW
};

// Reads the library: every curve file under root/data with its data sheet under
// root/sheets, named by the project's name list (lines "source,name", '#' starts
// a comment). Throws std::runtime_error, naming the file, when a curve has no
// name, a named file is missing, or a file cannot be read.
std::vector<LibraryTurbine> readTurbineLibrary(const std::filesystem::path& root, std::string_view nameList);

}  // namespace skyloom::power

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "power/GeneratorRecord.h"

namespace skyloom::power {

class GeneratorStore;

constexpr double kKnotsPerMetrePerSecond = 1.943844;

// Drops points one at a time, always the one whose removal changes the curve
// least (smallest distance of its kW from the line through its neighbours),
// until at most maxPoints remain. The first point and the point where the curve
// first reaches its largest kW are always kept.
std::vector<CurvePoint> reduceCurve(std::vector<CurvePoint> points, std::size_t maxPoints);

// The generators of the supplied-curves file (see data/generators.csv): one per
// data line, speeds converted to knots, curves reduced to ten points, OrgData set.
// Lines that cannot be read are skipped.
std::vector<GeneratorRecord> parseSuppliedGenerators(std::string_view csvText);

// Adds every supplied generator whose name is not in the table yet; returns the
// number added.
int installSuppliedGenerators(GeneratorStore& store, const std::vector<GeneratorRecord>& generators);

}  // namespace skyloom::power

#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "sounding/SoundingSet.h"
#include "sounding/Units.h"

namespace skyloom::sounding {

// Where a height lies among the eleven levels: between level index-1 and index,
// fraction of the way up. index is 1..10.
struct LevelPosition {
    int index = 1;
    double fraction = 0.0;
};

// Position of a height given in the current length unit (metres are turned into
// feet with 3.281, then cut to whole feet). Heights of 5000 feet and above sit at
// the top level with fraction 1. Negative heights have no position.
std::optional<LevelPosition> levelPositionAtHeight(double height, const Units& units);

// The value of a level table at a height in the current length unit, linear
// between the levels around it; 0 for a negative height.
double levelValueAtHeight(std::span<const double, kLevelCount> values, double height, const Units& units);
double levelValueAtHeight(std::span<const float, kLevelCount> values, double height, const Units& units);
// The quotient of two level tables at a height: the per-level quotients are
// interpolated (a level whose denominator is 0 counts as 0).
double levelRatioAtHeight(std::span<const double, kLevelCount> numerator,
                          std::span<const double, kLevelCount> denominator, double height,
                          const Units& units);

// The prompt of the height-of-interest input box for the current length unit.
std::string heightOfInterestPrompt(const Units& units);

// Reads a typed height of interest: the number it begins with, in the current
// unit unless it ends in "m"/"M" (metres) or "f"/"F" (feet) while the other unit
// is shown. Gives feet rounded to one decimal. An empty (or all-blank) answer
// gives nothing; with requireNumber a text that does not begin with a number
// gives nothing too (otherwise it reads as 0, as a typed number is read).
std::optional<double> parseHeightOfInterest(std::string_view answer, const Units& units,
                                            bool requireNumber = false);

}  // namespace skyloom::sounding

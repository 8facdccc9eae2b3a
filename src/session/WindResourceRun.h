#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "display/ResourceReport.h"
#include "power/WindResource.h"
#include "sounding/Units.h"

namespace skyloom::session {

class PowerPage;

// A wind resource with what it belongs to.
struct WindResourceRun {
    power::WindResource resource;
    display::ResourceHeading heading;
};

// The highest height a wind resource is computed for, in feet.
inline constexpr double kResourceTopFeet = 5000;

// The wind resource of the soundings the page has loaded, at a height in feet, in
// the given display units, with the page's current generator: its power at the
// height is corrected for temperature and pressure as the energy balance corrects
// it (when the power model has run for it). Nothing loaded gives a resource that
// says so.
WindResourceRun windResourceOf(PowerPage& page, double heightFeet, const sounding::Units& units);

// Reads a typed height for the resource (a number, optionally followed by m or
// f, as the height of interest is typed) into feet; nothing for a text that is no
// height. refusal gets the one-line reason for a height outside 0..5000 feet.
std::optional<double> resourceHeightFeet(std::string_view typed, const sounding::Units& units, std::string& refusal);

// The question of the window's height field.
std::string resourceHeightPrompt(const sounding::Units& units);

}  // namespace skyloom::session

#pragma once

#include <string_view>
#include <vector>

#include "sounding/ImportTypes.h"

namespace skyloom::sounding::wyoming {

// True when the text is a University of Wyoming TEXT:LIST page (a <PRE> table
// with the PRES and HGHT columns).
bool looksLike(std::string_view text);

// Reads every sounding of the page: an <H2> title with station and time, the
// table in the next <PRE> block (11 columns of 7 characters; blank = missing;
// pressure in hPa, height in metres, temperature in degrees, wind in knots)
// and the station block in the <PRE> block after it.
std::vector<ParsedSounding> read(std::string_view text);

}  // namespace skyloom::sounding::wyoming

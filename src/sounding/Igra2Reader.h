#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "sounding/ImportTypes.h"
#include "sounding/SoundingStream.h"

namespace skyloom::core { class LineReader; }

namespace skyloom::sounding::igra2 {

// True when the text looks like IGRA version 2 sounding data (a "#" header line
// with the station id and date in their columns).
bool looksLike(std::string_view text);

// Reads every sounding of an IGRA v2 data file: pressure in pascals, heights in
// metres above sea level, temperatures in tenths of a degree, winds in tenths of
// m/s; -9999 missing and -8888 removed. The station's elevation is the height of
// its surface level (the last one found when a sounding reports none).
std::vector<ParsedSounding> read(std::string_view text);
// The same, sounding by sounding from a stream of lines.
std::unique_ptr<SoundingStream> stream(core::LineReader& lines);

// The read problem of a sounding whose station id is not WMO-based (ICAO, WBAN,
// ship or constructed ids): the import may still learn its station elsewhere.
inline constexpr const char* kNoWmoInId = "No WMO number in station id.";

}  // namespace skyloom::sounding::igra2

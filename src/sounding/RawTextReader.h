#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sounding/ImportTypes.h"
#include "sounding/SoundingStream.h"

namespace skyloom::core { class LineReader; }

namespace skyloom::sounding {

// Reader of the radiosonde text format with line types 254, 1, 2, 3 and data
// lines 4 to 9 (fixed 7-character columns, "32767" or "99999" for missing).
namespace rawtext {

using Fields = std::array<std::string, 7>;

// The lines of a text: split at line feeds, a carriage return before one removed.
std::vector<std::string_view> lines(std::string_view text);

// The file's missing-value marker: "32767" when the header lines of the first
// sounding hold that text, otherwise "99999".
std::string missingMarker(std::string_view text);

// Splits one line (without its line end) into the seven fields: a type-3 line in
// fixed 7-character columns, every other line at runs of blanks, a type-1 line
// after a blank was put behind its 29th character. A line holding a control
// character gives the marker in every field.
Fields splitLine(std::string_view line, std::string_view marker);

// True when columns 1 to 7 of the line hold the type 254 that starts a sounding.
bool startsSounding(std::string_view line);

// Reads every sounding of the text. Lines before the first sounding are ignored.
std::vector<ParsedSounding> read(std::string_view text);

// The same, sounding by sounding from a stream of lines; the missing-value
// marker is taken from the stream's first chunk.
std::unique_ptr<SoundingStream> stream(core::LineReader& lines);

}  // namespace rawtext
}  // namespace skyloom::sounding

#pragma once

#include <memory>
#include <string_view>

#include "sounding/ImportTypes.h"

namespace skyloom::core { class LineReader; }

namespace skyloom::sounding {

enum class SourceFormat { RawText, Igra2, Wyoming };

// Which reader a text needs, from its beginning (the first chunk of a file is enough).
SourceFormat detectFormat(std::string_view beginning);

// The soundings of a text one after the other, read as the lines come, so that a
// file of any length is read in bounded memory.
class SoundingStream {
public:
    virtual ~SoundingStream() = default;
    // The next sounding into s (its buffers are reused); false after the last.
    // Throws core::SourceDamaged when the bytes cannot be read on.
    virtual bool next(ParsedSounding& s) = 0;
};

// A reader of the format the stream's beginning shows.
std::unique_ptr<SoundingStream> openSoundingStream(core::LineReader& lines);
std::unique_ptr<SoundingStream> openSoundingStream(core::LineReader& lines, SourceFormat format);

namespace textfields {

// Reads a whole number as the typed numbers of a file are read: an optional "+"
// or "-" and digits, nothing else.
bool toInteger(std::string_view s, long long& out);
// A plain decimal number ("12", "-3.5", "1e3"); false for anything else.
bool toNumber(std::string_view s, double& out);
// s without blanks (space, tab, CR, LF) at either end.
std::string_view trimmed(std::string_view s);

}  // namespace textfields

}  // namespace skyloom::sounding

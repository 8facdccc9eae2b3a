#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sounding/ImportTypes.h"

namespace skyloom::core { class MainDatabase; }

namespace skyloom::sounding {

// Which station the soundings of one file belong to, and whether the file holds
// soundings at all. Real archives name their files by station id or by date
// ("USM00072518-data.txt", "90010100.alb"), so the file itself names its station
// when its name does not begin with one.

// The number a file name begins with when digits and a blank begin it, the blank
// within the first 8 characters ("72518 Albany.txt"); none otherwise.
std::optional<long> numberAtNameStart(std::string_view path);

// A number the WMO could have given a station: block 01 to 99, station 000 to 999.
bool plausibleWmo(long number);

// Soundings of IGRA ids that carry no WMO number get the number the station list
// knows their station by: the call letters of an ICAO-based id, the WBAN number
// of a WBAN-based id, when exactly one station of the list has it.
void resolveStationIds(std::vector<ParsedSounding>& soundings, core::MainDatabase& db);

// The distinct station numbers the soundings name, in order of first appearance.
std::vector<long> stationsNamed(const std::vector<ParsedSounding>& soundings);

// Why the bytes of a file that gave no sounding hold none: empty, UTF-16, not
// text, or text of no format the import reads. One clause, no full stop.
std::string noSoundingsReason(std::string_view bytes);

// True for UTF-16 text (a byte-order mark, or a NUL beside every ASCII character).
bool looksUtf16(std::string_view bytes);

struct FileStation {
    long wmo = 0;            // the station to import into; 0 when refused
    std::string refusal;     // one line naming the file and why, when refused
};

// The station of a file's soundings: given by the caller, else the number the
// file's name begins with, else the one station the soundings name. Refused (no
// station file is made): a number that is neither a known station nor a plausible
// WMO number, a file that names several stations or none ("Need WMO at start with
// space after it, rename it."), and a file none of whose soundings is of the
// station. Soundings whose id carries no WMO number are taken as the station's
// when the caller or the name gave it. db, when given, is the station list.
FileStation chooseFileStation(const std::string& path, std::optional<long> given,
                              std::vector<ParsedSounding>& soundings, core::MainDatabase* db);

}  // namespace skyloom::sounding

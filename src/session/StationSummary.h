#pragma once

#include <optional>
#include <string>

namespace skyloom::core {
class MainDatabase;
class StationIndex;
}  // namespace skyloom::core

namespace skyloom::session {

// Shown under the site selector while no station with data is selected.
constexpr const char* kNoStationPrompt =
    "Select a sounding site for which there is data to view using the dropdown arrow above!";

// The information text of a station with data, as the data-sites list shows it:
// "<name>, <country> <region> from dd-mmm-yyyy to dd-mmm-yyyy ALL n yrs of yy-yy with 00000 soundings,
// 000000 data points, 0.0% ignored and g% gaps." then blanks to 200 characters and the hidden key
// "lat, lon#wmo". subRange puts five blanks in place of " ALL ". nullopt when the
// station has no data on this computer.
std::optional<std::string> stationSummary(core::MainDatabase& db, long wmo, bool subRange = false);

}  // namespace skyloom::session

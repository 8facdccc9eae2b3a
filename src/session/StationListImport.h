#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skyloom::core { class Prompter; class MainDatabase; }

namespace skyloom::session {

// Replaces the station table from a station list text ("<OPTION>" lines or an
// IGRA v2 station list). The whole list is read first; only when it holds
// stations are the old rows, all but those of stations with data on this
// computer, replaced by it, in one transaction. Returns the number of stations
// read; 0 leaves the table as it was.
int importStationListText(core::MainDatabase& db, std::string_view text);

// Why a station list text cannot replace the station table ("is empty", "holds
// no stations", ...), or nullopt when it holds stations.
std::optional<std::string> stationListProblem(std::string_view text);

// Line breaks made carriage return plus line feed, in one pass.
std::string withCrLfLineBreaks(std::string_view text);

// The station list import: reads the list at address (a local path or a
// "file://" address), checks it, keeps a copy as "Stations.txt" in the program
// folder (written whole) and rebuilds the station table from it. Returns the
// number of stations read, or -1 after telling the user why the list was left
// as it was.
int importStationListFrom(core::MainDatabase& db, const std::string& address, core::Prompter& prompter);

}  // namespace skyloom::session

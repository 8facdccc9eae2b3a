#pragma once

#include <functional>
#include <string>
#include <vector>

namespace skyloom::core { class Prompter; class MainDatabase; class Progress; }

namespace skyloom::session {

// The program folder, always ending in "/".
std::string ensureTrailingSlash(std::string dir);
// $XDG_DATA_HOME/skyloom/, else ~/.local/share/skyloom/.
std::string defaultProgramFolder();
// Folder of the program's own data files (default station list, countries, supplied
// generators, real samples): $SKYLOOM_DATA_DIR, else ../share/skyloom beside the
// executable (or share/skyloom in a build tree).
std::string programDataFolder();

// The installer's job: creates the folder, "Skyloom.dat" with the whole schema,
// "empty.dat", the folder `data`, the countries and the default station list, then
// the supplied generators, the demo soundings and the order inventory. Returns false (and says so) when the folder already
// holds a main database: nothing is changed then.
bool initProgramFolder(const std::string& appDir, core::Prompter& prompter, core::Progress& progress);

// Replaces the station table from a station list text ("<OPTION>" lines or an
// IGRA v2 station list), keeping the stations that have data on this computer.
// Returns the number of stations read.
int importStationListText(core::MainDatabase& db, const std::string& text);

// The station list import: reads the list at address (a local path or a
// "file://" address), keeps a copy as "Stations.txt" in the program folder and
// rebuilds the station table from it. Returns the number of stations read, or
// -1 after telling the user why the list could not be read.
int importStationListFrom(core::MainDatabase& db, const std::string& address, core::Prompter& prompter);

}  // namespace skyloom::session

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

}  // namespace skyloom::session

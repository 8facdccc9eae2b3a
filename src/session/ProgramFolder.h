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

// What the set-up of a program folder did; true only when it set the folder up now.
struct InitResult {
    enum Kind { SetUp, AlreadySetUp, Failed } kind;
    InitResult(Kind k) : kind(k) {}
    explicit operator bool() const { return kind == SetUp; }
    bool operator==(Kind k) const { return kind == k; }
};

// The installer's job: creates the folder, "Skyloom.dat" with the whole schema,
// "empty.dat", the folder `data`, the countries and the default station list, then
// the supplied generators, the demo soundings and the order inventory. Every
// file is written whole, so a set-up killed at any moment is done again by the
// next one. A folder that already holds a main database is checked instead:
// a damaged database is reported (Failed) and a damaged or missing "empty.dat"
// made again; the rest is left as it is (AlreadySetUp). Failed also when the
// folder cannot be made or another run holds it; every outcome but SetUp says so.
InitResult initProgramFolder(const std::string& appDir, core::Prompter& prompter, core::Progress& progress);

}  // namespace skyloom::session

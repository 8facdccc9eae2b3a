#pragma once

#include <string>
#include <vector>

namespace SQLite {
class Database;
}

namespace skyloom::session {

// The table of supplied generators the program carries: the published turbine
// library reduced to generator records (library-generators.csv in the program's
// data folder).
std::string libraryTablePath();

// Gives a main database every library generator it was not given before (a new
// folder all of them, an older folder the ones added since), leaving the user's
// own generators and saved analyses as they are. Returns the number added;
// throws std::runtime_error naming the table when it cannot be read.
int giveLibraryGenerators(SQLite::Database& db);

// One entry of a generator list: the name and, for a supplied library curve, its
// class, rotor diameter, curve type and the whole facts (empty otherwise).
struct GeneratorListEntry {
    std::string name;
    std::string turbineClass;
    std::string rotor;        // "126 m"
    std::string curveType;
    std::string facts;
};
std::vector<GeneratorListEntry> generatorListEntries(SQLite::Database& db, const std::vector<std::string>& names);

}  // namespace skyloom::session

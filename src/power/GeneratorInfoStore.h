#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "power/LibraryGenerators.h"

namespace SQLite {
class Database;
}

namespace skyloom::power {

// The table `generatorinfo` of the main database: the facts of each library
// curve this folder was given (class, rotor, source file, the full curve ...),
// one row per generator name. A row stays when its generator is removed, so a
// curve the user removed is not given again. Folders made before the table
// existed gain it on their next start.
class GeneratorInfoStore {
public:
    explicit GeneratorInfoStore(SQLite::Database& db);

    void ensureTable();
    // The facts of the curve given under this name (compared without regard to case).
    std::optional<GeneratorInfo> find(std::string_view name) const;
    // The facts shown for a generator: only a supplied one (OrgData set) carries them.
    std::optional<GeneratorInfo> factsOf(const GeneratorRecord& g) const;
    std::vector<std::string> names() const;
    void add(const GeneratorInfo& info);

private:
    SQLite::Database& db_;
};

// Gives the folder every library generator it was not given before: the
// generator is added with OrgData set unless a generator or a saved analysis
// already uses its name (the user's own curves and analyses stay as they are),
// and its facts are recorded either way. All in one transaction; returns the
// number of generators added.
int installLibraryGenerators(SQLite::Database& db, const std::vector<LibraryGenerator>& library);

}  // namespace skyloom::power

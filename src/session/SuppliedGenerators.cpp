#include "session/SuppliedGenerators.h"

#include <set>
#include <stdexcept>

#include "core/Formats.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "power/GeneratorInfoStore.h"
#include "power/GeneratorStore.h"
#include "power/LibraryGenerators.h"
#include "session/ProgramFolder.h"

namespace skyloom::session {

std::string libraryTablePath() { return programDataFolder() + "library-generators.csv"; }

int giveLibraryGenerators(SQLite::Database& db) {
    const std::string path = libraryTablePath();
    const auto text = core::readPlainOrGzip(path);
    if (!text || text->empty()) throw std::runtime_error("the supplied generator table '" + path + "' cannot be read");
    // At most starts the folder has every curve already: look at the names first.
    std::set<std::string> given;
    for (const std::string& n : power::GeneratorInfoStore(db).names()) given.insert(core::toUpper(n));
    bool lacking = false;
    for (const std::string& n : power::libraryTableNames(*text)) lacking = lacking || !given.count(core::toUpper(n));
    if (!lacking) return 0;
    std::vector<power::LibraryGenerator> library;
    try {
        library = power::parseLibraryTable(*text);
    } catch (const std::exception& e) {
        throw std::runtime_error("the supplied generator table '" + path + "', " + e.what());
    }
    return power::installLibraryGenerators(db, library);
}

std::vector<GeneratorListEntry> generatorListEntries(SQLite::Database& db, const std::vector<std::string>& names) {
    power::GeneratorStore store(db);
    power::GeneratorInfoStore info(db);
    std::vector<GeneratorListEntry> out;
    for (const std::string& name : names) {
        GeneratorListEntry e;
        e.name = name;
        const auto g = store.findByName(name);
        if (const auto f = g ? info.factsOf(*g) : std::nullopt) {
            e.turbineClass = f->turbineClass;
            if (f->rotorMetres > 0) e.rotor = core::formatPlain(f->rotorMetres) + " m";
            e.curveType = f->curveType;
            e.facts = power::factsSentence(*f);
        }
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace skyloom::session

#include "power/GeneratorInfoStore.h"

#include <set>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "core/Text.h"
#include "power/GeneratorStore.h"

namespace skyloom::power {

namespace {

constexpr const char* kColumns =
    "Name, Source, Class, Origin, CurveType, RatedKW, RotorDiameter, HubHeight, HubRule, CutOutMs, CutOutRule, "
    "EnergyError, FullCurve";

GeneratorInfo infoFrom(SQLite::Statement& q) {
    GeneratorInfo i;
    auto text = [&q](int c) { return q.getColumn(c).isNull() ? std::string() : q.getColumn(c).getString(); };
    auto number = [&q](int c) { return q.getColumn(c).isNull() ? 0.0 : q.getColumn(c).getDouble(); };
    i.name = text(0);
    i.source = text(1);
    i.turbineClass = text(2);
    i.origin = text(3);
    i.curveType = text(4);
    i.ratedKW = number(5);
    i.rotorMetres = number(6);
    i.hubMetres = number(7);
    i.hubRule = text(8);
    i.cutOutMs = number(9);
    i.cutOutRule = text(10);
    i.largestError = number(11);
    i.fullCurveMs = parseCurvePairs(text(12));
    return i;
}

}  // namespace

GeneratorInfoStore::GeneratorInfoStore(SQLite::Database& db) : db_(db) {}

void GeneratorInfoStore::ensureTable() {
    db_.exec(
        "CREATE TABLE IF NOT EXISTS generatorinfo (Name TEXT PRIMARY KEY COLLATE NOCASE, Source TEXT, Class TEXT, "
        "Origin TEXT, CurveType TEXT, RatedKW REAL, RotorDiameter REAL, HubHeight REAL, HubRule TEXT, CutOutMs REAL, "
        "CutOutRule TEXT, EnergyError REAL, FullCurve TEXT)");
}

std::optional<GeneratorInfo> GeneratorInfoStore::find(std::string_view name) const {
    if (!db_.tableExists("generatorinfo")) return std::nullopt;
    SQLite::Statement q(db_, std::string("SELECT ") + kColumns + " FROM generatorinfo WHERE Name = ?");
    q.bind(1, std::string(name));
    if (!q.executeStep()) return std::nullopt;
    return infoFrom(q);
}

std::optional<GeneratorInfo> GeneratorInfoStore::factsOf(const GeneratorRecord& g) const {
    if (g.orgData == 0) return std::nullopt;
    return find(g.name);
}

std::vector<std::string> GeneratorInfoStore::names() const {
    std::vector<std::string> out;
    if (!db_.tableExists("generatorinfo")) return out;
    SQLite::Statement q(db_, "SELECT Name FROM generatorinfo");
    while (q.executeStep()) out.push_back(q.getColumn(0).getString());
    return out;
}

void GeneratorInfoStore::add(const GeneratorInfo& i) {
    SQLite::Statement q(db_, std::string("INSERT INTO generatorinfo (") + kColumns +
                                 ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.bind(1, i.name);
    q.bind(2, i.source);
    q.bind(3, i.turbineClass);
    q.bind(4, i.origin);
    q.bind(5, i.curveType);
    q.bind(6, i.ratedKW);
    q.bind(7, i.rotorMetres);
    q.bind(8, i.hubMetres);
    q.bind(9, i.hubRule);
    q.bind(10, i.cutOutMs);
    q.bind(11, i.cutOutRule);
    q.bind(12, i.largestError);
    q.bind(13, curvePairsText(i.fullCurveMs));
    q.exec();
}

int installLibraryGenerators(SQLite::Database& db, const std::vector<LibraryGenerator>& library) {
    GeneratorInfoStore info(db);
    info.ensureTable();
    std::set<std::string> given;
    for (const std::string& n : info.names()) given.insert(core::toUpper(n));
    bool anyNew = false;
    for (const LibraryGenerator& g : library) anyNew = anyNew || !given.count(core::toUpper(g.info.name));
    if (!anyNew) return 0;

    SQLite::Transaction tx(db);
    GeneratorStore generators(db);
    int added = 0;
    for (const LibraryGenerator& g : library) {
        if (!given.insert(core::toUpper(g.info.name)).second) continue;
        if (!generators.findByName(g.record.name) && !generators.nameInAnalyses(g.record.name)) {
            GeneratorRecord r = g.record;
            generators.add(r);
            ++added;
        }
        info.add(g.info);
    }
    tx.commit();
    return added;
}

}  // namespace skyloom::power

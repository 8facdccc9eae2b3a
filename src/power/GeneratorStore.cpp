#include "power/GeneratorStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "core/Text.h"

namespace skyloom::power {

namespace {

std::string columnList(bool datapoints, int from) {
    std::string s;
    for (int pos = from; pos < kGeneratorColumnCount; ++pos) {
        if (pos > from) s += ", ";
        const auto& cols = datapoints ? core::kDatapointGeneratorColumns : core::kGeneratorColumns;
        s += '"' + std::string(cols[static_cast<std::size_t>(pos)].name) + '"';
    }
    return s;
}

// Reads columns 1..30 starting at result column `first` (name first, then the numbers).
GeneratorRecord recordFrom(SQLite::Statement& q, int first) {
    GeneratorRecord g;
    g.name = q.getColumn(first).getString();
    for (int pos = 2; pos < kGeneratorColumnCount; ++pos) {
        const auto c = q.getColumn(first + pos - 1);
        g.setColumn(pos, c.isNull() ? 0.0 : c.getDouble());
    }
    return g;
}

void bindBlock(SQLite::Statement& q, const GeneratorRecord& g) {
    q.bind(1, g.name);
    for (int pos = 2; pos < kGeneratorColumnCount; ++pos) q.bind(pos, g.column(pos));
}

const std::string kSelectGenerator = "SELECT ID, " + columnList(false, 1) + " FROM generators ";

std::optional<GeneratorRecord> one(SQLite::Statement& q) {
    if (!q.executeStep()) return std::nullopt;
    GeneratorRecord g = recordFrom(q, 1);
    g.id = q.getColumn(0).getInt64();
    return g;
}

}  // namespace

std::string copyBase(std::string_view name) {
    const auto tilde = name.find('~');
    return std::string(tilde == std::string_view::npos ? name : name.substr(0, tilde));
}

GeneratorStore::GeneratorStore(SQLite::Database& db) : db_(db) {}

std::vector<std::string> GeneratorStore::namesTallestFirst() const {
    SQLite::Statement q(db_, "SELECT Name FROM generators ORDER BY height DESC, ID");
    std::vector<std::string> names;
    while (q.executeStep()) names.push_back(q.getColumn(0).getString());
    return names;
}

bool GeneratorStore::empty() const {
    SQLite::Statement q(db_, "SELECT 1 FROM generators LIMIT 1");
    return !q.executeStep();
}

std::optional<GeneratorRecord> GeneratorStore::findByName(std::string_view name) const {
    SQLite::Statement q(db_, kSelectGenerator + "WHERE Name = ? COLLATE NOCASE ORDER BY ID LIMIT 1");
    q.bind(1, std::string(name));
    return one(q);
}

std::optional<GeneratorRecord> GeneratorStore::findById(long long id) const {
    SQLite::Statement q(db_, kSelectGenerator + "WHERE ID = ?");
    q.bind(1, static_cast<int64_t>(id));
    return one(q);
}

std::optional<GeneratorRecord> GeneratorStore::first() const {
    SQLite::Statement q(db_, kSelectGenerator + "ORDER BY ID LIMIT 1");
    return one(q);
}

void GeneratorStore::add(GeneratorRecord& g) {
    std::string marks;
    for (int pos = 1; pos < kGeneratorColumnCount; ++pos) marks += pos > 1 ? ", ?" : "?";
    SQLite::Statement q(db_, "INSERT INTO generators (" + columnList(false, 1) + ") VALUES (" + marks + ")");
    bindBlock(q, g);
    q.exec();
    g.id = db_.getLastInsertRowid();
}

void GeneratorStore::update(const GeneratorRecord& g) {
    std::string sets;
    for (int pos = 1; pos < kGeneratorColumnCount; ++pos) {
        if (pos > 1) sets += ", ";
        sets += '"' + std::string(core::kGeneratorColumns[static_cast<std::size_t>(pos)].name) + "\" = ?";
    }
    SQLite::Statement q(db_, "UPDATE generators SET " + sets + " WHERE ID = ?");
    bindBlock(q, g);
    q.bind(kGeneratorColumnCount, static_cast<int64_t>(g.id));
    q.exec();
}

void GeneratorStore::remove(long long id) {
    SQLite::Statement q(db_, "DELETE FROM generators WHERE ID = ?");
    q.bind(1, static_cast<int64_t>(id));
    q.exec();
}

bool GeneratorStore::haveAnalyses() const { return db_.tableExists("datapoints"); }

int GeneratorStore::curveUsedInAnalysis(std::string_view name, const GeneratorRecord& g, long long exceptKey) const {
    if (!haveAnalyses()) return 0;
    SQLite::Statement q(db_, "SELECT " + columnList(true, 1) +
                                 " FROM datapoints WHERE genname = ? COLLATE NOCASE AND key <> ? ORDER BY key");
    q.bind(1, std::string(name));
    q.bind(2, static_cast<std::int64_t>(exceptKey));
    int flag = 0;
    while (q.executeStep()) {
        flag = -1;
        const GeneratorRecord a = recordFrom(q, 0);
        for (int pos = 2; pos < kGeneratorColumnCount; ++pos) {
            if (pos == kColMaxKW || pos == kColOrgData) continue;
            if (a.column(pos) != g.column(pos)) return -2;
        }
    }
    return flag;
}

std::optional<GeneratorRecord> GeneratorStore::curveFromAnalysis(std::string_view name) const {
    if (!haveAnalyses()) return std::nullopt;
    SQLite::Statement q(db_, "SELECT " + columnList(true, 1) +
                                 " FROM datapoints WHERE genname = ? COLLATE NOCASE ORDER BY key LIMIT 1");
    q.bind(1, std::string(name));
    if (!q.executeStep()) return std::nullopt;
    return recordFrom(q, 0);
}

void GeneratorStore::renameInAnalyses(std::string_view oldName, std::string_view newName) {
    if (!haveAnalyses()) return;
    SQLite::Statement q(db_, "UPDATE datapoints SET genname = ? WHERE genname = ? COLLATE NOCASE");
    q.bind(1, std::string(newName));
    q.bind(2, std::string(oldName));
    q.exec();
}

bool GeneratorStore::nameInAnalyses(std::string_view name) const {
    if (!haveAnalyses()) return false;
    SQLite::Statement q(db_, "SELECT 1 FROM datapoints WHERE genname = ? COLLATE NOCASE LIMIT 1");
    q.bind(1, std::string(name));
    return q.executeStep();
}

int GeneratorStore::nextCopyNumber(std::string_view name) const {
    const std::string base = copyBase(name);
    for (int n = 1;; ++n) {
        const std::string candidate = base + "~" + std::to_string(n);
        if (!findByName(candidate) && !nameInAnalyses(candidate)) return n;
    }
}

}  // namespace skyloom::power

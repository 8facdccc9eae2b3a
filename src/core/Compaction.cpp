#include "core/Compaction.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include <SQLiteCpp/SQLiteCpp.h>

#include "core/DatabaseFile.h"
#include "core/WholeFile.h"

namespace fs = std::filesystem;

namespace skyloom::core {

namespace {

constexpr const char* kCompacting = "compacting";

using RowCounts = std::vector<std::pair<std::string, std::int64_t>>;

std::string quotedName(const std::string& name) {
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

RowCounts rowCounts(SQLite::Database& db) {
    std::vector<std::string> tables;
    SQLite::Statement names(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                                "ORDER BY name");
    while (names.executeStep()) tables.push_back(names.getColumn(0).getString());
    RowCounts counts;
    for (const auto& t : tables)
        counts.emplace_back(t, db.execAndGet("SELECT count(*) FROM " + quotedName(t)).getInt64());
    return counts;
}

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
    fs::remove(p.string() + "-journal", ec);
}

}  // namespace

std::string compactFile(const std::string& path, Prompter& prompter, const FreeSpaceSource& freeSpace) {
    if (!fileExists(path)) return {};
    if (!ensureSpaceFor(fileSize(path), path, prompter, freeSpace))
        return "there is not enough free space on the disk for its compacted copy";
    fs::path copy;
    try {
        copy = makeTemporaryBeside(path, kCompacting);
        RowCounts counts;
        {
            SQLite::Database db = openGuardedDatabase(path, false);
            counts = rowCounts(db);
            SQLite::Statement vacuum(db, "VACUUM INTO ?");
            vacuum.bind(1, copy.string());
            vacuum.exec();
        }
        {
            SQLite::Database compacted = openGuardedDatabase(copy.string(), false);
            const std::string verdict = compacted.execAndGet("PRAGMA integrity_check(1)").getString();
            if (verdict != "ok") throw std::runtime_error("the compacted copy failed its check (" + verdict + ")");
            if (rowCounts(compacted) != counts)
                throw std::runtime_error("the compacted copy does not hold every row of the file");
        }
        replaceWithWhole(copy, path);
    } catch (const std::exception& e) {
        if (!copy.empty()) removeQuietly(copy);
        return e.what();
    }
    return {};
}

void recoverInterruptedCompaction(const std::string& path) {
    const std::string backup = path + "x";
    if (!fileExists(backup)) return;
    std::error_code ec;
    if (fileExists(path) && databaseFileProblem(path, {}).empty()) {
        fs::remove(backup, ec);
        return;
    }
    // The file is missing, or it is the part of a copy that never finished.
    if (databaseFileProblem(backup, {}).empty()) fs::rename(backup, path, ec);
}

void clearCompactionLeftovers(const std::string& path) {
    const fs::path folder = fs::absolute(path).parent_path();
    clearTemporariesIn(folder);
    removeQuietly(folder / "temp.mdb");
}

}  // namespace skyloom::core

#include "core/MainDatabase.h"

#include <stdexcept>

#include <SQLiteCpp/Statement.h>

#include "core/Compaction.h"
#include "core/DatabaseFile.h"
#include "core/FileOps.h"
#include "core/MainSchema.h"
#include "core/Prompter.h"

namespace skyloom::core {

MainDatabase::MainDatabase(std::string appDir) : appDir_(std::move(appDir)) {}
MainDatabase::~MainDatabase() = default;

bool MainDatabase::open(Prompter& prompter) {
    close();
    const std::string file = path();
    recoverInterruptedCompaction(file);
    if (!fileExists(file)) {
        prompter.message("The file '" + file + "' is missing.");
        return false;
    }
    try {
        auto db = std::make_unique<SQLite::Database>(openGuardedDatabase(file, false));
        // A database of another program opens but lacks our tables.
        if (!db->tableExists("urls") || !db->tableExists("datapoints"))
            throw SQLite::Exception("not a Skyloom main database (tables missing)", 26);
        db_ = std::move(db);
    } catch (const std::exception& e) {
        prompter.message(databaseErrorText(e, appDir_));
        return false;
    }
    return true;
}

void MainDatabase::close() { db_.reset(); }

SQLite::Database& MainDatabase::db() {
    if (!db_) throw std::logic_error("main database is not open");
    return *db_;
}

MainDatabase::RepairResult MainDatabase::repair(Prompter& prompter, const FreeSpaceSource& freeSpace) {
    close();
    clearCompactionLeftovers(path());
    const std::string problem = compactFile(path(), prompter, freeSpace);
    if (!open(prompter)) return RepairResult::NotOpen;
    if (problem.empty()) return RepairResult::Done;
    prompter.message("The data structure was not repaired: " + problem + ". The file '" + path() +
                     "' was left as it was.");
    return RepairResult::NotDone;
}

void MainDatabase::create(const std::string& path) {
    SQLite::Database db = openGuardedDatabase(path, true);
    createMainSchema(db);
}

}  // namespace skyloom::core

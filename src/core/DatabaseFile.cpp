#include "core/DatabaseFile.h"

#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include "core/FileOps.h"
#include "core/HeaderGuard.h"

namespace skyloom::core {

SQLite::Database openGuardedDatabase(const std::string& path, bool create) {
    registerGuardVfs();
    recoverInterruptedCompaction(path);
    if (fileExists(path)) {
        if (fileSize(path) == 0 && !create)
            throw SQLite::Exception("file is empty, not a database", 26);
        guardHeader(path);
    }
    // Each connection is used by one thread only, so the engine need not lock it per call.
    int flags = SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX | (create ? SQLite::OPEN_CREATE : 0);
    SQLite::Database db(path, flags, 5000, kGuardVfsName);
    // Forces the engine to read and check the header now.
    db.exec("SELECT count(*) FROM sqlite_master");
    db.exec("PRAGMA journal_mode=DELETE");
    // A killed program never leaves a torn file in this mode (the journal is
    // still written before the file); only a power cut at the wrong moment is
    // not guarded against. Full flushing made every analysis save wait ~20 ms.
    db.exec("PRAGMA synchronous=NORMAL");
    db.exec("PRAGMA foreign_keys=OFF");
    return db;
}

std::string databaseErrorText(const std::exception& e) {
    int code = 0;
    if (auto* se = dynamic_cast<const SQLite::Exception*>(&e)) code = se->getErrorCode();
    return "Database Error = " + std::to_string(code) + " " + e.what();
}

}  // namespace skyloom::core

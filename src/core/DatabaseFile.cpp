#include "core/DatabaseFile.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <sqlite3.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include "core/FileOps.h"
#include "core/HeaderGuard.h"

namespace skyloom::core {

namespace {
std::atomic<int> g_busyTimeout{3000};

// Waits for another program's lock in short, even steps: the engine's own wait
// sleeps longer and longer and can miss every moment a busy writer lets go.
int waitForLock(void*, int tries) {
    constexpr int kStepMs = 2;
    if (tries * kStepMs >= g_busyTimeout.load()) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    return 1;
}
}  // namespace

void setBusyTimeout(int milliseconds) { g_busyTimeout = milliseconds; }
int busyTimeout() { return g_busyTimeout; }

SQLite::Database openGuardedDatabase(const std::string& path, bool create) {
    registerGuardVfs();
    if (fileExists(path)) {
        if (fileSize(path) == 0 && !create)
            throw SQLite::Exception("file is empty, not a database", 26);
        guardHeader(path);
    }
    // Each connection is used by one thread only, so the engine need not lock it per call.
    int flags = SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX | (create ? SQLite::OPEN_CREATE : 0);
    SQLite::Database db(path, flags, 0, kGuardVfsName);
    sqlite3_busy_handler(db.getHandle(), waitForLock, nullptr);
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

std::string databaseFileProblem(const std::string& path, const std::vector<std::string>& tables) {
    if (!fileExists(path)) return "the file is missing";
    try {
        SQLite::Database db = openGuardedDatabase(path, false);
        SQLite::Statement check(db, "PRAGMA integrity_check(1)");
        if (check.executeStep()) {
            const std::string verdict = check.getColumn(0).getString();
            if (verdict != "ok") return "the database is damaged (" + verdict + ")";
        }
        for (const auto& t : tables)
            if (!db.tableExists(t)) return "the table '" + t + "' is missing";
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

std::string databaseErrorText(const std::exception& e) {
    int code = 0;
    if (auto* se = dynamic_cast<const SQLite::Exception*>(&e)) code = se->getErrorCode();
    return "Database Error = " + std::to_string(code) + " " + e.what();
}

bool isLockedError(const std::exception& e) {
    auto* se = dynamic_cast<const SQLite::Exception*>(&e);
    if (!se) return false;
    const int code = se->getErrorCode() & 0xff;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

std::string databaseErrorText(const std::exception& e, const std::string& appDir) {
    std::string text = databaseErrorText(e);
    if (isLockedError(e))
        text += ": another program is using the program folder '" + appDir +
                "'. Wait until it has finished, or close it, and try again.";
    return text;
}

std::string failureText(const std::exception& e, const std::string& appDir) {
    if (dynamic_cast<const SQLite::Exception*>(&e)) return databaseErrorText(e, appDir);
    return e.what();
}

}  // namespace skyloom::core

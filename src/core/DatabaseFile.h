#pragma once

#include <string>
#include <vector>

#include <SQLiteCpp/Database.h>

namespace skyloom::core {

// Opens one of the program's database files through the guarded file layer.
// A file found with a plain header (left so by an interrupted tool, or unguarded
// by the user to look inside) is guarded first. With create set, a missing file
// is created (guarded from its first write). The open reads the header at once,
// so a file that is not a database throws here, not at the first query.
SQLite::Database openGuardedDatabase(const std::string& path, bool create);

// How long an open database waits for another program's work on the file to end
// before it gives up with "database is locked". The windows wait a short while
// (a person waits with them); the command line, where no one waits, longer.
void setBusyTimeout(int milliseconds);
int busyTimeout();

// What is wrong with one of the program's database files, or empty when it is
// whole: it opens, the engine's integrity check finds nothing wrong and it holds
// every one of the named tables.
std::string databaseFileProblem(const std::string& path, const std::vector<std::string>& tables);

// "Database Error = " + number + " " + description, for an exception from the engine.
std::string databaseErrorText(const std::exception& e);
// True for the engine's "database is locked" and "database table is locked".
bool isLockedError(const std::exception& e);
// The same text, and for a locked database also what it means: another program
// is using the program folder appDir, and what to do.
std::string databaseErrorText(const std::exception& e, const std::string& appDir);
// For any failure: the database text above for an engine error, else the failure's own text.
std::string failureText(const std::exception& e, const std::string& appDir);

}  // namespace skyloom::core

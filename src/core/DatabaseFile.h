#pragma once

#include <string>

#include <SQLiteCpp/Database.h>

namespace skyloom::core {

// Opens one of the program's database files through the guarded file layer.
// A file found with a plain header (left so by an interrupted tool, or unguarded
// by the user to look inside) is guarded first. With create set, a missing file
// is created (guarded from its first write). The open reads the header at once,
// so a file that is not a database throws here, not at the first query.
SQLite::Database openGuardedDatabase(const std::string& path, bool create);

// "Database Error = " + number + " " + description, for an exception from the engine.
std::string databaseErrorText(const std::exception& e);

}  // namespace skyloom::core

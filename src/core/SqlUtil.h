#pragma once

#include <string>

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace skyloom::core {

// Binds a value read from another statement, keeping its type (null stays null).
void bindColumn(SQLite::Statement& stmt, int index, const SQLite::Column& value);
// The text of a column; "" for null.
std::string columnText(const SQLite::Column& value);

}  // namespace skyloom::core

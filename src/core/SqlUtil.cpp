#include "core/SqlUtil.h"

namespace skyloom::core {

void bindColumn(SQLite::Statement& stmt, int index, const SQLite::Column& value) {
    if (value.isNull())
        stmt.bind(index);
    else if (value.isInteger())
        stmt.bind(index, value.getInt64());
    else if (value.isFloat())
        stmt.bind(index, value.getDouble());
    else if (value.isBlob())
        stmt.bind(index, value.getBlob(), value.getBytes());
    else
        stmt.bind(index, value.getString());
}

std::string columnText(const SQLite::Column& value) { return value.isNull() ? std::string() : value.getString(); }

}  // namespace skyloom::core

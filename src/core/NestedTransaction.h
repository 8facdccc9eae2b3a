#pragma once

#include <string>

namespace SQLite { class Database; }

namespace skyloom::core {

// A transaction that may open inside another one (an SQL savepoint): the
// outermost one commits at commit(); one left without commit() is undone,
// and the connection is back where it was before it began.
class NestedTransaction {
public:
    NestedTransaction(SQLite::Database& db, std::string name);
    ~NestedTransaction();
    NestedTransaction(const NestedTransaction&) = delete;
    NestedTransaction& operator=(const NestedTransaction&) = delete;

    void commit();

private:
    void endOutermost();

    SQLite::Database& db_;
    std::string name_;
    bool outermost_;
    bool done_ = false;
};

}  // namespace skyloom::core

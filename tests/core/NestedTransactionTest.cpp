#include "core/NestedTransaction.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <SQLiteCpp/Database.h>
#include <sqlite3.h>

using skyloom::core::NestedTransaction;

namespace {
long long count(SQLite::Database& db) { return db.execAndGet("SELECT count(*) FROM t").getInt64(); }
bool inTransaction(SQLite::Database& db) { return sqlite3_get_autocommit(db.getHandle()) == 0; }
}  // namespace

TEST(NestedTransaction, innerWorkIsKeptOnlyWhenTheOuterCommits) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE t (v INTEGER)");
    {
        NestedTransaction outer(db, "outer");
        db.exec("INSERT INTO t VALUES (1)");
        {
            NestedTransaction inner(db, "inner");
            db.exec("INSERT INTO t VALUES (2)");
            inner.commit();
        }
        {
            NestedTransaction failed(db, "inner");
            db.exec("INSERT INTO t VALUES (3)");
        }
        EXPECT_EQ(count(db), 2);
        EXPECT_TRUE(inTransaction(db));
        outer.commit();
    }
    EXPECT_FALSE(inTransaction(db));
    EXPECT_EQ(count(db), 2);
}

TEST(NestedTransaction, anAbandonedOuterOneLeavesNoTransactionOpen) {
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE t (v INTEGER)");
    try {
        NestedTransaction outer(db, "save");
        db.exec("INSERT INTO t VALUES (1)");
        NestedTransaction inner(db, "save");
        db.exec("INSERT INTO t VALUES (2)");
        throw std::runtime_error("fault");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(inTransaction(db));
    EXPECT_EQ(count(db), 0);
}

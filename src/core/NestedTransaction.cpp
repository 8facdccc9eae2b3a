#include "core/NestedTransaction.h"

#include <sqlite3.h>
#include <SQLiteCpp/Database.h>

namespace skyloom::core {

NestedTransaction::NestedTransaction(SQLite::Database& db, std::string name)
    : db_(db), name_(std::move(name)), outermost_(sqlite3_get_autocommit(db.getHandle()) != 0) {
    // The outermost one takes the write lock at once. A transaction that read
    // first and then writes cannot wait for another program's write: the engine
    // gives up at once ("database is locked") rather than risk a deadlock.
    if (outermost_) db_.exec("BEGIN IMMEDIATE");
    try {
        db_.exec("SAVEPOINT \"" + name_ + "\"");
    } catch (...) {
        if (outermost_) db_.exec("ROLLBACK");
        throw;
    }
}

NestedTransaction::~NestedTransaction() {
    if (done_) return;
    try {
        // ROLLBACK TO alone would leave the savepoint, and so the transaction, open.
        db_.exec("ROLLBACK TO SAVEPOINT \"" + name_ + "\"");
        db_.exec("RELEASE SAVEPOINT \"" + name_ + "\"");
    } catch (...) {
        // A full disk or a lost lock may have ended the transaction already.
    }
    endOutermost();
}

void NestedTransaction::endOutermost() {
    if (!outermost_ || sqlite3_get_autocommit(db_.getHandle()) != 0) return;
    try {
        db_.exec("ROLLBACK");
    } catch (...) {
        // A destructor must not throw; the connection reports its own state.
    }
}

void NestedTransaction::commit() {
    db_.exec("RELEASE SAVEPOINT \"" + name_ + "\"");
    done_ = true;
    if (!outermost_) return;
    try {
        db_.exec("COMMIT");
    } catch (...) {
        // Nothing was saved: the connection must not stay inside the transaction.
        endOutermost();
        throw;
    }
}

}  // namespace skyloom::core

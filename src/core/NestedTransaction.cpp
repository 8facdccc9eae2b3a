#include "core/NestedTransaction.h"

#include <SQLiteCpp/Database.h>

namespace skyloom::core {

NestedTransaction::NestedTransaction(SQLite::Database& db, std::string name) : db_(db), name_(std::move(name)) {
    db_.exec("SAVEPOINT \"" + name_ + "\"");
}

NestedTransaction::~NestedTransaction() {
    if (done_) return;
    try {
        // ROLLBACK TO alone would leave the savepoint, and so the transaction, open.
        db_.exec("ROLLBACK TO SAVEPOINT \"" + name_ + "\"");
        db_.exec("RELEASE SAVEPOINT \"" + name_ + "\"");
    } catch (...) {
        // A destructor must not throw; the connection reports its own state.
    }
}

void NestedTransaction::commit() {
    db_.exec("RELEASE SAVEPOINT \"" + name_ + "\"");
    done_ = true;
}

}  // namespace skyloom::core

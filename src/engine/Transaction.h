#pragma once
// The one way an operation runs a transaction: started on construction,
// rolled back on destruction unless committed. Whatever throws between the
// two, the database is left as it was and can take the next operation.
#include "engine/Database.h"

namespace quorvel::engine {

class Transaction {
public:
    explicit Transaction(Database& db, Database::Isolation isolation = Database::Isolation::ReadCommitted)
        : db_(db) {
        db_.startTransaction(isolation);
    }
    ~Transaction() {
        if (open_) db_.rollbackQuietly();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        db_.commit();
        open_ = false;
    }
    // Ends the transaction without its changes, now rather than at the end
    // of the scope (a step that must leave nothing behind before the next).
    void rollback() {
        open_ = false;
        db_.rollbackQuietly();
    }
    bool open() const { return open_; }
    Database& database() { return db_; }

private:
    Database& db_;
    bool open_ = true;
};

}  // namespace quorvel::engine

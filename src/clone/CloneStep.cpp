#include "clone/CloneStep.h"

#include <exception>

namespace quorvel::clone {

namespace {

void rollbackQuietly(engine::Database& db) {
    try {
        if (db.inTransaction()) db.rollback();
    } catch (...) {
        // The original error is the one worth showing; a lost connection
        // fails the rollback as well.
    }
}

}  // namespace

std::optional<std::string> runInTransaction(engine::Database& db, const std::function<void()>& work) {
    bool started = false;
    try {
        db.startTransaction();
        started = true;
        work();
        db.commit();
        return std::nullopt;
    } catch (const std::exception& e) {
        // A transaction that was already open belongs to someone else: leave it.
        if (started) rollbackQuietly(db);
        return std::string(e.what());
    }
}

std::optional<std::string> runGuarded(engine::Database& db, const std::function<void()>& work) {
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& e) {
        rollbackQuietly(db);
        return std::string(e.what());
    }
}

}  // namespace quorvel::clone

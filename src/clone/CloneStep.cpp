#include "clone/CloneStep.h"

#include <exception>

namespace quorvel::clone {

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
        if (started) db.rollbackQuietly();
        return std::string(e.what());
    }
}

std::optional<std::string> runGuarded(engine::Database& db, const std::function<void()>& work) {
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& e) {
        db.rollbackQuietly();
        return std::string(e.what());
    }
}

}  // namespace quorvel::clone

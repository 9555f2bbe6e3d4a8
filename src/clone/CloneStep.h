#pragma once
// One guarded step of a clone operation: its own transaction on one
// database, committed when the work completes and rolled back when it
// throws. The error comes back as the text to show, so the caller decides
// whether to go on.
#include <functional>
#include <optional>
#include <string>

#include "engine/Database.h"

namespace quorvel::clone {

// nullopt when the work ran and was committed; the error's message text when
// it failed (the transaction, if this step started it, is rolled back).
std::optional<std::string> runInTransaction(engine::Database& db, const std::function<void()>& work);

// Runs work that needs no transaction of its own; the error's message text
// when it failed, after rolling back any transaction left open on `db`.
std::optional<std::string> runGuarded(engine::Database& db, const std::function<void()>& work);

}  // namespace quorvel::clone

#pragma once
// Whether the database given as the clone may be turned into a clone. The
// update is meant for a fresh restore of the master, once: run on the master
// itself it would make the master a clone, and run a second time on a copy it
// would move the primary-key generators again, into the next clone's range.
#include <optional>
#include <string>

#include "engine/Database.h"

namespace quorvel::clone {

// nullopt when `clone` is a copy of `master` that has not been updated;
// otherwise the reason to refuse. Throws DbError when either database cannot
// be asked.
std::optional<std::string> updateRefusal(engine::Database& master, engine::Database& clone);

}  // namespace quorvel::clone

#pragma once
// The last part of the clone update: every generator listed in the master's
// R$PKGENS is advanced in the clone by its offset times the clone's number,
// through a temporary procedure R$Update created, run and dropped per
// generator.
#include <cstdint>

#include "engine/Database.h"
#include "operation/Reporter.h"

namespace quorvel::clone {

// Reports each failure and goes on with the next generator. Returns false
// when anything failed on the way.
bool MovePKGenerators(engine::Database& master, engine::Database& clone, int64_t cloneNumber,
                      Reporter& reporter);

}  // namespace quorvel::clone

#pragma once
// The last part of the clone update: every generator listed in R$PKGENS is
// advanced in the clone by its offset times the clone's number, through a
// temporary procedure R$Update created, run and dropped per generator.
#include <cstdint>

#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::clone {

// Reports each failure in a message box and goes on with the next generator.
// Returns false when anything failed on the way.
bool MovePKGenerators(DM& dm, Frontend& ui, int64_t cloneNumber);

}  // namespace quorvel::clone

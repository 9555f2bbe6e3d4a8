#pragma once
// Checks an operation of this folder makes before it changes anything. A
// refusal shows its reason, sets the error status and leaves the database as
// it was.
#include <optional>
#include <string>
#include <vector>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::prepare {

// The name in the R$CLONE row marked ME = "Y": "MASTER" on the master, the
// clone's own name once a copy has been updated, "" while there is no such
// row (no meta structures yet, or a creation that stopped half-way).
std::string Identity(DM& dm);

// Preparation belongs to the master: on a database that has become a clone it
// would arm, list or erase what the master's copies rely on. The outcome
// when refused (or when the identity could not be read), nothing otherwise.
std::optional<Outcome> RefusedOnClone(DM& dm, Frontend& ui);

// The clones registered in R$CLONE, in the order of their numbers.
std::vector<std::string> RegisteredClones(DM& dm);

}  // namespace quorvel::prepare

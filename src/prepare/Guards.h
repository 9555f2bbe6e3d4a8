#pragma once
// Checks an operation of this folder makes before it changes anything. A
// refusal throws quorvel::Refused with its reason and leaves the database as
// it was.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::prepare {

// The name in the R$CLONE row marked ME = "Y": "MASTER" on the master, the
// clone's own name once a copy has been updated, "" while there is no such
// row (no meta structures yet, or a creation that stopped half-way).
std::string Identity(engine::Database& db);

// Preparation belongs to the master: on a database that has become a clone it
// would arm, list or erase what the master's copies rely on. Throws Refused
// there; a database error reading the identity propagates.
void RefuseOnClone(engine::Database& db);

// The clones registered in R$CLONE, in the order of their numbers.
std::vector<std::string> RegisteredClones(engine::Database& db);

}  // namespace quorvel::prepare

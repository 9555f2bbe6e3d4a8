#pragma once
// A restored copy carries the master's history (R$SYNCHRO) and journal
// (R$DELETEDUPDATED). Left so, the clone's first fill would count from the
// master's mark and send back, as the clone's new rows, every master row made
// after it, together with the master's own journal entries. The clone starts
// its own history instead.
#include "clone/CloneRange.h"
#include "engine/Database.h"

namespace quorvel::clone {

// On `clone`, inside the caller's transaction: adds the history row that
// marks `lastCodeBeforeClone` (the record-code generators as the update has
// just set them, so the clone's first row lies above it), numbered one above
// the inherited rows and dated today, and empties the inherited journal.
// The journal's entries are the master's own changes, which it sends itself.
void startOwnHistory(engine::Database& clone, RecordCodeStart lastCodeBeforeClone);

}  // namespace quorvel::clone

#pragma once
// The update and delete triggers leave their entries in R$CAPTURED, a table
// without an index, so that a user's update or delete pays for one plain
// insert; the indexed journal (R$DELETEDUPDATED) is what the exchange reads.
// Whatever reads the journal moves the captured entries into it first, in
// its own transaction, so that it sees every change committed before its
// snapshot whichever table holds it.
#include "engine/Database.h"

namespace quorvel::replica {

// Moves every entry of R$CAPTURED this transaction sees into the journal,
// removing exactly those it moved: an entry committed meanwhile stays for
// the next. Nothing to do in a database of a version before R$CAPTURED.
void absorbCaptured(engine::Database& db);

// Empties the journal and what waits to join it.
void emptyJournal(engine::Database& db);

}  // namespace quorvel::replica

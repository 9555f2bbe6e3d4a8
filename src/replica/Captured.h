#pragma once
// The update and delete triggers leave their entries in R$CAPTURED, a table
// without an index, so that a user's update or delete pays for one plain
// insert; the indexed journal (R$DELETEDUPDATED) is what the exchange reads.
// Whatever reads the journal moves the captured entries into it first, in
// its own transaction, so that it sees every change committed before its
// snapshot whichever table holds it.
#include <cstdint>
#include <optional>

#include "engine/Database.h"

namespace quorvel::replica {

// What the moved entries are stamped with on their way, as the journal's
// later stamping would (markCarriedBy, stampSeen): a record a transaction
// made and then rewrites keeps its former image in the server's memory
// until the commit, 90 MB for a fill of a million changes.
struct CaptureStamps {
    std::optional<int64_t> firstFill;  // the fill that carries them
    std::optional<int64_t> seen;       // where the trigger found none: at a clone, the master's last fill read
};

// Moves every entry of R$CAPTURED this transaction sees into the journal,
// removing exactly those it moved: an entry committed meanwhile stays for
// the next. Nothing to do in a database of a version before R$CAPTURED.
void absorbCaptured(engine::Database& db, const CaptureStamps& stamps = {});

// Empties the journal and what waits to join it.
void emptyJournal(engine::Database& db);

}  // namespace quorvel::replica

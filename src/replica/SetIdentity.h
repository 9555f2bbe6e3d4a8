#pragma once
// Which replication set a database belongs to, and at which arming of its
// master it was made. Every master prepared gets a set of its own (a random
// id): every clone made from it carries the id in its copy, and every fill
// writes it, so a fill of another shop's set is never read, though its
// master too is "MASTER" number 0. Recreating the master's triggers
// renumbers every row: the generation rises, and a clone made before, whose
// codes now name other rows, exchanges no more until it is made again.
//
// A database upgraded from a version without identity knows no set: a
// master then starts its own, a clone learns its master's from the first
// fill of the master it reads.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

struct SetIdentity {
    std::string setId;       // "" when not known (an upgraded clone, an older synchro file)
    int64_t generation = 0;  // 0 when not known
    bool known() const { return !setId.empty(); }
};

// In whatever transaction is open; unknown where there is no R$IDENTITY row.
SetIdentity readSetIdentity(engine::Database& db);

// The identity row, where the database has none yet: a new set at
// generation 1 (a master being prepared or upgraded), or, `known` false, a
// set not known yet (an upgraded clone, until its master's first fill).
// Committed on its own.
void startSet(engine::Database& db, bool known = true);

// Re-arming: the next generation. In the open transaction.
void nextGeneration(engine::Database& db);

// Records a master's identity at a clone that did not know it. In the open
// transaction.
void learnSet(engine::Database& db, const SetIdentity& master);

// The file a site's record codes and fill numbers were given to: its
// creation stamp, which a restore from a backup renews. Recorded when the
// master is prepared, when a copy becomes a clone and when an operator
// accepts a restore; a fill or read on a file with another stamp is refused,
// for a restored site would draw again the codes and numbers it drew after
// its backup. `onlyFirst`: where none is recorded yet. In the open
// transaction.
void recordFileStamp(engine::Database& db, bool onlyFirst = false);
// Why this file may not fill or read, or "" when it may.
std::string restoredFile(engine::Database& db);
// Refuses a fill or read on a restored file, in a transaction of its own.
void refuseRestoredFile(engine::Database& db);

// Why a fill with `sender`'s identity may not be read here, or "" when it
// may. `fromMaster`: the sender is the master (this site a clone). Both
// sides must know their set for a refusal; an older file or database is
// taken as it is.
std::string foreignFill(const SetIdentity& here, const SetIdentity& sender, const std::string& file,
                        const std::string& senderText, bool fromMaster);

}  // namespace quorvel::replica

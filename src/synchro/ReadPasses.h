#pragma once
// The three passes of a read, one table at a time. They run inside the
// read's transactions and throw on the first failure, leaving the local
// table (TMaster) and the synchro rows (QSynchro6) on the failing table for
// the collision page.
#include <string>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "synchro/Journal.h"
#include "synchro/Operations.h"
#include "synchro/RecordCode.h"

namespace quorvel::synchro {

struct ReadContext {
    DM& dm;
    Frontend& ui;
    bool master;            // the local database is the master: its own updates win
    RecordCode senderMark;  // above it: created at the sender since its previous fill
    const Journal& local;   // what this database changed since its journal was emptied
    const Journal& sent;    // the sender's journal, as the synchro database carries it
};

// Every pass finds a local row by its record code, never by its primary
// key: a key the sender changed is then applied, not lost.
//
// The sender's "D" entries of the table, deleted here by record code. It runs
// first, children first, so that a row the sender deleted and inserted again
// under the same key arrives as the sender has it, not as a collision.
void deletePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts);
// Rows above the sender's mark. A row held here with the same record code is
// the same row and is applied as an update would be; one deleted here stays
// deleted; one held here under another code is a collision (the insert fails
// with the server's key violation).
void insertPass(ReadContext& cx, const std::string& table, ReadReport::Table& counts);
// Rows below the mark, over the local rows with the same record code.
void updatePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts);

}  // namespace quorvel::synchro

#pragma once
// The three passes of a read, one table at a time. They run inside the
// read's transactions and throw on the first failure, leaving the context's
// synchro rows on the failing row and its local table on the failing table,
// for the read to report the collision.
#include <optional>
#include <string>

#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "operation/Reporter.h"
#include "synchro/ArrivalRules.h"
#include "synchro/Operations.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

struct ReadContext {
    engine::Database& local;
    Reporter& reporter;
    bool master;                // the local database is the master: its own updates win
    replica::RecordCode senderMark;      // above it: created at the sender since its previous fill
    ArrivalRules& rules;          // what to do with each arriving change, and what was applied
    engine::Query& synchroRows;   // the pass's rows of the synchro database
    engine::Table& localTable;    // the table being written
    std::string synchroSelect;    // the statement `synchroRows` runs
    // The end of the sender's range, when its rows above the mark are only
    // those up to it: taking a whole database's unsent rows, not a fill's.
    std::optional<replica::RecordCode> senderBound = std::nullopt;
};

// At a clone, before its deletes: the rows whose primary key the master
// settled on a row of its own ("A" entries) take that row's record code.
void mastersCodesPass(ReadContext& cx, const std::string& table);

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

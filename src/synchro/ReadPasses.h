#pragma once
// The three passes of a read, one table at a time. They run inside the
// read's transactions and throw on the first failure, leaving the context's
// synchro rows on the failing row and its local table on the failing table,
// for the read to report the collision.
#include <optional>
#include <string>
#include <vector>

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
    // Rows a pass could not apply yet because another row of the same fill
    // stands in the way: tried again once the passes are through.
    struct Deferred {
        std::string table, pass;
        replica::RecordCode code;
        bool recorded = false;  // in the rules already (a row of a reference cycle, written in two steps)
    };
    std::vector<Deferred> deferred = {};
    // True, recording the row, when `e` is a failure another row of this
    // fill may lift (a key still held, a parent not yet there, children not
    // yet moved away); the failed statement changed nothing.
    bool defer(const std::string& table, const char* pass, const replica::RecordCode& code, const std::exception& e);
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

// After the passes: the deferred rows applied again while any of them
// succeeds, then the rows of a table that only stand in each other's way
// (two rows swapping a key or a unique value) set aside and written anew
// together. Throws the failure of the first row that still fails, with
// `table` and `pass` naming it and the context standing on it, as a pass
// would have.
void applyDeferred(ReadContext& cx, std::vector<ReadReport::Table>& counts, std::string& table, std::string& pass);

}  // namespace quorvel::synchro

#pragma once
// The statements that select what a fill sends of one table: the rows
// created here since the last mark (between the mark and the local bound,
// through the code index), then the rows named by a "U" entry of the local
// journal as a whole code (a join driven from the journal in the order of
// its code index, so the table is never scanned and the server sorts
// nothing: a row named by several entries comes once for each, one after
// the other, and the fill sends it once). A row that is both is sent once,
// as a new row.
//
// Two statements run one after the other, not one union: Firebird refuses a
// union over a table with an array column ("Data type unknown").
#include <cstdint>
#include <string>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

struct FillSelection {
    std::string created;  // rows created here since the mark
    std::string updated;  // rows older than that, named by the journal
};

// `table` is the name as the catalogue keeps it; `local` tells how to write it.
FillSelection fillSelection(const engine::Database& local, const std::string& table, const replica::RecordCode& mark, const replica::RecordCode& bound);

// The journal as a fill sends it: every entry, those of one row and
// operation one after the other, in the order of the journal's code index
// (users' transactions only add entries, so a row changed twice has two).
// Where no origin is written the entry was made here, by site `here`. The
// fill sends the latest of each row and operation and leaves the rest; read
// through the index, the journal costs the server no sort, which would hold
// as much of it in memory as the server's temporary cache allows.
std::string journalByRow(int64_t here);

}  // namespace quorvel::synchro

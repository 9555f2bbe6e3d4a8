#pragma once
// The statements that select what a fill sends of one table: the rows
// created here since the last mark (between the mark and the local bound,
// through the code index), then the rows named by a "U" entry of the local
// journal as a whole code (a join driven from the journal, so the table is
// never scanned). A row that is both is sent once, as a new row.
//
// Two statements run one after the other, not one union: Firebird refuses a
// union over a table with an array column ("Data type unknown").
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

}  // namespace quorvel::synchro

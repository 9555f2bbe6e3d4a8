#pragma once
// The statement that selects what a fill sends of one table: the rows
// created here since the last mark (between the mark and the local bound,
// through the code index), then the rows named by a "U" entry of the local
// journal as a whole code (a join driven from the journal, so the table is
// never scanned). A row that is both is sent once, as a new row.
#include <string>

#include "synchro/RecordCode.h"

namespace quorvel::synchro {

std::string fillSelection(const std::string& table, const RecordCode& mark, const RecordCode& bound);

}  // namespace quorvel::synchro

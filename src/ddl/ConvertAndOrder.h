#pragma once
// The whole work of "Convert to SYNCHRO ddl", without a window: the command-
// line tool and the button both run it.
#include <string>

#include "db/DM.h"
#include "ddl/TableOrder.h"

namespace quorvel::ddl {

// Writes the synchro definition script from the extract `sourceFileName` into
// `targetFileName`, asking the master (UserDB) for its working tables, then
// rewrites the master's R$TABLEORDER from the extract's references. Throws
// FileError or the database error; a target left incomplete is removed.
// The result's cycleTables is not empty when references form a cycle (the
// order reached was written; tell the operator with CycleMessage).
TableOrder ConvertDdlAndOrder(DM& dm, const std::string& sourceFileName,
                              const std::string& targetFileName);

}  // namespace quorvel::ddl

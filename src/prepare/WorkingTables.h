#pragma once
// The list of working tables (R$WORKINGTABLES), one name per transaction.
#include <string>

#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::prepare {

// Adds `tableName`; true when it was inserted. Refusals (a name listed
// already) end in the error status with the server's message.
bool AddWorkingTable(DM& dm, Frontend& ui, const std::string& tableName);
// Removes `tableName`; "List is empty!" when nothing is listed. True when the
// delete went through.
bool RemoveWorkingTable(DM& dm, Frontend& ui, const std::string& tableName);
// Removes every listed name, one transaction each; a name whose removal fails
// is passed over.
void RemoveAllWorkingTables(DM& dm, Frontend& ui);

}  // namespace quorvel::prepare

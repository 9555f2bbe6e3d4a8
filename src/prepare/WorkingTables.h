#pragma once
// The list of working tables (R$WORKINGTABLES), one name per transaction.
#include <string>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::prepare {

// Adds `tableName`; done when it was inserted. Refusals (a name listed
// already) end in the error status with the server's message.
Outcome AddWorkingTable(DM& dm, Frontend& ui, const std::string& tableName);
// Removes `tableName`; "List is empty!" when nothing is listed. Done when the
// delete went through.
Outcome RemoveWorkingTable(DM& dm, Frontend& ui, const std::string& tableName);
// Removes every listed name, one transaction each; a name whose removal fails
// is passed over, and the first failure is the outcome.
Outcome RemoveAllWorkingTables(DM& dm, Frontend& ui);

}  // namespace quorvel::prepare

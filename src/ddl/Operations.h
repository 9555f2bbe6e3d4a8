#pragma once
// Button operations of the page "Create Synchro DB".
#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::ddl {

void ReadDdl(DM& dm, Frontend& ui);     // "Read Master ddl": chooses the extract (EditSource)
void ConvertDdl(DM& dm, Frontend& ui);  // "Convert to SYNCHRO ddl": writes the script (EditTarget), rewrites R$TABLEORDER

}  // namespace quorvel::ddl

#pragma once
// The operation of the page "Create Synchro DB". Choosing the files is the
// front end's part ("Read Master ddl" and the save dialog of "Convert to
// SYNCHRO ddl" in the window, the arguments on the command line).
#include <string>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::ddl {

// "Convert to SYNCHRO ddl": shows `target` in EditTarget, writes the synchro
// definition from the extract `source` into it and rewrites R$TABLEORDER.
// Done also when references form a cycle (shown as a warning); refused, with
// nothing written or changed, for an unusable file or an extract without any
// working table; failed on a write or database error.
Outcome ConvertDdl(DM& dm, Frontend& ui, const std::string& source, const std::string& target);

}  // namespace quorvel::ddl

#pragma once
// The operation of the page "Create Synchro DB". Choosing the files is the
// front end's part (the window's open and save dialogs, the arguments on the
// command line); the conversion gets their names.
#include <string>

#include "ddl/ConvertAndOrder.h"
#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"

namespace quorvel::ddl {

// "Convert to SYNCHRO ddl": writes the synchro definition from the extract
// `source` into `target` and rewrites the master's R$TABLEORDER. Done also
// when references form a cycle (told as a notice); refused, with nothing
// written or changed, for an unusable file, an extract of another dialect
// than the master's or an extract without any working table; failed on a write or database error. The front end refreshes its
// table-order list after it. `texts` gives the extract or takes the script
// as texts rather than files (see DdlTexts).
Outcome ConvertDdl(engine::Database& master, const std::string& source, const std::string& target,
                   Reporter& reporter, DdlTexts texts = {});

}  // namespace quorvel::ddl

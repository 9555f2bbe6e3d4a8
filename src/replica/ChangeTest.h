#pragma once
// What makes an update of a working table a change: a save that writes
// every column back as it was (a form's "Save" with nothing edited) is no
// change, and journaled it would win over another site's real edit by the
// master's priority. The update trigger journals a row only when one of its
// columns differs; the record code is the tool's own and not compared.
//
// Array columns cannot be compared by the server: a table with one journals
// every update, as before. Computed columns follow the others.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica {

// The trigger's condition for `table`, "new.A is distinct from old.A or
// ...", written as the database's dialect names the columns; "" when every
// update must be journaled. In whatever transaction is open.
std::string changeCondition(engine::Database& db, const std::string& table);

// The columns of `table` that its update trigger does not compare: added
// after the triggers were made, so an update of them alone would not be
// journaled. Empty when the trigger journals every update.
std::vector<std::string> columnsTheTriggerMisses(engine::Database& db, const std::string& table);

}  // namespace quorvel::replica

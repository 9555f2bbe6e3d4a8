#pragma once
// Presence checks on UserDB. Each opens its count on Q6 in whatever
// transaction is open, so Q6's previous result is gone afterwards.
#include <string>

#include "db/DM.h"

namespace quorvel::prepare {

bool TablePresent(DM& dm, const std::string& name);
bool ProcedurePresent(DM& dm, const std::string& name);
bool GeneratorPresent(DM& dm, const std::string& name);
// Whether the catalogue shows column `column` on table `table`.
bool ColumnPresent(DM& dm, const std::string& table, const std::string& column);

}  // namespace quorvel::prepare

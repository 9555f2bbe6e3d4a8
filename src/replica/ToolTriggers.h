#pragma once
// The tool's triggers found in a database, and this version's text for each:
// what renew-triggers and the upgrades that renew triggers in place share.
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica {

struct ToolTrigger {
    std::string name, table;
    int64_t type;  // the catalogue's event code: 1 before insert, 4 after update, 6 after delete
};

// Every trigger whose name starts with R$, by name. In the open transaction.
std::vector<ToolTrigger> toolTriggersOf(engine::Database& db);

// The "create or alter" text of this version for `t`, under its own name and
// number; none for a trigger the tool does not make (another name or event).
// An update trigger tests for a real change when `changeTest`.
std::optional<std::string> renewedText(engine::Database& db, const ToolTrigger& t, bool changeTest);

}  // namespace quorvel::replica

#pragma once
// The application's own triggers on the working tables, as the catalogue
// holds them: what guard-triggers changes and what a read and `status` warn
// about. Read in whatever transaction is open on `db`.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica {

struct UserTrigger {
    std::string name, table;
    int64_t type = 0;                   // the catalogue's code: odd for BEFORE triggers
    bool active = false;
    std::optional<std::string> source;  // none for a trigger restored without its text
};

std::vector<UserTrigger> userTriggersOnWorkingTables(engine::Database& db);

// One line per active trigger that does not test the read and changes the
// rows a read applies ("T_BI on POSTS sets NEW.ID from the generator GEN_POSTS"):
// a BEFORE trigger that assigns NEW columns. Such a trigger gives a row read
// from another site a new key or this site's stamp.
std::vector<std::string> unguardedWriters(engine::Database& db);

}  // namespace quorvel::replica

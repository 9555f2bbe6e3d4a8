#pragma once
// Which journal triggers a database has. Those of earlier versions journal
// and renumber everything, the rows a read applies included, so a read needs
// every trigger switched off (for every user); those of this version skip the
// reading transaction alone, so other users keep working during a read.
#include <cstdint>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

enum class TriggerKind {
    None,       // not armed
    Earlier,    // a read needs the triggers made inactive
    SkipsReads  // a read needs no switch
};

// As the database records it (see SchemaVersion.h). In whatever transaction
// is open.
TriggerKind triggerKind(engine::Database& db);

// How many of the user's own triggers on the working tables are active and
// do not test R$READING (by hand or by guard-triggers): they fire for what a
// read applies.
int64_t activeUserTriggers(engine::Database& db);

// How `status` and the window describe the kind.
std::string describe(TriggerKind kind);

}  // namespace quorvel::replica

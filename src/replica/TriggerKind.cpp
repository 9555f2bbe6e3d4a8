#include "replica/TriggerKind.h"

#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "replica/TriggerGuard.h"
#include "replica/UserTriggers.h"

namespace quorvel::replica {

TriggerKind triggerKind(engine::Database& db) {
    switch (triggerGeneration(db)) {
        case TriggerGeneration::None: return TriggerKind::None;
        case TriggerGeneration::SkipsReads:
        case TriggerGeneration::SkipsNoOps: return TriggerKind::SkipsReads;
        case TriggerGeneration::JournalsEverything: break;
    }
    return TriggerKind::Earlier;
}

int64_t activeUserTriggers(engine::Database& db) {
    int64_t active = 0;
    for (const UserTrigger& t : userTriggersOnWorkingTables(db))
        if (t.active && !(t.source && testsTheRead(*t.source))) ++active;
    return active;
}

std::string describe(TriggerKind kind) {
    switch (kind) {
        case TriggerKind::None: return "not armed (recreate the triggers)";
        case TriggerKind::Earlier:
            return "of an earlier version: make them inactive before a read (\"recreate-triggers\" at the master, "
                   "\"renew-triggers\" at any site, installs those that let other users work during a read)";
        case TriggerKind::SkipsReads: return "they skip the read's own changes: other users may work during a read";
    }
    return {};
}

}  // namespace quorvel::replica

#include "replica/TriggerKind.h"

#include "replica/SchemaVersion.h"
#include "replica/Statements.h"

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
    return integerOf(db, "select count(*) from RDB$Triggers where (RDB$System_Flag is null or RDB$System_Flag = 0)"
                         " and RDB$Trigger_Inactive = 0 and not RDB$Trigger_Name starting with 'R$'"
                         " and not RDB$Trigger_Name starting with 'CHECK'"
                         " and RDB$Relation_Name in (select Name from R$WorkingTables)");
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

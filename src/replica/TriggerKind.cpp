#include "replica/TriggerKind.h"

#include "engine/Transaction.h"
#include "replica/ReplicationSchema.h"
#include "replica/Statements.h"

namespace quorvel::replica {

TriggerKind triggerKind(engine::Database& db) {
    const int64_t all = integerOf(db, schema::kCountToolTriggers);
    if (all == 0) return TriggerKind::None;
    const int64_t skipping = integerOf(db, schema::kCountToolTriggers +
                                               " and RDB$Trigger_Source containing '" + schema::kReadingMarker + "'");
    return skipping == all ? TriggerKind::SkipsReads : TriggerKind::Earlier;
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

void openJournalToEveryone(engine::Database& db) {
    engine::Transaction tx(db);
    for (const std::string& key :
         firstColumn(db, "select RDB$Constraint_Name from RDB$Relation_Constraints "
                         "where RDB$Relation_Name = 'R$DELETEDUPDATED' and RDB$Constraint_Type = 'PRIMARY KEY'"))
        run(db, "alter table R$DELETEDUPDATED drop constraint " + key);
    tx.commit();
    if (integerOf(db, "select count(*) from RDB$Indices where RDB$Index_Name = 'R$DELETEDUPDATED_CODE'") != 0) return;
    engine::Transaction index(db);
    run(db, schema::kCreateJournalIndex);
    index.commit();
}

}  // namespace quorvel::replica

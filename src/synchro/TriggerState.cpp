#include "synchro/TriggerState.h"

#include "engine/Query.h"

namespace quorvel::synchro {

namespace {

int64_t firstInteger(engine::Database& db, const char* sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    const int64_t value = q.field(0).asInteger();
    q.close();
    return value;
}

}  // namespace

bool triggersActive(engine::Database& db) {
    if (firstInteger(db, "select gen_id(R$Trig, 0) from RDB$DATABASE") == 0) return true;
    return firstInteger(db,
                        "select count(*) from RDB$Triggers where RDB$Trigger_Name starting with \"R$\""
                        " and coalesce(RDB$Trigger_Inactive, 0) = 0"
                        " and RDB$Relation_Name in (select Name from R$WorkingTables)") > 0;
}

}  // namespace quorvel::synchro

#include "replica/UserTriggers.h"

#include "engine/Query.h"
#include "replica/TriggerGuard.h"

namespace quorvel::replica {

std::vector<UserTrigger> userTriggersOnWorkingTables(engine::Database& db) {
    engine::Query q(db);
    // Types from 8192 on are database and DDL triggers; CHECK constraints are
    // triggers of the system's.
    q.setSql("select RDB$Trigger_Name, RDB$Relation_Name, RDB$Trigger_Type, RDB$Trigger_Inactive, "
             "RDB$Trigger_Source from RDB$Triggers where (RDB$System_Flag is null or RDB$System_Flag = 0) "
             "and not RDB$Trigger_Name starting with 'R$' and RDB$Trigger_Type < 8192 "
             "and RDB$Relation_Name in (select Name from R$WorkingTables) order by RDB$Trigger_Name");
    q.open();
    std::vector<UserTrigger> out;
    for (q.first(); !q.eof(); q.next()) {
        UserTrigger t{q.field(0).asString(), q.field(1).asString(), q.field(2).asInteger(),
                      q.field(3).isNull() || q.field(3).asInteger() == 0, std::nullopt};
        if (!q.field(4).isNull()) t.source = q.field(4).asString();
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<std::string> unguardedWriters(engine::Database& db) {
    std::vector<std::string> out;
    for (const UserTrigger& t : userTriggersOnWorkingTables(db)) {
        if (!t.active || t.type % 2 == 0 || !t.source || testsTheRead(*t.source)) continue;
        const TriggerWrites w = writesOf(*t.source);
        if (w.newColumns.empty()) continue;
        std::string line = t.name + " on " + t.table + " sets";
        for (size_t i = 0; i < w.newColumns.size(); ++i) line += (i ? ", NEW." : " NEW.") + w.newColumns[i];
        for (size_t i = 0; i < w.generators.size(); ++i)
            line += (i ? ", " : " from the generator ") + w.generators[i];
        out.push_back(line);
    }
    return out;
}

}  // namespace quorvel::replica

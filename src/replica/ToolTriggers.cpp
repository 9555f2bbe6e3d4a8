#include "replica/ToolTriggers.h"

#include "engine/Query.h"
#include "replica/ChangeTest.h"
#include "replica/ReplicationSchema.h"

namespace quorvel::replica {

std::vector<ToolTrigger> toolTriggersOf(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select RDB$Trigger_Name, RDB$Relation_Name, RDB$Trigger_Type from RDB$Triggers "
             "where RDB$Trigger_Name starting with 'R$' order by RDB$Trigger_Name");
    q.open();
    std::vector<ToolTrigger> out;
    for (q.first(); !q.eof(); q.next())
        out.push_back({q.field(0).asString(), q.field(1).asString(), q.field(2).asInteger()});
    return out;
}

std::optional<std::string> renewedText(engine::Database& db, const ToolTrigger& t, bool changeTest) {
    const std::optional<int> n = schema::triggerNumber(t.name);
    if (!n) return std::nullopt;
    const int dialect = db.sqlDialect();
    switch (t.type) {
        case 1: return schema::createOrAlter(schema::insertTrigger(*n, t.table, dialect));
        case 4:
            return schema::createOrAlter(
                schema::updateTrigger(*n, t.table, dialect, changeTest ? changeCondition(db, t.table) : ""));
        case 6: return schema::createOrAlter(schema::deleteTrigger(*n, t.table, dialect));
        default: return std::nullopt;
    }
}

}  // namespace quorvel::replica

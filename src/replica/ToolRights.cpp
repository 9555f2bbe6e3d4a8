#include "replica/ToolRights.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/Query.h"
#include "replica/Presence.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

// What a trigger of each type (RDB$Trigger_Type) of the tool needs.
std::vector<std::string> rightsOfTrigger(int type) {
    if (type == 1)  // before insert: from version 13 it draws codes itself too
        return {"execute on procedure R$FILL", "usage on generator R$GEN1", "usage on generator R$GEN2"};
    return {"insert on R$DELETEDUPDATED", "select on R$PEERS"};                   // after update, after delete
}

bool publicHolds(engine::Database& db, const char* object) {
    return integerOf(db, std::string("select count(*) from RDB$User_Privileges where RDB$User = 'PUBLIC' and "
                                     "RDB$Relation_Name = '") + object + "'") != 0;
}

}  // namespace

void grantToolRights(engine::Database& db) {
    if (publicHolds(db, "R$DELETEDUPDATED")) db.execute("revoke all on R$DELETEDUPDATED from public");
    if (publicHolds(db, "R$ACTIVETRIGGERS")) db.execute("revoke execute on procedure R$ACTIVETRIGGERS from public");
    if (ProcedurePresent(db, "R$FILL")) {
        for (const char* right : {"usage on generator R$GEN1", "usage on generator R$GEN2", "select on R$CLONE",
                                  "select on R$IDENTITY", "usage on exception R$CODES_USED_UP",
                                  "usage on exception R$RESTORED_FILE"})
            db.execute(std::string("grant ") + right + " to procedure R$FILL");
    }
    std::vector<std::pair<std::string, int>> triggers;
    {
        engine::Query q(db);
        q.setSql("select RDB$Trigger_Name, RDB$Trigger_Type from RDB$Triggers where RDB$Trigger_Name starting with "
                 "'R$' and RDB$Relation_Name is not null");
        q.open();
        for (; !q.eof(); q.next()) triggers.emplace_back(q.field(0).asString(), static_cast<int>(q.field(1).asInteger()));
    }
    // From version 14 the update and delete triggers write to R$CAPTURED;
    // those of the first generation, left as they were, still write to the
    // journal, so both are granted.
    const bool captured = TablePresent(db, "R$CAPTURED");
    for (const auto& [trigger, type] : triggers) {
        for (const std::string& right : rightsOfTrigger(type)) db.execute("grant " + right + " to trigger " + trigger);
        if (type != 1 && captured) db.execute("grant insert on R$CAPTURED to trigger " + trigger);
    }
}

}  // namespace quorvel::replica

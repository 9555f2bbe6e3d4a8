#include "replica/ToolRights.h"

#include <string>
#include <vector>

#include "replica/ToolTriggers.h"
#include "replica/Presence.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

// What a trigger of each type (RDB$Trigger_Type) of the tool needs. From
// version 14 (`captured`) the update and delete triggers write to
// R$CAPTURED; those of the first generation, left as they were, still write
// to the journal, so both are granted.
std::vector<std::string> rightsOfTrigger(int64_t type, bool captured) {
    if (type == 1)  // before insert: from version 13 it draws codes itself too
        return {"execute on procedure R$FILL", "usage on generator R$GEN1", "usage on generator R$GEN2"};
    std::vector<std::string> rights{"insert on R$DELETEDUPDATED", "select on R$PEERS"};  // after update, after delete
    if (captured) rights.push_back("insert on R$CAPTURED");
    return rights;
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
    const bool captured = TablePresent(db, "R$CAPTURED");
    for (const ToolTrigger& t : toolTriggersOf(db)) {
        if (t.table.empty()) continue;  // a database trigger, not one of a table
        for (const std::string& right : rightsOfTrigger(t.type, captured))
            db.execute("grant " + right + " to trigger " + t.name);
    }
}

}  // namespace quorvel::replica

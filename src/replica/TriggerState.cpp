#include "replica/TriggerState.h"

#include <string>
#include <vector>

#include "engine/Transaction.h"
#include "replica/ReplicationSchema.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

// The triggers a switch turns off and on again: those of the working tables
// (as the trigger list shows them) that the user had on.
const char* const kUserOnTriggers =
    " from RDB$Triggers"
    " where (RDB$System_Flag is null or RDB$System_Flag = 0)"
    " and not RDB$Trigger_Name starting with 'CHECK'"
    " and RDB$Relation_Name in (select Name from R$WorkingTables)"
    " and RDB$Trigger_Name not in (select TriggerName from R$InactiveTriggers)";

void setState(engine::Database& db, int value) {
    engine::Transaction tx(db);
    run(db, "set generator R$Trig to " + std::to_string(value));
    tx.commit();
}

}  // namespace

int64_t TriggerState(engine::Database& db) {
    // Read from the one-row system table: R$TABLEORDER, which has a row per
    // ordered table, has none before the first conversion.
    return integerOf(db, "select gen_id(R$Trig, 0) from RDB$DATABASE");
}

bool TriggersInactive(engine::Database& db) {
    const int64_t switchable = integerOf(db, std::string("select count(*)") + kUserOnTriggers);
    if (switchable == 0) return TriggerState(db) != 0;
    return integerOf(db, std::string("select count(*)") + kUserOnTriggers + " and RDB$Trigger_Inactive = 0") == 0;
}

bool ArmingInterrupted(engine::Database& db) {
    if (integerOf(db, "select count(*) from RDB$Triggers where RDB$Trigger_Name starting with 'R$'") != 0)
        return false;
    if (integerOf(db, "select count(*) from RDB$Relation_Fields where RDB$Field_Name = 'R$CODE1'"
                     " and RDB$Relation_Name in (select Name from R$WorkingTables)") == 0)
        return false;
    return TriggersInactive(db);
}

bool SettleTriggerState(engine::Database& db) {
    const bool inactive = TriggersInactive(db);
    if (inactive != (TriggerState(db) != 0)) setState(db, inactive ? 1 : 0);
    return inactive;
}

void SwitchTriggersOff(engine::Database& db, const SwitchProgress& progress) {
    // The record first, committed on its own: whenever the switch below is
    // cut short, it describes the triggers as they still are.
    {
        engine::Transaction tx(db);
        run(db, "delete from R$INACTIVETRIGGERS");
        run(db, "insert into R$InactiveTriggers select RDB$Trigger_Name from RDB$Triggers "
                  "where RDB$Trigger_Inactive = 1 and not RDB$Trigger_Name starting with 'R$'");
        tx.commit();
    }
    {
        engine::Transaction tx(db);
        // Every trigger of the working tables, as the page's trigger list shows them.
        const std::vector<std::string> triggers = firstColumn(db, schema::kWorkingTableTriggers);
        progress.listed(static_cast<int>(triggers.size()));
        int done = 0;
        for (const std::string& name : triggers) {
            run(db, "alter trigger " + db.identifier(name) + " inactive");
            progress.switched(++done);
        }
        tx.commit();
    }
    setState(db, 1);
}

void SwitchTriggersOn(engine::Database& db, const SwitchProgress& progress) {
    {
        engine::Transaction tx(db);
        // The tool's own triggers always go back on, whatever an earlier
        // version recorded about them.
        run(db, "delete from R$INACTIVETRIGGERS where TriggerName starting with 'R$'");
        // Read completely before the first switch.
        const std::vector<std::string> triggers = firstColumn(db, "select * from R$ACTIVETRIGGERS");
        progress.listed(static_cast<int>(triggers.size()));
        int done = 0;
        for (const std::string& name : triggers) {
            run(db, "alter trigger " + db.identifier(name) + " active");
            progress.switched(++done);
        }
        tx.commit();
    }
    setState(db, 0);
}

}  // namespace quorvel::replica

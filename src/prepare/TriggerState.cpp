#include "prepare/TriggerState.h"

#include <string>

#include "engine/Transaction.h"

namespace quorvel::prepare {

namespace {

// The triggers a switch turns off and on again: those of the working tables
// (as the trigger list shows them) that the user had on.
const char* const kUserOnTriggers =
    " from RDB$Triggers"
    " where (RDB$System_Flag is null or RDB$System_Flag = 0)"
    " and not RDB$Trigger_Name starting with \"CHECK\""
    " and RDB$Relation_Name in (select Name from R$WorkingTables)"
    " and RDB$Trigger_Name not in (select TriggerName from R$InactiveTriggers)";

void setState(DM& dm, int value) {
    engine::Transaction tx(dm.UserDB());
    dm.Q7Exec("set generator R$Trig to " + std::to_string(value));
    tx.commit();
}

}  // namespace

int64_t TriggerState(DM& dm) {
    // Read from the one-row system table: R$TABLEORDER, which has a row per
    // ordered table, has none before the first conversion.
    return dm.Q6Integer("select gen_id(R$Trig, 0) from RDB$DATABASE");
}

bool TriggersInactive(DM& dm) {
    const int64_t switchable = dm.Q6Integer(std::string("select count(*)") + kUserOnTriggers);
    if (switchable == 0) return TriggerState(dm) != 0;
    return dm.Q6Integer(std::string("select count(*)") + kUserOnTriggers + " and RDB$Trigger_Inactive = 0") == 0;
}

bool ArmingInterrupted(DM& dm) {
    if (dm.Q6Integer("select count(*) from RDB$Triggers where RDB$Trigger_Name starting with \"R$\"") != 0)
        return false;
    if (dm.Q6Integer("select count(*) from RDB$Relation_Fields where RDB$Field_Name = \"R$CODE1\""
                     " and RDB$Relation_Name in (select Name from R$WorkingTables)") == 0)
        return false;
    return TriggersInactive(dm);
}

bool SettleTriggerState(DM& dm) {
    const bool inactive = TriggersInactive(dm);
    if (inactive != (TriggerState(dm) != 0)) setState(dm, inactive ? 1 : 0);
    return inactive;
}

void SwitchTriggersOff(DM& dm, const SwitchProgress& progress) {
    // The record first, committed on its own: whenever the switch below is
    // cut short, it describes the triggers as they still are.
    {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$INACTIVETRIGGERS");
        dm.Q6Exec("insert into R$InactiveTriggers select RDB$Trigger_Name from RDB$Triggers "
                  "where RDB$Trigger_Inactive = 1 and not RDB$Trigger_Name starting with \"R$\"");
        tx.commit();
    }
    {
        engine::Transaction tx(dm.UserDB());
        dm.QTableTrigger.close();
        dm.QTableTrigger.open();
        progress.listed(dm.QTableTrigger.recordCount());
        int done = 0;
        for (dm.QTableTrigger.first(); !dm.QTableTrigger.eof(); dm.QTableTrigger.next()) {
            dm.Q6Exec("alter trigger " + dm.QTableTrigger.fieldByName("RDB$TRIGGER_NAME").asString() +
                      " inactive");
            progress.switched(++done);
        }
        tx.commit();
    }
    setState(dm, 1);
}

void SwitchTriggersOn(DM& dm, const SwitchProgress& progress) {
    {
        engine::Transaction tx(dm.UserDB());
        // The tool's own triggers always go back on, whatever an earlier
        // version recorded about them.
        dm.Q7Exec("delete from R$INACTIVETRIGGERS where TriggerName starting with \"R$\"");
        // Q6 keeps these rows while each switch runs on Q7.
        dm.Q6Show("select * from R$ACTIVETRIGGERS");
        progress.listed(dm.Q6.recordCount());
        int done = 0;
        for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) {
            dm.Q7Exec("alter trigger " + dm.Q6.field(0).asString() + " active");
            progress.switched(++done);
        }
        dm.Q6.close();
        tx.commit();
    }
    setState(dm, 0);
}

}  // namespace quorvel::prepare

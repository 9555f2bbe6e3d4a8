// "Make Triggers Inactive" and "Make Triggers Active": every trigger of the
// working tables is switched off around a read, and afterwards only those
// that were active before are switched on again.
#include <exception>
#include <string>

#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"

namespace quorvel::prepare {

namespace {

// One trigger, one transaction, committed at once, so a run that stops
// leaves the triggers done so far in their new state.
void switchTrigger(DM& dm, void (DM::*exec)(const std::string&), const std::string& name,
                   const char* state) {
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    (dm.*exec)("alter trigger " + name + " " + state);
    db.commit();
}

void setTriggerState(DM& dm, int value) {
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    dm.Q6Exec("set generator R$Trig to " + std::to_string(value));
    db.commit();
}

void stepDone(Frontend& ui, int done) {
    ui.setProgress("PBTrigger", done);
    ui.processEvents();
}

}  // namespace

void InactiveTriggers(DM& dm, Frontend& ui) {
    engine::Database& db = dm.UserDB();
    ui.setWorking();
    ui.setProgress("PBTrigger", 0);
    ui.setVisible("PBTrigger", true);
    ui.processEvents();
    try {
        db.startTransaction();
        ui.setText("LSAction", "Find inactive triggers");
        ui.processEvents();
        dm.Q6Exec("delete from R$INACTIVETRIGGERS");
        dm.Q6Exec("insert into R$InactiveTriggers select RDB$Trigger_Name from RDB$Triggers where RDB$Trigger_Inactive = 1");
        db.commit();

        dm.QTableTrigger.close();
        dm.QTableTrigger.open();
        ui.setProgressMax("PBTrigger", dm.QTableTrigger.recordCount());
        ui.setText("LSAction", "Make all triggers inactive");
        ui.processEvents();
        int done = 0;
        for (dm.QTableTrigger.first(); !dm.QTableTrigger.eof(); dm.QTableTrigger.next()) {
            switchTrigger(dm, &DM::Q6Exec, dm.QTableTrigger.fieldByName("RDB$TRIGGER_NAME").asString(),
                          "inactive");
            stepDone(ui, ++done);
        }
        setTriggerState(dm, 1);
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    ui.setVisible("PBTrigger", false);
    ui.setOK();
    ui.setEnabled("SBInactiveTriggers", false);
    ui.setEnabled("SBReadFromSynchro", true);
    ui.setEnabled("SBActiveTriggers", true);
}

void ActiveTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
    ui.setText("LSAction", "Make triggers active");
    ui.processEvents();
    try {
        // Opened outside an explicit transaction; Q6 keeps these rows while
        // each switch runs on Q7.
        dm.Q6Show("select * from R$ACTIVETRIGGERS");
        ui.setProgressMax("PBTrigger", dm.Q6.recordCount());
        ui.setProgress("PBTrigger", 0);
        ui.setVisible("PBTrigger", true);
        ui.processEvents();
        int done = 0;
        for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) {
            switchTrigger(dm, &DM::Q7Exec, dm.Q6.field(0).asString(), "active");
            stepDone(ui, ++done);
        }
        dm.Q6.close();
        setTriggerState(dm, 0);
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    ui.setVisible("PBTrigger", false);
    ui.setOK();
    ui.setEnabled("SBActiveTriggers", false);
    ui.setEnabled("SBInactiveTriggers", true);
}

}  // namespace quorvel::prepare

// "Make Triggers Inactive" and "Make Triggers Active": every trigger of the
// working tables is switched off around a read, and afterwards only those
// that were active before are switched on again.
#include <exception>
#include <string>
#include <vector>

#include "engine/Transaction.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"

namespace quorvel::prepare {

namespace {

// One trigger, one transaction, committed at once, so a run that stops
// leaves the triggers done so far in their new state.
void switchTrigger(DM& dm, void (DM::*exec)(const std::string&), const std::string& name,
                   const char* state) {
    engine::Transaction tx(dm.UserDB());
    (dm.*exec)("alter trigger " + name + " " + state);
    tx.commit();
}

void setTriggerState(DM& dm, int value) {
    engine::Transaction tx(dm.UserDB());
    dm.Q6Exec("set generator R$Trig to " + std::to_string(value));
    tx.commit();
}

// A deactivation that stops part-way must not leave triggers off while
// R$Trig still says "active": the next deactivation would record them as
// inactive ones of the user's, and no reactivation would switch them on again
// (new rows would get no codes, changes would go unjournaled). So the
// triggers this run switched off, that were active before, go back on.
void restoreSwitchedOff(DM& dm, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        try {
            switchTrigger(dm, &DM::Q7Exec, name, "active");
        } catch (const std::exception&) {
            // The first error is the one reported.
        }
    }
}

void stepDone(Frontend& ui, int done) {
    ui.setProgress(ctl::PBTrigger, done);
    ui.processEvents();
}

}  // namespace

Outcome InactiveTriggers(DM& dm, Frontend& ui) {
    std::vector<std::string> switchedOff;
    ui.setWorking();
    ui.setProgress(ctl::PBTrigger, 0);
    ui.setVisible(ctl::PBTrigger, true);
    ui.processEvents();
    try {
        {
            engine::Transaction tx(dm.UserDB());
            ui.setText(ctl::LSAction, "Find inactive triggers");
            ui.processEvents();
            dm.Q6Exec("delete from R$INACTIVETRIGGERS");
            dm.Q6Exec("insert into R$InactiveTriggers select RDB$Trigger_Name from RDB$Triggers where RDB$Trigger_Inactive = 1");
            tx.commit();
        }

        dm.QTableTrigger.close();
        dm.QTableTrigger.open();
        ui.setProgressMax(ctl::PBTrigger, dm.QTableTrigger.recordCount());
        ui.setText(ctl::LSAction, "Make all triggers inactive");
        ui.processEvents();
        int done = 0;
        for (dm.QTableTrigger.first(); !dm.QTableTrigger.eof(); dm.QTableTrigger.next()) {
            const std::string name = dm.QTableTrigger.fieldByName("RDB$TRIGGER_NAME").asString();
            const bool wasActive = dm.QTableTrigger.fieldByName("RDB$TRIGGER_INACTIVE").asInteger() == 0;
            switchTrigger(dm, &DM::Q6Exec, name, "inactive");
            if (wasActive) switchedOff.push_back(name);
            stepDone(ui, ++done);
        }
        setTriggerState(dm, 1);
    } catch (const std::exception& e) {
        restoreSwitchedOff(dm, switchedOff);
        return failWithMessage(dm, ui, e);
    }
    ui.setVisible(ctl::PBTrigger, false);
    ui.setOK();
    ui.setEnabled(ctl::SBInactiveTriggers, false);
    ui.setEnabled(ctl::SBReadFromSynchro, true);
    ui.setEnabled(ctl::SBActiveTriggers, true);
    return Outcome::done();
}

Outcome ActiveTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
    ui.setText(ctl::LSAction, "Make triggers active");
    ui.processEvents();
    try {
        // Opened outside an explicit transaction; Q6 keeps these rows while
        // each switch runs on Q7.
        dm.Q6Show("select * from R$ACTIVETRIGGERS");
        ui.setProgressMax(ctl::PBTrigger, dm.Q6.recordCount());
        ui.setProgress(ctl::PBTrigger, 0);
        ui.setVisible(ctl::PBTrigger, true);
        ui.processEvents();
        int done = 0;
        for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) {
            switchTrigger(dm, &DM::Q7Exec, dm.Q6.field(0).asString(), "active");
            stepDone(ui, ++done);
        }
        dm.Q6.close();
        setTriggerState(dm, 0);
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setVisible(ctl::PBTrigger, false);
    ui.setOK();
    ui.setEnabled(ctl::SBActiveTriggers, false);
    ui.setEnabled(ctl::SBInactiveTriggers, true);
    return Outcome::done();
}

}  // namespace quorvel::prepare

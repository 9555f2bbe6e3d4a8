// "Make Triggers Inactive" and "Make Triggers Active": every trigger of the
// working tables is switched off around a read, and afterwards only those
// that were active before are switched on again.
#include <exception>
#include <string>

#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/TriggerState.h"

namespace quorvel::prepare {

namespace {

// PBTrigger advances one step per trigger switched, painted at once.
void stepDone(Frontend& ui, int done) {
    ui.setProgress("PBTrigger", done);
    ui.processEvents();
}

// The buttons as the state asks for them (a connection enables them from
// R$Trig, which may have been behind).
void showButtonsFor(Frontend& ui, bool inactive) {
    ui.setEnabled("SBInactiveTriggers", !inactive);
    ui.setEnabled("SBActiveTriggers", inactive);
    if (inactive) ui.setEnabled("SBReadFromSynchro", true);
}

// Switching into the state the triggers are in already would record the
// tool's and the user's triggers wrongly (twice off: every trigger taken for
// one the user left off) or switch on what the user left off (on without a
// record of the last switch off). True when the switch may go on; otherwise
// the operation ends here, refused with `why` or failed on a database error.
bool maySwitch(DM& dm, Frontend& ui, bool toInactive, const char* why) {
    bool inactive = false;
    try {
        inactive = SettleTriggerState(dm);
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return false;
    }
    if (inactive != toInactive) return true;
    ui.setError();
    ui.showMessage(why);
    showButtonsFor(ui, inactive);
    return false;
}

}  // namespace

void InactiveTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
    if (!maySwitch(dm, ui, true, "Triggers are inactive already: read from SYNCHRO, then make them active.")) return;
    ui.setProgress("PBTrigger", 0);
    ui.setVisible("PBTrigger", true);
    ui.processEvents();
    try {
        ui.setText("LSAction", "Find inactive triggers");
        ui.processEvents();
        SwitchProgress progress;
        progress.listed = [&ui](int count) {
            ui.setProgressMax("PBTrigger", count);
            ui.setText("LSAction", "Make all triggers inactive");
            ui.processEvents();
        };
        progress.switched = [&ui](int done) { stepDone(ui, done); };
        SwitchTriggersOff(dm, progress);
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
    if (!maySwitch(dm, ui, false, "Triggers are active already.")) return;
    ui.setText("LSAction", "Make triggers active");
    ui.processEvents();
    try {
        SwitchProgress progress;
        progress.listed = [&ui](int count) {
            ui.setProgressMax("PBTrigger", count);
            ui.setProgress("PBTrigger", 0);
            ui.setVisible("PBTrigger", true);
            ui.processEvents();
        };
        progress.switched = [&ui](int done) { stepDone(ui, done); };
        SwitchTriggersOn(dm, progress);
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

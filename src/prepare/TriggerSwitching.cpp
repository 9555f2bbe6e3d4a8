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

}  // namespace

void InactiveTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
    ui.setProgress("PBTrigger", 0);
    ui.setVisible("PBTrigger", true);
    ui.processEvents();
    try {
        ui.setText("LSAction", "Find inactive triggers");
        ui.processEvents();
        SettleTriggerState(dm);
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
    ui.setText("LSAction", "Make triggers active");
    ui.processEvents();
    try {
        SettleTriggerState(dm);
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

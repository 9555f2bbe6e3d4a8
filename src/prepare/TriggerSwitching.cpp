// "Make Triggers Inactive" and "Make Triggers Active": every trigger of the
// working tables is switched off around a read, and afterwards only those
// that were active before are switched on again.
#include <exception>
#include <optional>
#include <string>

#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/TriggerState.h"

namespace quorvel::prepare {

namespace {

// PBTrigger advances one step per trigger switched, painted at once.
void stepDone(Frontend& ui, int done) {
    ui.setProgress(ctl::PBTrigger, done);
    ui.processEvents();
}

// The buttons as the state asks for them (a connection enables them from
// R$Trig, which may have been behind).
void showButtonsFor(Frontend& ui, bool inactive) {
    ui.setEnabled(ctl::SBInactiveTriggers, !inactive);
    ui.setEnabled(ctl::SBActiveTriggers, inactive);
    if (inactive) ui.setEnabled(ctl::SBReadFromSynchro, true);
}

// Switching into the state the triggers are in already would record the
// tool's and the user's triggers wrongly (twice off: every trigger taken for
// one the user left off) or switch on what the user left off (on without a
// record of the last switch off). Nothing when the switch may go on;
// otherwise the outcome: refused with `why`, or failed on a database error.
std::optional<Outcome> refusedSwitch(DM& dm, Frontend& ui, bool toInactive, const char* why) {
    bool inactive = false;
    try {
        inactive = SettleTriggerState(dm);
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    if (inactive != toInactive) return std::nullopt;
    ui.setError();
    ui.showMessage(why);
    showButtonsFor(ui, inactive);
    return Outcome::refused(why);
}

}  // namespace

Outcome InactiveTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
    if (auto refused =
            refusedSwitch(dm, ui, true, "Triggers are inactive already: read from SYNCHRO, then make them active."))
        return *refused;
    ui.setProgress(ctl::PBTrigger, 0);
    ui.setVisible(ctl::PBTrigger, true);
    ui.processEvents();
    try {
        ui.setText(ctl::LSAction, "Find inactive triggers");
        ui.processEvents();
        SwitchProgress progress;
        progress.listed = [&ui](int count) {
            ui.setProgressMax(ctl::PBTrigger, count);
            ui.setText(ctl::LSAction, "Make all triggers inactive");
            ui.processEvents();
        };
        progress.switched = [&ui](int done) { stepDone(ui, done); };
        SwitchTriggersOff(dm, progress);
    } catch (const std::exception& e) {
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
    if (auto refused = refusedSwitch(dm, ui, false, "Triggers are active already.")) return *refused;
    ui.setText(ctl::LSAction, "Make triggers active");
    ui.processEvents();
    try {
        SwitchProgress progress;
        progress.listed = [&ui](int count) {
            ui.setProgressMax(ctl::PBTrigger, count);
            ui.setProgress(ctl::PBTrigger, 0);
            ui.setVisible(ctl::PBTrigger, true);
            ui.processEvents();
        };
        progress.switched = [&ui](int done) { stepDone(ui, done); };
        SwitchTriggersOn(dm, progress);
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

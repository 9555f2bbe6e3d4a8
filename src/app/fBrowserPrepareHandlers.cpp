// The buttons of the page "Prepare for cloning" and the trigger switches of
// "Read from SYNCHRO": each hands the master and what its page holds to one
// operation, then sets the page's labels, bars, buttons and lists from how
// the operation ended.
#include <exception>

#include "app/HintTexts.h"
#include "app/Worker.h"
#include "app/fBrowser.h"
#include "db/CurrentRow.h"
#include "prepare/Operations.h"
#include "replica/Presence.h"
#include "replica/SqlText.h"

namespace quorvel::app {

namespace {

void openUnlessOpen(engine::Query& list) {
    if (!list.active()) list.open();
}

}  // namespace

void TfmBrowser::step(const std::string& what) {
    if (!stepLabel_) return;
    setText(*stepLabel_, what);
    setVisible(*stepLabel_, true);
    if (!workerRunning()) processEvents();
}

void TfmBrowser::progress(long long done, long long total) {
    if (!progressBar_) return;
    if (total > 0) setProgressMax(*progressBar_, static_cast<int>(total));
    setProgress(*progressBar_, static_cast<int>(done));
    setVisible(*progressBar_, true);
    if (!workerRunning()) processEvents();
}

Outcome TfmBrowser::runReported(std::optional<ctl::Control> label, std::optional<ctl::Control> bar,
                                const std::function<Outcome(Reporter&)>& operation) {
    const StatusState before = status_;
    stepLabel_ = label;
    progressBar_ = bar;
    setWorking();
    // On the worker: the window stays painted, and its Cancel usable.
    const Outcome outcome = runOperation([&] { return runOnWorker(*this, operation); });
    stepLabel_.reset();
    progressBar_.reset();
    if (outcome.isDone()) {
        setOK();
    } else if (outcome.kind() == Outcome::Kind::Cancelled) {
        // Answered No: nothing happened, the status stays as it was.
        status_ = before;
        showStatus();
        setWorkAreaEnabled(true);
    } else {
        setError();
    }
    return outcome;
}

void TfmBrowser::reopenPrepareLists() {
    try {
        for (engine::Query* list : {&dm_.QColumns, &dm_.QGenerator, &dm_.QTables}) openUnlessOpen(*list);
        // The lists of the tool's own tables open only where they exist (not
        // before the meta structures, nor after their erasure).
        if (!replica::TablePresent(dm_.UserDB(), "R$WORKINGTABLES")) return;
        for (engine::Query* list :
             {&dm_.QTableTrigger, &dm_.QPKGens, &dm_.QClone, &dm_.QSynchro, &dm_.QWorkingTables})
            openUnlessOpen(*list);
    } catch (const std::exception& e) {
        showMessage(e.what());
    }
}

// Add meta structures to Master DB --------------------------------------------

void TfmBrowser::SBCreateMetaClick() {
    const prepare::MasterBounds bounds{text(ctl::EditMaxValue1), text(ctl::EditMaxValue2)};
    const Outcome outcome = runReported(ctl::LAction, ctl::PBar, [&](Reporter& r) {
        return prepare::CreateMetaStructures(dm_.UserDB(), bounds, r);
    });
    // No step caption or half-full bar stays beside the page's status.
    setVisible(ctl::PBar, false);
    setVisible(ctl::LAction, false);
    if (outcome.isDone()) {
        setEnabled(ctl::SBCreateMeta, false);
        setEnabled(ctl::SBEraseMeta, true);
        setText(ctl::LPrepare, tr("Prepare completed").toStdString());
        setText(ctl::LMaster, "MASTER");
    } else if (!replica::isIntegerText(bounds.maxValue1)) {
        focusAndSelectAll(ctl::EditMaxValue1);  // the refused bound, to be typed again
    } else if (!replica::isIntegerText(bounds.maxValue2)) {
        focusAndSelectAll(ctl::EditMaxValue2);
    }
    if (dm_.UserDB().connected()) reopenPrepareLists();
}

void TfmBrowser::SBEraseMetaClick() {
    const Outcome outcome = runReported(ctl::LAction, ctl::PBar,
                                        [&](Reporter& r) { return prepare::EraseMetaStructures(dm_.UserDB(), r); });
    setVisible(ctl::PBar, false);
    setVisible(ctl::LAction, false);
    if (outcome.isDone()) {
        // Only once the drops are committed: a refused commit must not leave
        // the page claiming the structures are gone.
        setText(ctl::LPrepare, tr("Create additional meta structures first.").toStdString());
        setEnabled(ctl::SBCreateMeta, true);
        setEnabled(ctl::SBEraseMeta, false);
        setText(ctl::LMaster, "");
    }
    if (dm_.UserDB().connected()) reopenPrepareLists();
}

// Generator selection and Table selection ---------------------------------------

void TfmBrowser::SBAddGenClick() {
    const std::optional<std::string> generator = currentValue(dm_.QGenerator, "RDB$GENERATOR_NAME");
    // The offset is asked only for a generator to add; a cancelled box
    // keeps the offset it proposed.
    std::string offset = prepare::kDefaultKeyOffset;
    if (generator)
        offset = inputBox(tr("Offset setting").toStdString(), tr("Offset:").toStdString(), offset).value_or(offset);
    if (runReported({}, {}, [&](Reporter& r) { return prepare::AddKeyGenerator(dm_.UserDB(), generator, offset, r); })
            .isDone())
        dm_.ReopenPKGens();
}

void TfmBrowser::SBRemoveGenClick() {
    const std::optional<std::string> generator = currentValue(dm_.QPKGens, "GeneratorName");
    if (runReported({}, {}, [&](Reporter& r) { return prepare::RemoveKeyGenerator(dm_.UserDB(), generator, r); }).isDone())
        dm_.ReopenPKGens();
}

void TfmBrowser::SBAddTableClick() {
    const std::optional<std::string> table = currentValue(dm_.QTables, "RDB$RELATION_NAME");
    if (runReported({}, {}, [&](Reporter& r) { return prepare::AddWorkingTable(dm_.UserDB(), table, r); }).isDone())
        dm_.ReopenWorkingTables();
}

void TfmBrowser::SBRemoveTableClick() {
    const std::optional<std::string> table = currentValue(dm_.QWorkingTables, "Name");
    if (runReported({}, {}, [&](Reporter& r) { return prepare::RemoveWorkingTable(dm_.UserDB(), table, r); }).isDone())
        dm_.ReopenWorkingTables();
}

void TfmBrowser::SBAddAltttablesClick() {
    runReported({}, {}, [&](Reporter& r) { return prepare::AddAllWorkingTables(dm_.UserDB(), r); });
    // Some names may have gone in even when one failed.
    dm_.ReopenWorkingTables();
}

void TfmBrowser::SBRemoveAllTablesClick() {
    runReported({}, {}, [&](Reporter& r) { return prepare::RemoveAllWorkingTables(dm_.UserDB(), r); });
    dm_.ReopenWorkingTables();
}

void TfmBrowser::SBCreateTriggersClick() {
    if (!runReported({}, {}, [&](Reporter& r) { return prepare::RecreateTriggers(dm_.UserDB(), r); }).isDone()) return;
    // The list as armed, and the history starting again at row 0.
    dm_.ReopenWorkingTables();
    dm_.ReopenSynchro();
}

// The trigger switches of "Read from SYNCHRO" ------------------------------------

namespace {

// The switches as the triggers' state asks for them; the read does not
// depend on them.
void showSwitchesFor(Frontend& window, bool inactive) {
    window.setEnabled(ctl::SBInactiveTriggers, !inactive);
    window.setEnabled(ctl::SBActiveTriggers, inactive);
}

}  // namespace

void TfmBrowser::SBInactiveTriggersClick() {
    // Switched off, the triggers capture nobody's changes: the question says so.
    if (!confirm(inactiveTriggersQuestion().toStdString())) return;
    const Outcome outcome = runReported(ctl::LSAction, ctl::PBTrigger, [&](Reporter& r) {
        return prepare::MakeTriggersInactive(dm_.UserDB(), r);
    });
    setVisible(ctl::PBTrigger, false);
    // Refused: they are inactive already (a connection may have shown the
    // switches from a state that was behind).
    if (outcome.isDone() || outcome.kind() == Outcome::Kind::Refused) showSwitchesFor(*this, true);
}

// The operation names the triggers it will change and asks first.
void TfmBrowser::SBGuardTriggersClick() {
    runReported(ctl::LSAction, ctl::PBTrigger, [&](Reporter& r) { return prepare::GuardTriggers(dm_.UserDB(), r); });
    setVisible(ctl::PBTrigger, false);
}

void TfmBrowser::SBActiveTriggersClick() {
    const Outcome outcome = runReported(ctl::LSAction, ctl::PBTrigger, [&](Reporter& r) {
        return prepare::MakeTriggersActive(dm_.UserDB(), r);
    });
    setVisible(ctl::PBTrigger, false);
    if (outcome.isDone() || outcome.kind() == Outcome::Kind::Refused) showSwitchesFor(*this, false);
}

}  // namespace quorvel::app

// The buttons of the page "Cloning": the window reads the clone list's
// current row and its dialog, the operations get them, and the window
// refreshes its clone list after them.
#include <exception>

#include "app/CloneRowWatch.h"
#include "app/StatusReporter.h"
#include "app/Worker.h"
#include "app/fBrowser.h"
#include "db/CurrentRow.h"

namespace quorvel::app {

namespace {

// The dialog edit to correct for a refused part of the entry.
std::string editOf(clone::EntryPart part) {
    switch (part) {
        case clone::EntryPart::Name: return "EditName";
        case clone::EntryPart::MaxValue1: return "EditMaxValue1";
        case clone::EntryPart::MaxValue2: return "EditMaxValue2";
        default: return "";
    }
}

std::string withoutTrailingBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// The clone list's current row; nullopt when the list is closed or empty.
std::optional<clone::CloneRow> selectedClone(DM& dm) {
    if (!dm.QClone.active() || dm.QClone.isEmpty()) return std::nullopt;
    return clone::CloneRow{dm.QClone.fieldByName("Number").asInteger(), dm.QClone.fieldByName("Name").asString()};
}

// CHAR(31) names come back without their padding, so the typed name is
// compared the same way.
void moveToClone(DM& dm, const std::string& name) {
    const std::string wanted = withoutTrailingBlanks(name);
    dm.QClone.disableControls();
    try {
        dm.QClone.first();
        while (!dm.QClone.eof() && dm.QClone.fieldByName("Name").asString() != wanted) dm.QClone.next();
    } catch (...) {
        dm.QClone.enableControls();
        throw;
    }
    dm.QClone.enableControls();
}

}  // namespace

void TfmBrowser::watchCloneRows() { cloneRowWatch_ = std::make_unique<CloneRowWatch>(*this, dm_.QClone); }

Outcome TfmBrowser::showRegisteredClone(const std::string& name, Outcome registered) {
    try {
        dm_.ReopenClone();
        moveToClone(dm_, name);
        showPeers();
    } catch (const std::exception& e) {
        showMessage(e.what());
        if (registered.isDone()) return Outcome::failed(e.what());
    }
    return registered;
}

void TfmBrowser::SBNewCloneClick() {
    StatusReporter reporter(*this);
    runOperation([&] {
        const Outcome ready = clone::CheckMasterTakesClones(dm_.UserDB(), reporter);
        if (!ready.isDone()) return ready;
        std::string typedName;
        Outcome registered = Outcome::cancelled();
        const bool ok = cloneDialog([&](const clone::CloneEntry& entry) {
            typedName = entry.name;
            // On the worker too: the dialog stays painted while the row is written.
            clone::Registration r{Outcome::cancelled()};
            runOnWorker(reporter, [&](Reporter& worker) {
                r = clone::RegisterClone(dm_.UserDB(), entry, worker);
                return r.outcome;
            });
            registered = r.outcome;
            // Not registered: the dialog stays open with what was typed, on
            // the part to correct (the name when the server refused the row).
            if (!r.outcome.isDone() && r.refused == clone::EntryPart::None) return std::string("EditName");
            return editOf(r.refused);
        });
        if (!ok) return Outcome::cancelled();
        return showRegisteredClone(typedName, registered);
    });
}

void TfmBrowser::SBDelCloneClick() {
    StatusReporter reporter(*this);
    const std::optional<std::string> name = currentValue(dm_.QClone, "Name");
    runOperation([&] {
        const Outcome outcome =
            runOnWorker(reporter, [&](Reporter& r) { return clone::DeleteClone(dm_.UserDB(), name, r); });
        if (outcome.isDone()) {
            dm_.ReopenClone();
            showPeers();
        }
        return reporter.finish(outcome);
    });
}

void TfmBrowser::SBUpdateCloneGensClick() {
    StatusReporter reporter(*this);
    const std::optional<clone::CloneRow> row = selectedClone(dm_);
    runOperation([&] {
        return reporter.finish(runOnWorker(reporter, [&](Reporter& r) {
            return clone::UpdateClone(dm_.UserDB(), dm_.CloneDB(), row, r);
        }));
    });
}

}  // namespace quorvel::app

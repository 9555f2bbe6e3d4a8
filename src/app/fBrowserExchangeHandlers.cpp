// The exchange's buttons: the window reads what is selected (the history
// row) and hands it to the operation.
#include "app/fBrowser.h"
#include "synchro/Operations.h"

namespace quorvel::app {

void TfmBrowser::SBFillSynchroClick() {
    runOperation([](DM& dm, Frontend& ui) { synchro::FillSynchro(dm, ui); });
}

void TfmBrowser::SBReadFromSynchroClick() {
    runOperation([](DM& dm, Frontend& ui) { synchro::ReadFromSynchro(dm, ui); });
}

void TfmBrowser::SBDelSynchroClick() {
    runOperation([](DM& dm, Frontend& ui) {
        std::optional<int64_t> selected;
        if (dm.QSynchro.active() && !dm.QSynchro.isEmpty())
            selected = dm.QSynchro.fieldByName("SYNCHRONUMBER").asInteger();
        synchro::DelSynchro(dm, ui, selected);
    });
}

void TfmBrowser::SBSuccessClick() {
    runOperation([](DM& dm, Frontend& ui) { synchro::Success(dm, ui); });
}

void TfmBrowser::SBCopyNaturalKeyClick() {
    runOperation([](DM& dm, Frontend& ui) { synchro::CopyNaturalKey(dm, ui); });
}

}  // namespace quorvel::app

namespace quorvel::app {

// A large table's copy shows in the second status panel, so the window says
// something while it is busy for minutes.
void TfmBrowser::rowsProgress(const std::string& table, long long rows) {
    setStatusPanel(1, rows > 0 ? table + ": " + std::to_string(rows) + " rows" : "  ");
    processEvents();
}

}  // namespace quorvel::app

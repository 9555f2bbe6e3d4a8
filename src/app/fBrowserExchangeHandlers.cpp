// The exchange's buttons: the window reads what is selected (the history
// row) and hands it to the operation.
#include "app/fBrowser.h"
#include "synchro/Operations.h"

namespace quorvel::app {

void TfmBrowser::SBFillSynchroClick() {
    runOperation([&] { return synchro::FillSynchro(dm_, *this); });
}

void TfmBrowser::SBReadFromSynchroClick() {
    runOperation([&] { return synchro::ReadFromSynchro(dm_, *this); });
}

void TfmBrowser::SBDelSynchroClick() {
    std::optional<int64_t> selected;
    if (dm_.QSynchro.active() && !dm_.QSynchro.isEmpty())
        selected = dm_.QSynchro.fieldByName("SYNCHRONUMBER").asInteger();
    runOperation([&] { return synchro::DelSynchro(dm_, *this, selected); });
}

void TfmBrowser::SBSuccessClick() {
    runOperation([&] { return synchro::Success(dm_, *this); });
}

void TfmBrowser::SBCopyNaturalKeyClick() {
    runOperation([&] { return synchro::CopyNaturalKey(dm_, *this); });
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

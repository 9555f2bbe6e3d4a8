// The exchange's buttons: the window reads what is selected (the history
// row, the "D" entry) and hands it to the operation, and says in the status
// bar what the fill and the read moved.
#include "app/fBrowser.h"
#include "synchro/Operations.h"

namespace quorvel::app {

namespace {

std::string fillSummary(const synchro::FillReport& r) {
    int64_t rows = 0;
    std::string perTable;
    for (const auto& t : r.tables) {
        rows += t.rows;
        perTable += (perTable.empty() ? "" : ", ") + t.name + " " + std::to_string(t.rows);
    }
    return "  Fill done: " + std::to_string(rows) + " rows sent (" + perTable + "), " +
           std::to_string(r.journalEntries) + " journal entries.";
}

std::string readSummary(const synchro::ReadReport& r) {
    int64_t inserted = 0, updated = 0, deleted = 0, skipped = 0;
    for (const auto& t : r.tables) {
        inserted += t.inserted + t.sameRow;
        updated += t.updated;
        deleted += t.deleted;
        skipped += t.masterWins + t.keptOwn + t.stayDeleted + t.notFound;
    }
    std::string s = "  Read done: " + std::to_string(inserted) + " inserted, " + std::to_string(updated) +
                    " updated, " + std::to_string(deleted) + " deleted";
    if (skipped) s += ", " + std::to_string(skipped) + " left as they were here";
    return s + ".";
}

}  // namespace

void TfmBrowser::SBFillSynchroClick() {
    synchro::FillReport report;
    if (runOperation([&] { return synchro::FillSynchro(dm_, *this, &report); }).isDone())
        setStatusPanel(1, fillSummary(report));
}

void TfmBrowser::SBReadFromSynchroClick() {
    synchro::ReadReport report;
    const Outcome outcome = runOperation([&] { return synchro::ReadFromSynchro(dm_, *this, &report); });
    if (outcome.isDone())
        setStatusPanel(1, readSummary(report));
    else if (report.collision)
        setStatusPanel(1, "  Nothing was applied: the read stopped on " + report.collision->table + " (" +
                              report.collision->pass + " pass).");
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

void TfmBrowser::SBDropDeleteEntryClick() {
    engine::Query& entries = dm_.QSynchro6;
    const engine::Field* table = entries.active() && !entries.eof() ? entries.findField("TABLENAME") : nullptr;
    if (!table || !entries.findField("OPERATION")) {
        showMessage("Select the \"D\" entry to drop in \"Synchro\" first.");
        return;
    }
    const std::string name = table->asString();
    const synchro::RecordCode code{entries.fieldByName("R$CODE1").asInteger(),
                                   entries.fieldByName("R$CODE2").asInteger()};
    runOperation([&] { return synchro::DropDeleteEntry(dm_, *this, name, code); });
}

}  // namespace quorvel::app

namespace quorvel::app {

// A large table's copy shows in the second status panel, so the window says
// something while it is busy for minutes.
void TfmBrowser::rowsProgress(const std::string& table, long long rows) {
    progressShown_ = true;
    setStatusPanel(1, rows > 0 ? table + ": " + std::to_string(rows) + " rows" : "  ");
    processEvents();
}

}  // namespace quorvel::app

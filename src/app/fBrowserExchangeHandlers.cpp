// The exchange's buttons: the window reads what is selected (the history
// row, the collision grids' rows, the "D" entry) and hands it to the
// operation; from the outcome it sets its status face, its buttons and its
// lists, opens the collision page after a read that stopped, and says in the
// status bar what the fill and the read moved.
#include "app/ExchangeReporter.h"
#include "package/Folders.h"
#include "package/Operations.h"
#include "app/HintTexts.h"
#include "app/Worker.h"
#include "app/fBrowser.h"
#include "synchro/Operations.h"
#include "synchro/RecordTransfer.h"

namespace quorvel::app {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString qs(int64_t n) { return QString::number(n); }

std::string fillSummary(const synchro::FillReport& r) {
    int64_t rows = 0;
    std::string perTable;
    for (const auto& t : r.tables) {
        rows += t.rows;
        perTable += (perTable.empty() ? "" : ", ") + t.name + " " + std::to_string(t.rows);
    }
    return TfmBrowser::tr("  Fill done: %1 rows sent (%2), %3 journal entries.")
        .arg(qs(rows), qs(perTable), qs(r.journalEntries))
        .toStdString();
}

std::string readSummary(const synchro::ReadReport& r) {
    int64_t inserted = 0, updated = 0, deleted = 0, skipped = 0;
    for (const auto& t : r.tables) {
        inserted += t.inserted + t.sameRow;
        updated += t.updated;
        deleted += t.deleted;
        skipped += t.masterWins + t.keptOwn + t.stayDeleted + t.notFound + t.alreadyHere;
    }
    const QString s = skipped ? TfmBrowser::tr("  Read done: %1 inserted, %2 updated, %3 deleted, "
                                               "%4 left as they were here.")
                                    .arg(qs(inserted), qs(updated), qs(deleted), qs(skipped))
                              : TfmBrowser::tr("  Read done: %1 inserted, %2 updated, %3 deleted.")
                                    .arg(qs(inserted), qs(updated), qs(deleted));
    return s.toStdString();
}

// The status face for how an operation ended; a refusal turns it red only
// where the operation has always shown it so (the fill, the read, dropping
// a "D" entry).
void showEnding(Frontend& window, const Outcome& outcome, bool refusalIsError) {
    switch (outcome.kind()) {
        case Outcome::Kind::Done: window.setOK(); break;
        case Outcome::Kind::Failed: window.setError(); break;
        case Outcome::Kind::Refused:
            if (refusalIsError) window.setError();
            break;
        case Outcome::Kind::Cancelled: break;
    }
}

std::string collisionCaption(const synchro::ReadReport::Collision& c) {
    if (c.table.empty()) return TfmBrowser::tr("The read failed before it reached a table.").toStdString();
    if (c.pass == "DELETE")
        return TfmBrowser::tr("Table %1: the read stopped deleting the rows the sender deleted%2. \"Synchro\" lists "
                              "the sender's \"D\" entries of %1; \"Drop the D entry\" keeps the row here, or remove "
                              "what refers to the row here, then read again.")
            .arg(qs(c.table),
                 c.entry ? TfmBrowser::tr(" (\"D\" entry %1)").arg(qs(c.entry->text())) : QString())
            .toStdString();
    return TfmBrowser::tr("Table %1: the read stopped in its %2 pass. \"Synchro\" shows the sent rows of %1, "
                          "\"Master/Clone\" the local rows.")
        .arg(qs(c.table), qs(c.pass))
        .toStdString();
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ";") + n;
    return s;
}

// The row of `rows` holding the record code `code`, or the first.
void selectCode(engine::DataSet& rows, const replica::RecordCode& code) {
    const engine::Field* c1 = rows.findField("R$CODE1");
    const engine::Field* c2 = rows.findField("R$CODE2");
    if (!c1 || !c2) return;
    for (rows.first(); !rows.eof(); rows.next())
        if (!c1->isNull() && !c2->isNull() && c1->asInteger() == code.high && c2->asInteger() == code.low) return;
    rows.first();
}

// The current row of a grid's data set, as values.
synchro::SelectedRow selectedRow(engine::DataSet& rows) {
    synchro::SelectedRow row;
    if (!rows.active() || rows.isEmpty() || rows.eof()) return row;
    for (int i = 0; i < rows.fieldCount(); ++i) {
        row.columns.push_back(rows.field(i).name());
        row.values.push_back(rows.field(i).asValue());
    }
    return row;
}

// The collision page's grids, from what the read reported: the synchro rows
// the pass was applying, on the failing one, and the local table, on the row
// it collided with.
void openCollisionGrids(DM& dm, const synchro::ReadReport::Collision& c) {
    if (c.table.empty()) return;
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(true);
    if (!c.synchroRows.empty()) {
        dm.QSynchro6Show(c.synchroRows);
        if (c.synchroCode) selectCode(dm.QSynchro6, *c.synchroCode);
    }
    if (dm.TMaster.active() && dm.TMaster.state() != engine::DataSetState::Browse) dm.TMaster.cancel();
    dm.TMaster.close();
    dm.TMaster.setTableName(c.table);
    dm.TMaster.open();
    if (!c.localKeyColumns.empty()) dm.TMaster.locate(joined(c.localKeyColumns), c.localKey);
}


void showCollision(TfmBrowser& window, DM& dm, const synchro::ReadReport::Collision& c) {
    window.setText(ctl::LCollisionTable, collisionCaption(c));
    window.setEnabled(ctl::SBCopyNaturalKey, !c.table.empty() && c.pass != "DELETE");
    window.setEnabled(ctl::SBPassOverSynchroRow, !c.table.empty() && c.pass != "DELETE");
    window.setEnabled(ctl::SBDropDeleteEntry, !c.table.empty() && c.pass == "DELETE");
    try {
        openCollisionGrids(dm, c);
    } catch (const std::exception&) {
        // The read's own message has been shown; the grids stay as they are.
    }
    window.setStatusPanel(1, TfmBrowser::tr("  Nothing was applied: the read stopped on %1 (%2 pass).")
                                 .arg(qs(c.table), qs(c.pass))
                                 .toStdString());
    window.showPage(ctl::TSCollision);
}

// "Success" asks first what it removes: only what every site has read.
class SuccessReporter : public ExchangeReporter {
public:
    using ExchangeReporter::ExchangeReporter;
    bool confirm(const std::string& question) override {
        return ExchangeReporter::confirm(successExplanation().toStdString() + "\n\n" + question);
    }
};

}  // namespace

namespace {

// The collision page's grids let go of the databases before a fill or a
// read works on them; a row left half edited there is never written.
void closeCollisionGrids(DM& dm) {
    if (dm.TMaster.active() && dm.TMaster.state() != engine::DataSetState::Browse) dm.TMaster.cancel();
    dm.TMaster.close();
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(false);
}

}  // namespace

namespace {

// The words of a fill or read that ended, on its page's "Action:" label, in
// the status bar and, for a cancel, in a box: the last step is not left
// there as if it still ran.
void showEndWords(Frontend& window, ctl::Control label, const Outcome& outcome, const std::string& cancelled) {
    if (outcome.failure() == engine::Failure::Cancelled) {
        window.setText(label, cancelled);
        window.setStatusPanel(1, "  " + cancelled);
        window.showMessage(cancelled);
        return;
    }
    switch (outcome.kind()) {
        case Outcome::Kind::Done: window.setText(label, TfmBrowser::tr("Done.").toStdString()); break;
        case Outcome::Kind::Cancelled: break;
        default: window.setText(label, TfmBrowser::tr("Stopped: nothing was changed.").toStdString()); break;
    }
}

}  // namespace

void TfmBrowser::SBFillSynchroClick() {
    closeCollisionGrids(dm_);
    synchro::FillReport report;
    ExchangeReporter reporter(*this, ctl::LFillAction, &dm_.QTableOrder);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) {
            return synchro::FillSynchro(dm_.UserDB(), dm_.SynchroDB(), r, &report);
        });
    });
    if (outcome.isDone()) {
        dm_.ReopenSynchro();
        setEnabled(ctl::SBSuccess, true);
    }
    showPeers();
    showEnding(*this, outcome, true);
    showEndWords(*this, ctl::LFillAction, outcome,
                 tr("Fill cancelled: the synchro database and the fill number are as they were.").toStdString());
    if (outcome.isDone()) setStatusPanel(1, fillSummary(report));
}

void TfmBrowser::SBReadFromSynchroClick() {
    closeCollisionGrids(dm_);
    synchro::ReadReport report;
    ExchangeReporter reporter(*this, ctl::LSAction, &dm_.QTableOrder);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) {
            return synchro::ReadFromSynchro(dm_.UserDB(), dm_.SynchroDB(), r, &report);
        });
    });
    showPeers();
    showEnding(*this, outcome, true);
    showEndWords(*this, ctl::LSAction, outcome, tr("Read cancelled: nothing was applied.").toStdString());
    if (outcome.isDone())
        setStatusPanel(1, readSummary(report));
    else if (report.collision && outcome.failure() != engine::Failure::Cancelled)
        showCollision(*this, dm_, *report.collision);
}

void TfmBrowser::SBDelSynchroClick() {
    std::optional<int64_t> selected;
    if (dm_.QSynchro.active() && !dm_.QSynchro.isEmpty())
        selected = dm_.QSynchro.fieldByName("SYNCHRONUMBER").asInteger();
    ExchangeReporter reporter(*this);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) { return synchro::DelSynchro(dm_.UserDB(), r, selected); });
    });
    if (outcome.isDone()) dm_.ReopenSynchro();
    showEnding(*this, outcome, false);
}

void TfmBrowser::SBSuccessClick() {
    SuccessReporter reporter(*this);
    const Outcome outcome = runOperation(
        [&] { return runOnWorker(reporter, [&](Reporter& r) { return synchro::Success(dm_.UserDB(), r); }); });
    if (outcome.isDone()) setEnabled(ctl::SBFillSynchro, false);
    showPeers();
    showEnding(*this, outcome, false);
}

// The two folders are asked for, proposed as remembered for this database's
// alias, and remembered again once chosen.
void TfmBrowser::SBExchangePackagesClick() {
    const std::string alias = dm_.UserDB().aliasName();
    const package::Folders remembered = package::rememberedFolders(alias);
    const std::string caption = tr("Exchange by packages").toStdString();
    const std::optional<std::string> inbox =
        inputBox(caption, tr("Folder of the packages waiting for this site (inbox):").toStdString(), remembered.inbox);
    if (!inbox || inbox->empty()) return;
    const std::optional<std::string> outbox =
        inputBox(caption, tr("Folder for this site's own package (outbox):").toStdString(), remembered.outbox);
    if (!outbox || outbox->empty()) return;
    package::rememberFolders(alias, {*inbox, *outbox});
    package::ExchangeReport report;
    const Outcome outcome = runReported(ctl::LFillAction, {}, [&](Reporter& r) {
        return package::ExchangePackages(dm_.UserDB(), *inbox, *outbox, r, &report);
    });
    const auto& received = report.received;
    setStatusPanel(1, tr("  Exchange: %1 read, %2 refused, %3 left; %4")
                          .arg(received.count(package::ReceiveReport::Kind::Read))
                          .arg(received.count(package::ReceiveReport::Kind::Refused))
                          .arg(received.count(package::ReceiveReport::Kind::NotRead) +
                               received.count(package::ReceiveReport::Kind::NotForHere))
                          .arg(report.sent ? tr("sent %1.").arg(QString::fromStdString(report.send.file))
                                           : tr("nothing sent."))
                          .toStdString());
    if (dm_.QSynchro.active()) dm_.ReopenSynchro();
    showPeers();
    showEnding(*this, outcome, true);
}

void TfmBrowser::SBCopyNaturalKeyClick() {
    // A failed insert left in the grid is never written: the copy replaces a
    // row that is there, found by its key.
    if (dm_.TMaster.active() && dm_.TMaster.state() != engine::DataSetState::Browse) dm_.TMaster.cancel();
    const synchro::SelectedRow row =
        dm_.TMaster.active() ? selectedRow(dm_.QSynchro6) : synchro::SelectedRow{};
    const std::string table = dm_.TMaster.tableName();
    ExchangeReporter reporter(*this);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) {
            return synchro::CopyNaturalKey(dm_.UserDB(), dm_.SynchroDB(), r, table, row);
        });
    });
    showEnding(*this, outcome, false);
    if (!outcome.isDone()) return;
    // "Master/Clone" shows the local row as it is now.
    const std::string keyList = dm_.TMaster.primaryKeyFields();
    std::vector<engine::Value> key;
    for (const std::string& column : synchro::splitKeyList(keyList))
        for (std::size_t i = 0; i < row.columns.size(); ++i)
            if (row.columns[i] == column) key.push_back(row.values[i]);
    dm_.TMaster.close();
    dm_.TMaster.open();
    dm_.TMaster.locate(keyList, key);
}

// "Do not take the synchro row": the selected synchro row, found by its
// primary key, is not taken here (delete-synchro-row).
void TfmBrowser::SBPassOverSynchroRowClick() {
    if (dm_.TMaster.active() && dm_.TMaster.state() != engine::DataSetState::Browse) dm_.TMaster.cancel();
    engine::Query& rows = dm_.QSynchro6;
    const std::string table = dm_.TMaster.tableName();
    std::vector<std::string> key;
    if (dm_.TMaster.active() && rows.active() && !rows.eof())
        for (const std::string& column : synchro::splitKeyList(dm_.TMaster.primaryKeyFields()))
            if (const engine::Field* f = rows.findField(column)) key.push_back(f->asString());
    if (table.empty() || key.empty()) {
        showMessage(tr("Select the record in \"Synchro\" first.").toStdString());
        return;
    }
    ExchangeReporter reporter(*this);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) {
            return synchro::DeleteSynchroRow(dm_.UserDB(), dm_.SynchroDB(), r, table, key);
        });
    });
    showEnding(*this, outcome, false);
    if (!outcome.isDone()) return;
    dm_.TMaster.close();
    dm_.TMaster.open();
}

void TfmBrowser::SBDropDeleteEntryClick() {
    engine::Query& entries = dm_.QSynchro6;
    const engine::Field* table = entries.active() && !entries.eof() ? entries.findField("TABLENAME") : nullptr;
    if (!table || !entries.findField("OPERATION")) {
        showMessage(tr("Select the \"D\" entry to drop in \"Synchro\" first.").toStdString());
        return;
    }
    const std::string name = table->asString();
    const replica::RecordCode code{entries.fieldByName("R$CODE1").asInteger(),
                                   entries.fieldByName("R$CODE2").asInteger()};
    ExchangeReporter reporter(*this);
    const Outcome outcome = runOperation([&] {
        return runOnWorker(reporter, [&](Reporter& r) {
            return synchro::DropDeleteEntry(dm_.UserDB(), dm_.SynchroDB(), r, name, code);
        });
    });
    showEnding(*this, outcome, true);
}

}  // namespace quorvel::app

namespace quorvel::app {

// A large table's copy shows in the second status panel, so the window says
// something while it is busy for minutes.
void TfmBrowser::rowsProgress(const std::string& table, long long rows) {
    progressShown_ = true;
    setStatusPanel(1, rows > 0 ? tr("%1: %2 rows").arg(qs(table), qs(static_cast<int64_t>(rows))).toStdString() : "  ");
    // An operation on the worker leaves the window's own loop running.
    if (!workerRunning()) processEvents();
}

}  // namespace quorvel::app

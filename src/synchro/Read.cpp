// "Read from SYNCHRO": applies another site's synchro database to the local
// one in one transaction on each connection, so a read is applied whole or
// not at all, also when the process is killed. On a failure the collision
// page shows the table where it stopped.
#include <optional>

#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "synchro/ColumnFit.h"
#include "synchro/LocalSite.h"
#include "synchro/MomentaryFailure.h"
#include "synchro/Operations.h"
#include "synchro/ReadPasses.h"
#include "synchro/Refusal.h"
#include "synchro/SynchroIdentity.h"
#include "synchro/TriggerState.h"

namespace quorvel::synchro {

namespace {

Outcome refuse(Frontend& ui, const std::string& why) {
    ui.setError();
    ui.showMessage(why);
    return Outcome::refused(why);
}

RecordCode senderMark(DM& dm) {
    engine::Query q(dm.SynchroDB());
    q.setSql("select R$Code1, R$Code2 from R$Synchro");
    q.open();
    if (q.eof() || q.field(0).isNull() || q.field(1).isNull())
        throw Refusal("The synchro database holds no mark (its R$SYNCHRO is empty): it has not been filled.");
    return {q.field(0).asInteger(), q.field(1).asInteger()};
}

std::string identityOf(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select Name from R$Clone where ME = \"Y\"");
    q.open();
    if (q.eof()) throw Refusal("This database has no identity: no row of R$CLONE is marked ME = \"Y\".");
    return q.field(0).asString();
}

void showReadAction(Frontend& ui, const char* caption) {
    ui.setText("LSAction", caption);
    ui.processEvents();
}

std::vector<std::string> rowText(engine::DataSet& ds) {
    std::vector<std::string> out;
    if (!ds.active() || ds.eof()) return out;
    for (int i = 0; i < ds.fieldCount(); ++i)
        out.push_back(ds.field(i).name() + "=" + (ds.field(i).isNull() ? "<null>" : ds.field(i).asString()));
    return out;
}

// The values of the current synchro row's columns named in `keyList`
// (names joined by ";"), or nothing when the row lacks one of them.
std::optional<std::vector<engine::Value>> keyOf(engine::DataSet& synchroRows, const std::string& keyList) {
    std::vector<engine::Value> key;
    for (std::string::size_type s = 0;;) {
        const auto e = keyList.find(';', s);
        const engine::Field* f = synchroRows.findField(keyList.substr(s, e == std::string::npos ? e : e - s));
        if (!f) return std::nullopt;
        key.push_back(f->asValue());
        if (e == std::string::npos) break;
        s = e + 1;
    }
    return key;
}

// The local table as it is after the rollback, on the row that holds `key`
// in the columns `keyList`; true when there is one.
bool showLocalRow(DM& dm, const std::string& table, const std::string& keyList,
                  const std::vector<engine::Value>& key) {
    dm.TMaster.close();
    dm.TMaster.setTableName(table);
    dm.TMaster.open();
    return key.size() == 1 ? dm.TMaster.locate(keyList, key[0]) : dm.TMaster.locate(keyList, key);
}

// The INSERT or UPDATE pass failed on the current synchro row: the local
// side shows the row that holds its primary key, read afresh.
void showRowCollision(DM& dm, ReadReport::Collision& c) {
    c.synchroRow = rowText(dm.QSynchro6);
    dm.TMaster.setTableName(c.table);
    const std::string keyList = dm.TMaster.primaryKeyFields();
    const auto key = keyList.empty() ? std::nullopt : keyOf(dm.QSynchro6, keyList);
    if (key && showLocalRow(dm, c.table, keyList, *key)) c.localRow = rowText(dm.TMaster);
}

// The DELETE pass failed on the current "D" entry: the synchro side lists
// the sender's "D" entries of the table (on the failing one), the local side
// the row that entry names.
void showDeleteCollision(DM& dm, ReadReport::Collision& c) {
    engine::DataSet& entries = dm.QSynchro6;
    if (entries.active() && !entries.eof() && entries.fieldCount() >= 2 && !entries.field(0).isNull() &&
        !entries.field(1).isNull())
        c.entry = RecordCode{entries.field(0).asInteger(), entries.field(1).asInteger()};
    c.synchroRow = rowText(entries);
    if (c.entry && showLocalRow(dm, c.table, "R$CODE1;R$CODE2", {c.entry->high, c.entry->low}))
        c.localRow = rowText(dm.TMaster);
    entries.close();
    dm.QSynchro6.setLive(true);
    dm.QSynchro6Show("select * from R$DELETEDUPDATED where Operation = 'D' and TableName = '" + c.table +
                     "' order by R$Code1, R$Code2");
    if (!c.entry) return;
    for (entries.first(); !entries.eof(); entries.next())
        if (entries.fieldByName("R$CODE1").asInteger() == c.entry->high &&
            entries.fieldByName("R$CODE2").asInteger() == c.entry->low)
            return;
    entries.first();
}

// After a failed read (both transactions rolled back): the collision page
// shows the failing table's rows, names the table and offers what settles
// that kind of failure.
ReadReport::Collision showCollision(DM& dm, Frontend& ui, const std::string& table, const std::string& pass,
                                    const std::string& message) {
    ReadReport::Collision c{table, pass, message, {}, {}, {}};
    // The failed insert or update is never written; the grid must not offer it.
    if (dm.TMaster.active() && dm.TMaster.state() != engine::DataSetState::Browse) dm.TMaster.cancel();
    const bool deleting = pass == "DELETE";
    try {
        if (!table.empty()) deleting ? showDeleteCollision(dm, c) : showRowCollision(dm, c);
    } catch (const std::exception&) {
        // The server's first message is the one to report.
    }
    std::string caption;
    if (table.empty())
        caption = "The read failed before it reached a table.";
    else if (deleting)
        caption = "Table " + table + ": the read stopped deleting the rows the sender deleted" +
                  (c.entry ? " (\"D\" entry " + c.entry->text() + ")" : std::string()) +
                  ". \"Synchro\" lists the sender's \"D\" entries of " + table +
                  "; \"Drop the D entry\" keeps the row here, or remove what "
                  "refers to the row here, then read again.";
    else
        caption = "Table " + table + ": the read stopped in its " + pass + " pass. \"Synchro\" shows the sent rows of " +
                  table + ", \"Master/Clone\" the local rows.";
    ui.setText(ctl::LCollisionTable, caption);
    ui.setEnabled(ctl::SBCopyNaturalKey, !table.empty() && !deleting);
    ui.setEnabled(ctl::SBDropDeleteEntry, deleting && !table.empty());
    return c;
}

}  // namespace

Outcome ReadFromSynchro(DM& dm, Frontend& ui, ReadReport* report, bool confirmed) {
    if (!dm.UserDB().connected()) return refuse(ui, "Connect to the Master/Clone database first.");
    if (!dm.SynchroDB().connected()) return refuse(ui, "Connect to the In Synchro database first.");
    ReadReport local;
    ReadReport& rep = report ? *report : local;
    rep = {};
    try {
        // What the in-synchro database is and who filled it, before anything
        // is asked or changed: a replicated database would be applied whole as
        // changes, and a site's own fill would revert its later edits.
        const DatabaseIdentity source = identify(dm.SynchroDB());
        if (const std::string why = notASynchroDatabase(dm.SynchroDB(), source, dm.UserDB()); !why.empty())
            return refuse(ui, why);
        if (source.sender) {
            const std::string here = identify(dm.UserDB()).site;
            if (source.sender->site == here)
                return refuse(ui, dm.SynchroDB().aliasName() + " holds this site's own fill (" +
                                      siteText(here) + "'s fill no. " + std::to_string(source.sender->fillNumber) +
                                      "): a site never reads its own fill. Read the fill of another site. "
                                      "Nothing was changed.");
        } else if (!source.hasSenderTable) {
            ui.showMessage(dm.SynchroDB().aliasName() +
                           " does not tell who filled it (it was made by an earlier definition); reading it.");
        }
        if (triggersActive(dm.UserDB()))
            return refuse(ui, "The triggers of this database are active: make them inactive before a read "
                              "(\"Make Triggers Inactive\"), or the read would give the rows new codes and "
                              "journal them as local changes.");
    } catch (const std::exception& e) {
        // A lost connection or another user's lock is the moment's, not a
        // fault of either database: say so, as the passes do.
        if (auto why = momentaryReadFailure(e, "")) {
            ui.setError();
            ui.showMessage(*why);
            return Outcome::failed(*why, engine::failureOf(e));
        }
        return refuse(ui, e.what());
    }
    if (!confirmed && !ui.confirm("You HAVE TO make triggers inactive! Read now?")) return Outcome::cancelled();

    ui.setWorking();
    std::string table, pass;
    try {
        engine::Transaction synchro(dm.SynchroDB());
        engine::Transaction user(dm.UserDB());
        const RecordCode mark = senderMark(dm);
        const bool master = identityOf(dm.UserDB()) == "MASTER";
        const std::vector<std::string> order = tableOrder(dm.UserDB());
        std::vector<std::string> needed = order;
        needed.push_back("R$DELETEDUPDATED");
        requireTables(dm.SynchroDB(), dm.UserDB(), needed, "synchro database");
        const Journal localJournal = Journal::read(dm.UserDB());
        const Journal sentJournal = Journal::read(dm.SynchroDB());
        ReadContext cx{dm, ui, master, mark, localJournal, sentJournal};

        for (const std::string& t : order) rep.tables.push_back({t});
        dm.QTableOrder.close();
        dm.QTableOrder.open();
        // The grid of the table order follows the table being read.
        auto each = [&](const char* caption, bool forwards, void (*run)(ReadContext&, const std::string&,
                                                                          ReadReport::Table&)) {
            pass = caption;
            showReadAction(ui, caption);
            const int n = static_cast<int>(order.size());
            for (int i = 0; i < n; ++i) {
                const int k = forwards ? i : n - 1 - i;
                table = order[k];
                dm.QTableOrder.moveTo(k);
                run(cx, table, rep.tables[k]);
                ui.processEvents();
            }
        };
        requireColumnsFit({dm.SynchroDB(), "the synchro database"}, {dm.UserDB(), "this database"}, order);
        each("DELETE", false, deletePass);
        each("INSERT", true, insertPass);
        each("UPDATE", false, updatePass);
        table.clear();
        user.commit();
        synchro.commit();
    } catch (const Refusal& r) {
        return refuse(ui, r.what());
    } catch (const std::exception& e) {
        // Both transactions are rolled back by now.
        if (auto why = momentaryReadFailure(e, table)) {
            // Another user's lock or a lost connection: no collision to show,
            // and the failed row is never offered for posting.
            if (dm.TMaster.active() && dm.TMaster.state() != engine::DataSetState::Browse) dm.TMaster.cancel();
            ui.setError();
            ui.showMessage(*why);
            return Outcome::failed(*why, engine::failureOf(e));
        }
        ReadReport::Collision c = showCollision(dm, ui, table, pass, e.what());
        rep.collision = c;
        ui.setError();
        ui.showMessage(e.what());
        ui.showPage("TSCollision");
        return Outcome::failed(e.what());
    }
    ui.setOK();
    ui.showMessage("Do not forget make triggers active again!");
    return Outcome::done();
}

}  // namespace quorvel::synchro

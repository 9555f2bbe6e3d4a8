// "Read from SYNCHRO": applies another site's synchro database to the local
// one in one transaction on each connection, so a read is applied whole or
// not at all, also when the process is killed. On a failure the collision
// page shows the table where it stopped.
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "synchro/ColumnFit.h"
#include "synchro/LocalSite.h"
#include "synchro/Operations.h"
#include "synchro/ReadPasses.h"
#include "synchro/Refusal.h"
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

// The local row with the failing synchro row's primary key, read afresh
// after the rollback (the table component stays in its failed state for the
// collision page).
std::vector<std::string> localRowWithKeyOf(DM& dm, const std::string& table) {
    if (!dm.QSynchro6.active() || dm.QSynchro6.eof() || !dm.TMaster.active()) return {};
    const std::string keyList = dm.TMaster.primaryKeyFields();
    if (keyList.empty()) return {};
    engine::Query q(dm.UserDB());
    std::string where;
    std::vector<std::string> names;
    for (std::string::size_type s = 0;;) {
        const auto e = keyList.find(';', s);
        names.push_back(keyList.substr(s, e == std::string::npos ? e : e - s));
        if (e == std::string::npos) break;
        s = e + 1;
    }
    for (std::size_t k = 0; k < names.size(); ++k)
        where += (k ? " and " : "") + names[k] + " = :K" + std::to_string(k);
    q.setSql("select * from " + table + " where " + where);
    for (std::size_t k = 0; k < names.size(); ++k) {
        const engine::Field* f = dm.QSynchro6.findField(names[k]);
        if (!f) return {};
        q.setParam("K" + std::to_string(k), f->asValue());
    }
    q.open();
    std::vector<std::string> row = rowText(q);
    q.close();
    return row;
}

}  // namespace

Outcome ReadFromSynchro(DM& dm, Frontend& ui, ReadReport* report, bool confirmed) {
    if (!dm.UserDB().connected()) return refuse(ui, "Connect to the Master/Clone database first.");
    if (!dm.SynchroDB().connected()) return refuse(ui, "Connect to the In Synchro database first.");
    ReadReport local;
    ReadReport& rep = report ? *report : local;
    rep = {};
    try {
        if (triggersActive(dm.UserDB()))
            return refuse(ui, "The triggers of this database are active: make them inactive before a read "
                              "(\"Make Triggers Inactive\"), or the read would give the rows new codes and "
                              "journal them as local changes.");
    } catch (const std::exception& e) {
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
        ReadReport::Collision c{table, pass, e.what(), {}, {}};
        if (!table.empty() && pass != "DELETE") {
            c.synchroRow = rowText(dm.QSynchro6);
            try {
                c.localRow = localRowWithKeyOf(dm, table);
            } catch (const std::exception&) {
                // The server's first message is the one to report.
            }
        }
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

// "Fill SYNCHRO gdb": writes into the out-synchro database everything another
// site needs to catch up with this one: the rows created here since the last
// mark, the rows named by the journal's "U" entries, the whole journal and
// the previous mark; then adds the new mark to the local history.
//
// Nothing is pruned from the local journal: entries travel with every fill
// until "Success" empties it, so an update of a row that came from another
// site, or that a clone holds from its backup, is never lost on the way.
// The synchro database commits before the local one: if the fill dies
// between the two, the local history has not moved and the next fill sends
// the same changes again.
#include <fstream>

#include "db/Today.h"
#include "engine/Error.h"
#include "engine/Transaction.h"
#include "synchro/ColumnFit.h"
#include "synchro/FillSelection.h"
#include "synchro/LocalSite.h"
#include "synchro/Operations.h"
#include "synchro/Refusal.h"
#include "synchro/SynchroIdentity.h"
#include "synchro/TMyBM.h"

namespace quorvel::synchro {

namespace {

void showFillAction(Frontend& ui, const std::string& caption) {
    ui.setText("LFillAction", caption);
    ui.processEvents();
}

// The trace of the last table's selection, in the process's current folder.
void writeTrace(const std::string& statement) {
    std::ofstream out("sss.txt", std::ios::binary | std::ios::trunc);
    std::string::size_type start = 0;
    while (start <= statement.size()) {
        const auto end = statement.find('\n', start);
        out << statement.substr(start, end == std::string::npos ? std::string::npos : end - start) << "\r\n";
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

void emptySynchro(DM& dm, const std::vector<std::string>& working) {
    for (const std::string& t : working) dm.QSynchro6Exec("delete from " + t);
    dm.QSynchro6Exec("delete from R$DELETEDUPDATED");
    dm.QSynchro6Exec("delete from R$SYNCHRO");
    dm.QSynchro6Exec("delete from R$SENDER");
}

// A text inside a double-quoted literal.
std::string quoted(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out;
}

RecordCode drawMark(DM& dm) {
    const int64_t high = dm.Q6Integer("select C from R$Fill(1)");
    const int64_t low = dm.Q6Integer("select C from R$Fill(2)");
    dm.Q6.close();
    return {high, low};
}

Outcome refuse(Frontend& ui, const std::string& why) {
    ui.setError();
    ui.showMessage(why);
    return Outcome::refused(why);
}

}  // namespace

Outcome FillSynchro(DM& dm, Frontend& ui, FillReport* report) {
    if (!dm.UserDB().connected()) return refuse(ui, "Connect to the Master/Clone database first.");
    if (!dm.SynchroDB().connected()) return refuse(ui, "Connect to the Out Synchro database first.");
    // What the out-synchro database is, before anything in it is emptied:
    // the master, a clone or the local file itself must never be.
    DatabaseIdentity target, here;
    try {
        target = identify(dm.SynchroDB());
        if (const std::string why = notASynchroDatabase(dm.SynchroDB(), target, dm.UserDB()); !why.empty())
            return refuse(ui, why);
        here = identify(dm.UserDB());
    } catch (const std::exception& e) {
        return refuse(ui, e.what());
    }
    // Another site's fill may not have been read yet: replace it only when
    // asked to.
    if (target.sender && !here.site.empty() && target.sender->site != here.site &&
        !ui.confirm("It holds " + siteText(target.sender->site) + "'s fill no. " +
                    std::to_string(target.sender->fillNumber) + ". Replace it?"))
        return Outcome::cancelled();
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(false);
    FillReport local;
    FillReport& rep = report ? *report : local;
    rep = {};
    std::optional<std::string> pastBound;
    ui.setWorking();
    try {
        engine::Transaction user(dm.UserDB());
        const LocalSite site = LocalSite::read(dm.UserDB());
        pastBound = codesPastBound(dm.UserDB(), site);
        const std::vector<std::string> working = workingTables(dm.UserDB());
        std::vector<std::string> ordered = tableOrder(dm.UserDB());
        if (!target.hasSenderTable) {
            // Made by the earlier definition: the table that names the sender is added.
            engine::Transaction ddl(dm.SynchroDB());
            dm.SynchroDB().execute(kCreateSenderTable);
            ddl.commit();
        }
        {
            engine::Transaction synchro(dm.SynchroDB());
            std::vector<std::string> needed = working;
            needed.insert(needed.end(), ordered.begin(), ordered.end());
            needed.push_back("R$DELETEDUPDATED");
            needed.push_back("R$SYNCHRO");
            requireTables(dm.SynchroDB(), dm.UserDB(), needed, "synchro database");
            requireColumnsFit({dm.UserDB(), "this database"}, {dm.SynchroDB(), "the synchro database"}, ordered);

            showFillAction(ui, "Clear Synchro tables");
            emptySynchro(dm, working);
            synchro.commit();  // the emptied synchro database stays empty whatever follows
        }
        engine::Transaction synchro(dm.SynchroDB());
        const std::string date = todayText();
        dm.QSynchro6Exec("insert into R$SYNCHRO values(" + std::to_string(site.lastNumber) + ", \"" + date +
                         "\", " + std::to_string(site.mark.high) + "," + std::to_string(site.mark.low) + ")");
        dm.QSynchro6Exec("insert into R$SENDER values (\"" + quoted(site.identity) + "\", " +
                         std::to_string(here.siteNumber) + ", " + std::to_string(site.lastNumber + 1) + ", \"" +
                         date + "\")");

        showFillAction(ui, "Fill R$DeletedUpdated");
        TMyBM bm(dm);
        dm.Q6.close();
        dm.Q6.setSql("select * from R$DeletedUpdated");
        dm.TSynchro.close();
        dm.TSynchro.setTableName("R$DELETEDUPDATED");
        bm.Source = &dm.Q6;
        bm.Target = &dm.TSynchro;
        bm.Mode = 0;
        bm.Transfer();
        rep.journalEntries = bm.Moved;

        dm.QTableOrder.close();
        dm.QTableOrder.open();
        for (dm.QTableOrder.first(); !dm.QTableOrder.eof(); dm.QTableOrder.next()) {
            const std::string table = dm.QTableOrder.fieldByName("TABLENAME").asString();
            const FillSelection selection = fillSelection(table, site.mark, site.bound);
            writeTrace(selection.created + "\n;\n" + selection.updated + "\n;");
            int64_t sent = 0;
            ui.rowsProgress(table, 0);
            for (const std::string* statement : {&selection.created, &selection.updated}) {
                dm.Q6.close();
                dm.Q6.setSql(*statement);
                dm.TSynchro.close();
                dm.TSynchro.setTableName(table);
                bm.Target = &dm.TSynchro;
                bm.OnRows = [&ui, table, sent](int64_t rows) { ui.rowsProgress(table, sent + rows); };
                bm.Transfer();
                sent += bm.Moved;
            }
            rep.tables.push_back({table, sent});
            ui.rowsProgress(table, sent);
            ui.processEvents();
        }
        dm.Q6.close();
        dm.TSynchro.close();

        const RecordCode next = drawMark(dm);
        dm.Q6Exec("insert into R$SYNCHRO values(" + std::to_string(site.lastNumber + 1) + ", \"" + date + "\", " +
                  std::to_string(next.high) + ", " + std::to_string(next.low) + ")");
        synchro.commit();
        user.commit();
    } catch (const Refusal& r) {
        return refuse(ui, r.what());
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    dm.ReopenSynchro();
    ui.setEnabled("SBSuccess", true);
    ui.setOK();
    if (pastBound) ui.showMessage(*pastBound);
    return Outcome::done();
}

}  // namespace quorvel::synchro

// Settling a collision: copy a synchro record over a local one (keeping the
// local record code), and delete a row from the synchro database, from the
// collision page's grids or, for scripts, by primary key.
#include <cctype>

#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "synchro/Operations.h"
#include "synchro/TMyBM.h"

namespace quorvel::synchro {

namespace {

Outcome refuse(Frontend& ui, const std::string& why) {
    ui.showMessage(why);
    return Outcome::refused(why);
}

Outcome fail(Frontend& ui, const std::exception& e) {
    ui.setError();
    ui.showMessage(e.what());
    return Outcome::failed(e.what());
}

bool isCodeColumn(const std::string& name) { return name == "R$CODE1" || name == "R$CODE2"; }

// Every column the local table shares by name with the synchro row, but the
// record code: the local row keeps its own.
void copyOver(engine::DataSet& from, engine::Table& to) {
    if (to.state() != engine::DataSetState::Browse) to.cancel();
    to.edit();
    for (int i = 0; i < to.fieldCount(); ++i) {
        engine::Field& target = to.field(i);
        if (isCodeColumn(target.name())) continue;
        if (const engine::Field* source = from.findField(target.name())) target.assign(*source);
    }
    to.post();
}

std::string rowText(engine::DataSet& ds) {
    std::string s;
    for (int i = 0; i < ds.fieldCount(); ++i)
        s += (i ? ", " : "") + ds.field(i).name() + "=" +
             (ds.field(i).isNull() ? std::string("<null>") : ds.field(i).asString());
    return s;
}

void dropPendingEdit(engine::Table& t) {
    if (t.active() && t.state() != engine::DataSetState::Browse) t.cancel();
}

// "A = :K0 and B = :K1" over the primary key of `table` in `db`.
struct KeyFilter {
    std::string where;
    std::size_t columns = 0;
};

KeyFilter keyFilter(engine::Database& db, const std::string& table) {
    engine::Table t(db);
    t.setTableName(table);
    const std::string list = t.primaryKeyFields();
    if (list.empty()) throw engine::DbError("Table " + table + " has no primary key");
    KeyFilter f;
    f.columns = TMyBM::CountNames(list);
    for (std::size_t k = 1; k <= f.columns; ++k)
        f.where += (k > 1 ? " and " : "") + TMyBM::GetName(list, static_cast<int>(k)) + " = :K" + std::to_string(k);
    return f;
}

void bindKey(engine::Query& q, const std::vector<std::string>& key) {
    for (std::size_t k = 0; k < key.size(); ++k) q.setParam("K" + std::to_string(k + 1), key[k]);
}

std::string wrongKeySize(const std::string& table, const KeyFilter& filter) {
    return "The primary key of " + table + " has " + std::to_string(filter.columns) +
           " column(s); give one value for each.";
}

std::string keyText(const std::vector<std::string>& key) {
    std::string s;
    for (const std::string& v : key) s += (s.empty() ? "" : ", ") + v;
    return "(" + s + ")";
}

}  // namespace

Outcome CopyNaturalKey(DM& dm, Frontend& ui) {
    // A failed insert left by the read is never written: the copy replaces
    // a row that is there, found by its key.
    dropPendingEdit(dm.TMaster);
    if (!dm.QSynchro6.active() || dm.QSynchro6.isEmpty() || !dm.TMaster.active())
        return refuse(ui, "Select the record to copy in \"Synchro\" first.");
    const std::string table = dm.TMaster.tableName();
    std::string keyList;
    std::vector<engine::Value> key;
    std::vector<std::string> keyTexts;
    try {
        keyList = dm.TMaster.primaryKeyFields();
        if (keyList.empty()) return refuse(ui, "Table " + table + " has no primary key: its rows cannot be matched.");
        for (int k = 1; k <= TMyBM::CountNames(keyList); ++k) {
            const engine::Field* f = dm.QSynchro6.findField(TMyBM::GetName(keyList, k));
            if (!f)
                return refuse(ui, "\"Synchro\" shows no rows of " + table + ": there is nothing to copy.");
            key.push_back(f->asValue());
            keyTexts.push_back(f->isNull() ? "<null>" : f->asString());
        }
        // Afresh: the table's rows may have been read before the read was
        // rolled back.
        dm.TMaster.close();
        dm.TMaster.open();
        const bool held = key.size() == 1 ? dm.TMaster.locate(keyList, key[0]) : dm.TMaster.locate(keyList, key);
        if (!held)
            return refuse(ui, "This database has no row of " + table + " with the key " + keyText(keyTexts) +
                                  ": there is nothing to copy over. Read again: the synchro row is then inserted.");
    } catch (const std::exception& e) {
        return fail(ui, e);
    }
    if (!ui.confirm("Copy the synchro row of " + table + " over the local row with the key " + keyText(keyTexts) +
                    "?\n\nSynchro: " + rowText(dm.QSynchro6) + "\nLocal: " + rowText(dm.TMaster) +
                    "\n\nCopy now?"))
        return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction synchro(dm.SynchroDB());
        engine::Transaction user(dm.UserDB());
        copyOver(dm.QSynchro6, dm.TMaster);
        synchro.commit();
        user.commit();
    } catch (const std::exception& e) {
        dropPendingEdit(dm.TMaster);
        return fail(ui, e);
    }
    ui.setOK();
    ui.showMessage("Copied: the local row of " + table + " with the key " + keyText(keyTexts) +
                   " now holds the synchro row. Delete that row from \"Synchro\", then read again.");
    return Outcome::done();
}

Outcome DropDeleteEntry(DM& dm, Frontend& ui, const std::string& typedTable, const RecordCode& code) {
    // The journal names tables as the catalogue does, in capitals.
    std::string table = typedTable;
    for (char& ch : table) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const std::string entry = "the \"D\" entry " + code.text() + " of " + table;
    if (!ui.confirm("Drop " + entry + " from the synchro database? This database then keeps that row.\n\n"
                    "Delete now?"))
        return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction synchro(dm.SynchroDB());
        engine::Query del(dm.SynchroDB());
        del.setSql("delete from R$DELETEDUPDATED where Operation = 'D' and TableName = :T and "
                   "R$Code1 = :C1 and R$Code2 = :C2");
        del.setParam("T", table);
        del.setParam("C1", code.high);
        del.setParam("C2", code.low);
        del.execSql();
        if (del.rowsAffected() == 0) {
            ui.setError();
            return refuse(ui, "The synchro database holds no " + entry + ".");
        }
        synchro.commit();
    } catch (const std::exception& e) {
        return fail(ui, e);
    }
    // The collision page shows the entries: without the dropped one now.
    if (dm.QSynchro6.active() && dm.QSynchro6.findField("OPERATION")) {
        dm.QSynchro6.close();
        dm.QSynchro6.open();
    }
    ui.setOK();
    ui.showMessage("Dropped " + entry + " from the synchro database: read again.");
    return Outcome::done();
}

Outcome CopySynchroRow(DM& dm, Frontend& ui, const std::string& table, const std::vector<std::string>& key) {
    try {
        const KeyFilter filter = keyFilter(dm.UserDB(), table);
        if (key.size() != filter.columns) return refuse(ui, wrongKeySize(table, filter));
        dm.QSynchro6.close();
        dm.QSynchro6.setLive(false);
        dm.QSynchro6.setSql("select * from " + table + " where " + filter.where);
        bindKey(dm.QSynchro6, key);
        dm.QSynchro6.open();
        if (dm.QSynchro6.isEmpty())
            return refuse(ui, "The synchro database has no row of " + table + " with the key " + keyText(key) + ".");
        dm.TMaster.close();
        dm.TMaster.setTableName(table);
        dm.TMaster.open();
        std::vector<engine::Value> values(key.begin(), key.end());
        const std::string keyList = dm.TMaster.primaryKeyFields();
        const bool found = values.size() == 1 ? dm.TMaster.locate(keyList, values[0])
                                              : dm.TMaster.locate(keyList, values);
        if (!found)
            return refuse(ui, "This database has no row of " + table + " with the key " + keyText(key) +
                                  ": read again, the synchro row is then inserted.");
    } catch (const std::exception& e) {
        return fail(ui, e);
    }
    if (!ui.confirm("Copy now?")) return Outcome::cancelled();
    try {
        engine::Transaction user(dm.UserDB());
        engine::Transaction synchro(dm.SynchroDB());
        copyOver(dm.QSynchro6, dm.TMaster);
        engine::Query del(dm.SynchroDB());
        del.setSql("delete from " + table + " where " + keyFilter(dm.SynchroDB(), table).where);
        bindKey(del, key);
        del.execSql();
        // The local copy first: if the process dies between the two commits,
        // the synchro row is still there and the copy can simply be run again.
        user.commit();
        synchro.commit();
    } catch (const std::exception& e) {
        dropPendingEdit(dm.TMaster);
        return fail(ui, e);
    }
    ui.setOK();
    ui.showMessage("Copied the synchro row of " + table + " with the key " + keyText(key) +
                   " over the local row and took it out of the synchro database: read again.");
    return Outcome::done();
}

Outcome DeleteSynchroRow(DM& dm, Frontend& ui, const std::string& table, const std::vector<std::string>& key) {
    if (!ui.confirm("Delete now?")) return Outcome::cancelled();
    try {
        const KeyFilter filter = keyFilter(dm.SynchroDB(), table);
        if (key.size() != filter.columns) return refuse(ui, wrongKeySize(table, filter));
        engine::Transaction synchro(dm.SynchroDB());
        engine::Query del(dm.SynchroDB());
        del.setSql("delete from " + table + " where " + filter.where);
        bindKey(del, key);
        del.execSql();
        if (del.rowsAffected() == 0)
            return refuse(ui, "The synchro database has no row of " + table + " with the key " + keyText(key) + ".");
        synchro.commit();
    } catch (const std::exception& e) {
        return fail(ui, e);
    }
    ui.setOK();
    ui.showMessage("Deleted the row of " + table + " with the key " + keyText(key) +
                   " from the synchro database: read again.");
    return Outcome::done();
}

}  // namespace quorvel::synchro

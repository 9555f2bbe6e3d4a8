// Settling a collision: copy a synchro record over a local one (keeping the
// local record code), and delete a row from the synchro database, from the
// collision page's grids or, for scripts, by primary key.
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

// Every field but the last two (R$Code1, R$Code2, added after the table's own
// columns), so the local row keeps its own record code.
void copyOver(engine::DataSet& from, engine::Table& to) {
    if (to.state() != engine::DataSetState::Browse) to.cancel();
    to.edit();
    const int count = from.fieldCount() - 2;
    for (int i = 0; i < count; ++i) to.field(i).assign(from.field(i));
    to.post();
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
    if (!dm.QSynchro6.active() || dm.QSynchro6.isEmpty() || !dm.TMaster.active() || dm.TMaster.isEmpty())
        return refuse(ui, "Select the record to copy in \"Synchro\" and the record it replaces in "
                          "\"Master/Clone\" first.");
    if (!ui.confirm("Copy now?")) return Outcome::cancelled();
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
    return Outcome::done();
}

}  // namespace quorvel::synchro

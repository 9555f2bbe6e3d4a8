// Settling a collision: copy a synchro record over a local one (keeping the
// local record code), and delete a row from the synchro database, from the
// collision page's grids or, for scripts, by primary key.
#include <cctype>
#include <cmath>

#include "connect/DialectCheck.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/SqlText.h"
#include "synchro/Operations.h"
#include "synchro/RecordTransfer.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {

bool isCodeColumn(const std::string& name) { return name == "R$CODE1" || name == "R$CODE2"; }

// Every column the local table shares by name with the synchro row, but the
// record code: the local row keeps its own.
void copyOver(engine::DataSet& from, engine::Table& to) {
    to.edit();
    for (int i = 0; i < to.fieldCount(); ++i) {
        engine::Field& target = to.field(i);
        if (isCodeColumn(target.name())) continue;
        if (const engine::Field* source = from.findField(target.name())) target.assign(*source);
    }
    to.post();
}

// The same from a row the window's grid selected.
void copyOver(const SelectedRow& from, engine::Table& to) {
    to.edit();
    for (std::size_t i = 0; i < from.columns.size() && i < from.values.size(); ++i) {
        if (isCodeColumn(from.columns[i])) continue;
        engine::Field* target = to.findField(from.columns[i]);
        if (target && !target->isComputed()) target->setValue(from.values[i]);
    }
    to.post();
}

std::string valueText(const engine::Value& v) {
    if (engine::isNull(v)) return "<null>";
    if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* d = std::get_if<double>(&v)) return std::to_string(*d);
    const auto& x = std::get<engine::Scaled>(v);
    return std::to_string(static_cast<double>(x.units) * std::pow(10.0, x.scale));
}

std::string rowText(engine::DataSet& ds) {
    std::string s;
    for (int i = 0; i < ds.fieldCount(); ++i)
        s += (i ? ", " : "") + ds.field(i).name() + "=" +
             (ds.field(i).isNull() ? std::string("<null>") : ds.field(i).asString());
    return s;
}

std::string rowText(const SelectedRow& row) {
    std::string s;
    for (std::size_t i = 0; i < row.columns.size() && i < row.values.size(); ++i)
        s += (i ? ", " : "") + row.columns[i] + "=" + valueText(row.values[i]);
    return s;
}

// "A = :K1 and B = :K2" over the primary key of `table` in `db`.
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
    const std::vector<std::string> names = splitKeyList(list);
    f.columns = names.size();
    for (std::size_t k = 0; k < names.size(); ++k)
        f.where += (k ? " and " : "") + db.identifier(names[k]) + " = :K" + std::to_string(k + 1);
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

Outcome CopyNaturalKey(engine::Database& local, Reporter& reporter, const std::string& table,
                       const SelectedRow& synchroRow) {
    return runOperation(reporter, [&]() -> Outcome {
        if (synchroRow.columns.empty() || table.empty())
            throw Refused("Select the record to copy in \"Synchro\" first.");
        // Afresh: the table's rows may have been read before the read was
        // rolled back.
        engine::Table target(local);
        target.setTableName(table);
        const std::string keyList = target.primaryKeyFields();
        if (keyList.empty()) throw Refused("Table " + table + " has no primary key: its rows cannot be matched.");
        std::vector<engine::Value> key;
        std::vector<std::string> keyTexts;
        for (const std::string& column : splitKeyList(keyList)) {
            std::size_t i = 0;
            while (i < synchroRow.columns.size() && synchroRow.columns[i] != column) ++i;
            if (i == synchroRow.columns.size() || i >= synchroRow.values.size())
                throw Refused("\"Synchro\" shows no rows of " + table + ": there is nothing to copy.");
            key.push_back(synchroRow.values[i]);
            keyTexts.push_back(valueText(synchroRow.values[i]));
        }
        target.open();
        if (!target.locate(keyList, key))
            throw Refused("This database has no row of " + table + " with the key " + keyText(keyTexts) +
                          ": there is nothing to copy over. Read again: the synchro row is then inserted.");
        if (!reporter.confirm("Copy the synchro row of " + table + " over the local row with the key " +
                              keyText(keyTexts) + "?\n\nSynchro: " + rowText(synchroRow) +
                              "\nLocal: " + rowText(target) + "\n\nCopy now?"))
            return Outcome::cancelled();
        {
            engine::Transaction tx(local);
            target.close();
            target.open();
            if (!target.locate(keyList, key))
                throw Refused("This database has no row of " + table + " with the key " + keyText(keyTexts) + ".");
            copyOver(synchroRow, target);
            tx.commit();
        }
        reporter.notice("Copied: the local row of " + table + " with the key " + keyText(keyTexts) +
                        " now holds the synchro row. Delete that row from \"Synchro\", then read again.");
        return Outcome::done();
    });
}

Outcome DropDeleteEntry(engine::Database& synchro, Reporter& reporter, const std::string& typedTable,
                        const RecordCode& code) {
    // The journal names tables as the catalogue does: in capitals in dialect 1, exact in dialect 3.
    const std::string table = replica::catalogueName(synchro, typedTable);
    const std::string entry = "the \"D\" entry " + code.text() + " of " + table;
    return runOperation(reporter, [&]() -> Outcome {
        if (!reporter.confirm("Drop " + entry + " from the synchro database? This database then keeps that row.\n\n"
                              "Delete now?"))
            return Outcome::cancelled();
        engine::Transaction tx(synchro);
        engine::Query del(synchro);
        del.setSql("delete from R$DELETEDUPDATED where Operation = 'D' and TableName = :T and "
                   "R$Code1 = :C1 and R$Code2 = :C2");
        del.setParam("T", table);
        del.setParam("C1", code.high);
        del.setParam("C2", code.low);
        del.execSql();
        if (del.rowsAffected() == 0) throw Refused("The synchro database holds no " + entry + ".");
        tx.commit();
        reporter.notice("Dropped " + entry + " from the synchro database: read again.");
        return Outcome::done();
    });
}

Outcome CopySynchroRow(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                       const std::string& table, const std::vector<std::string>& key) {
    return runOperation(reporter, [&]() -> Outcome {
        connect::refuseMixedDialects(local, synchro);
        const KeyFilter filter = keyFilter(local, table);
        if (key.size() != filter.columns) throw Refused(wrongKeySize(table, filter));
        engine::Query source(synchro);
        source.setSql("select * from " + synchro.identifier(table) + " where " + filter.where);
        bindKey(source, key);
        source.open();
        if (source.isEmpty())
            throw Refused("The synchro database has no row of " + table + " with the key " + keyText(key) + ".");
        engine::Table target(local);
        target.setTableName(table);
        target.open();
        const std::vector<engine::Value> values(key.begin(), key.end());
        const std::string keyList = target.primaryKeyFields();
        if (!target.locate(keyList, values))
            throw Refused("This database has no row of " + table + " with the key " + keyText(key) +
                          ": read again, the synchro row is then inserted.");
        if (!reporter.confirm("Copy now?")) return Outcome::cancelled();
        {
            engine::Transaction localTx(local);
            engine::Transaction synchroTx(synchro);
            source.close();
            source.open();
            target.close();
            target.open();
            target.locate(keyList, values);
            copyOver(source, target);
            engine::Query del(synchro);
            del.setSql("delete from " + synchro.identifier(table) + " where " + keyFilter(synchro, table).where);
            bindKey(del, key);
            del.execSql();
            // The local copy first: if the process dies between the two
            // commits, the synchro row is still there and the copy can simply
            // be run again.
            localTx.commit();
            synchroTx.commit();
        }
        reporter.notice("Copied the synchro row of " + table + " with the key " + keyText(key) +
                        " over the local row and took it out of the synchro database: read again.");
        return Outcome::done();
    });
}

Outcome DeleteSynchroRow(engine::Database& synchro, Reporter& reporter, const std::string& table,
                         const std::vector<std::string>& key) {
    return runOperation(reporter, [&]() -> Outcome {
        if (!reporter.confirm("Delete now?")) return Outcome::cancelled();
        const KeyFilter filter = keyFilter(synchro, table);
        if (key.size() != filter.columns) throw Refused(wrongKeySize(table, filter));
        engine::Transaction tx(synchro);
        engine::Query del(synchro);
        del.setSql("delete from " + synchro.identifier(table) + " where " + filter.where);
        bindKey(del, key);
        del.execSql();
        if (del.rowsAffected() == 0)
            throw Refused("The synchro database has no row of " + table + " with the key " + keyText(key) + ".");
        tx.commit();
        reporter.notice("Deleted the row of " + table + " with the key " + keyText(key) +
                        " from the synchro database: read again.");
        return Outcome::done();
    });
}

}  // namespace quorvel::synchro

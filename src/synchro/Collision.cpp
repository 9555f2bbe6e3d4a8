// Settling a collision where the read stopped: keep a row against the
// sender's delete, take the sender's row, or pass over it. What is decided is
// recorded here, and travels as this site's own change where the other sites
// must learn it; the synchro file is never edited, for the master's one file
// is read by every clone.
//
// One record code per primary key: the master's. At the master, a clone's
// row colliding with one of its own is passed over (its values copied over
// the master's row when taken); at a clone, the local row takes the code of
// the master's row, keeping its own values or taking the master's.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "connect/DialectCheck.h"
#include "replica/ExchangeLog.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/SqlText.h"
#include "synchro/LocalEntries.h"
#include "synchro/Operations.h"
#include "replica/LocalSite.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"
#include "replica/TableLists.h"
#include "synchro/RecordTransfer.h"
#include "synchro/Settled.h"
#include "synchro/SynchroIdentity.h"

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

std::string wrongKeySize(const std::string& table, const KeyFilter& filter) {
    return "The primary key of " + table + " has " + std::to_string(filter.columns) +
           " column(s); give one value for each.";
}

std::string keyText(const std::vector<std::string>& key) {
    std::string s;
    for (const std::string& v : key) s += (s.empty() ? "" : ", ") + v;
    return "(" + s + ")";
}

// Whose fill the read stopped on, and where: refused unless the synchro
// database is a fill of a peer not read yet.
struct Settling {
    Sender sender;
    bool master = false;
    // What this site's entries of the decision have seen: at a clone, the
    // master fill it settles (they are made having read it).
    std::optional<int64_t> seen() const { return master ? std::nullopt : std::optional<int64_t>(sender.fillNumber); }
};

Settling settlingOn(engine::Database& local, engine::Database& synchro, const std::string& typedTable) {
    if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
    if (!synchro.connected()) throw Refused("Connect to the In Synchro database first.");
    connect::refuseMixedDialects(local, synchro);
    replica::requireCurrentVersion(local);
    const DatabaseIdentity id = identify(synchro);
    if (const std::string why = notASynchroDatabase(synchro, id, local); !why.empty()) throw Refused(why);
    // A file of an earlier format does not tell who filled it: what is
    // decided holds for every such file.
    Sender sender{"", kUnknownSender, 0, "", {}};
    if (id.sender) {
        checkSenderIsPeer(local, synchro, *id.sender);
        sender = *id.sender;
    }
    engine::Transaction tx(local);
    // Settling writes the local table and the journal: only a table the
    // replication keeps.
    const std::string table = replica::catalogueName(local, typedTable);
    const std::vector<std::string> working = replica::workingTables(local);
    if (std::find(working.begin(), working.end(), table) == working.end())
        throw Refused(table + " is no working table of this database: there is no collision in it to settle. "
                      "Nothing was changed.");
    return {sender, replica::LocalSite::read(local).isMaster()};
}

// A transaction on the local database that the tool's journal triggers pass
// over: the decision journals what is to travel itself.
struct DecisionTransaction {
    explicit DecisionTransaction(engine::Database& local) : tx(local) {
        local.execute(replica::schema::kPassOverTriggers);
    }
    engine::Transaction tx;
};

// The record code of the row of `table` holding `key` in `db`, if any.
std::optional<RecordCode> codeByKey(engine::Database& db, const std::string& table, const KeyFilter& filter,
                                    const std::vector<engine::Value>& key) {
    engine::Query q(db);
    q.setSql("select R$Code1, R$Code2 from " + db.identifier(table) + " where " + filter.where);
    for (std::size_t k = 0; k < key.size(); ++k) q.setParam("K" + std::to_string(k + 1), key[k]);
    q.open();
    std::optional<RecordCode> code;
    if (!q.eof()) code = RecordCode{q.field(0).asInteger(), q.field(1).asInteger()};
    q.close();
    return code;
}

// The sender's row of `table` holding `key`, and the local one.
struct RowPair {
    RecordCode sent;
    std::optional<RecordCode> local;
};

RowPair rowsByKey(engine::Database& local, engine::Database& synchro, const std::string& table,
                  const std::vector<engine::Value>& key, const std::string& shownKey) {
    const KeyFilter filter = keyFilter(local, table);
    if (key.size() != filter.columns) throw Refused(wrongKeySize(table, filter));
    std::optional<RecordCode> sent;
    {
        engine::Transaction tx(synchro);
        sent = codeByKey(synchro, table, keyFilter(synchro, table), key);
    }
    if (!sent) throw Refused("The synchro database has no row of " + table + " with the key " + shownKey + ".");
    engine::Transaction tx(local);
    return {*sent, codeByKey(local, table, filter, key)};
}

// At a clone: the local row of `key` takes the record code of the master's
// row; the clone's own code goes wherever it arrived.
void takeMastersCode(engine::Database& local, const std::string& table, const RowPair& rows,
                     std::optional<int64_t> seen) {
    dropUpdateEntries(local, *rows.local);
    recode(local, table, *rows.local, rows.sent);
    journalEntry(local, table, *rows.local, 'D', seen);
}

// At the master: a clone's row holding the key of one of the master's is
// passed over by reads, and every clone holding it gives it the master's code
// (an "A" entry; a "W" or "U" entry sends the master's row with it).
void passOverClonesRow(engine::Database& local, const std::string& table, const RowPair& rows, const Settling& at) {
    const std::string name = replica::catalogueName(local, table);
    Settled::record(local, at.sender.siteNumber, at.sender.fillNumber, name, rows.sent, Settled::What::Row);
    journalEntry(local, table, rows.sent, 'A', std::nullopt);
}

// Copies the sender's row holding `key` over the local one. At a clone the
// local row takes the sent row's record code; at the master it keeps its own,
// the copy travels as its update, and reads pass over the sent row.
Outcome copySentRow(engine::Database& local, engine::Database& synchro, Reporter& reporter, const std::string& table,
                    const std::vector<engine::Value>& key, const std::string& shownKey, const std::string& question) {
    const Settling at = settlingOn(local, synchro, table);
    const RowPair rows = rowsByKey(local, synchro, table, key, shownKey);
    if (!rows.local)
        throw Refused("This database has no row of " + table + " with the key " + shownKey +
                      ": there is nothing to copy over. Read again: the synchro row is then inserted.");
    if (!reporter.confirm(question)) return Outcome::cancelled();
    engine::Transaction synchroTx(synchro);
    engine::Query source(synchro);
    source.setSql("select * from " + synchro.identifier(table) + " where " + keyFilter(synchro, table).where);
    for (std::size_t k = 0; k < key.size(); ++k) source.setParam("K" + std::to_string(k + 1), key[k]);
    source.open();
    DecisionTransaction decision(local);
    engine::Table target(local);
    target.setTableName(table);
    target.open();
    const std::string keyList = target.primaryKeyFields();
    if (!target.locate(keyList, key))
        throw Refused("This database has no row of " + table + " with the key " + shownKey + ".");
    copyOver(source, target);
    const bool recoded = !at.master && *rows.local != rows.sent;
    if (recoded) {
        takeMastersCode(local, table, rows, at.seen());
    } else if (at.master) {
        journalEntry(local, table, *rows.local, 'U', std::nullopt);
        if (*rows.local != rows.sent) passOverClonesRow(local, table, rows, at);
    }
    decision.tx.commit();
    reporter.notice("Copied the synchro row of " + table + " with the key " + shownKey + " over the local row" +
                    (recoded ? ", which now bears its record code " + rows.sent.text() : std::string()) +
                    (at.master ? "; it goes to every clone with the next fill" : std::string()) +
                    ". The synchro database is unchanged: read again.");
    return Outcome::done();
}

std::vector<engine::Value> keyValues(const std::vector<std::string>& key) {
    return std::vector<engine::Value>(key.begin(), key.end());
}

}  // namespace

Outcome CopyNaturalKey(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                       const std::string& table, const SelectedRow& synchroRow) {
    return replica::logged(local, "settle copy natural key", runOperation(reporter, [&]() -> Outcome {
        if (synchroRow.columns.empty() || table.empty())
            throw Refused("Select the record to copy in \"Synchro\" first.");
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
        std::string localText;
        {
            engine::Transaction tx(local);
            target.open();
            if (target.locate(keyList, key)) localText = rowText(target);
            target.close();
        }
        return copySentRow(local, synchro, reporter, table, key, keyText(keyTexts),
                           "Copy the synchro row of " + table + " over the local row with the key " +
                               keyText(keyTexts) + "?\n\nSynchro: " + rowText(synchroRow) + "\nLocal: " + localText +
                               "\n\nCopy now?");
    }));
}

Outcome CopySynchroRow(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                       const std::string& table, const std::vector<std::string>& key) {
    return replica::logged(local, "settle copy-from-synchro", runOperation(reporter, [&]() -> Outcome {
        return copySentRow(local, synchro, reporter, table, keyValues(key), keyText(key),
                           "Copy the synchro row of " + table + " with the key " + keyText(key) +
                               " over the local row?\n\nCopy now?");
    }));
}

Outcome DropDeleteEntry(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                        const std::string& typedTable, const RecordCode& code) {
    return replica::logged(local, "settle drop-delete-entry", runOperation(reporter, [&]() -> Outcome {
        const Settling at = settlingOn(local, synchro, typedTable);
        // The journal names tables as the catalogue does: in capitals in dialect 1, exact in dialect 3.
        const std::string table = replica::catalogueName(synchro, typedTable);
        const std::string entry = "the \"D\" entry " + code.text() + " of " + table;
        {
            engine::Transaction tx(synchro);
            engine::Query q(synchro);
            q.setSql("select count(*) from R$DELETEDUPDATED where Operation = 'D' and TableName = :T and "
                     "R$Code1 = :C1 and R$Code2 = :C2");
            q.setParam("T", table);
            q.setParam("C1", code.high);
            q.setParam("C2", code.low);
            q.open();
            if (q.field(0).asInteger() == 0) throw Refused("The synchro database holds no " + entry + ".");
        }
        {
            engine::Transaction tx(local);
            engine::Query q(local);
            q.setSql("select count(*) from " + local.identifier(table) + " where R$Code1 = :C1 and R$Code2 = :C2");
            q.setParam("C1", code.high);
            q.setParam("C2", code.low);
            q.open();
            if (q.field(0).asInteger() == 0)
                throw Refused("This database holds no row of " + table + " with the record code " + code.text() +
                              ": there is nothing to keep. Nothing was changed.");
        }
        if (!reporter.confirm("Keep the row of " + table + " with the record code " + code.text() +
                              " here, against " + entry + " in " + siteText(at.sender.site) + "'s fill no. " +
                              std::to_string(at.sender.fillNumber) +
                              "? Reads pass over that delete, and this site's next fill sends the row to the other "
                              "sites again.\n\nKeep it?"))
            return Outcome::cancelled();
        DecisionTransaction decision(local);
        Settled::record(local, at.sender.siteNumber, at.sender.fillNumber, table, code, Settled::What::Deletion);
        journalEntry(local, table, code, 'U', at.seen());
        journalEntry(local, table, code, 'K', at.seen());
        decision.tx.commit();
        reporter.notice("Kept the row of " + table + " with the record code " + code.text() +
                        ": reads pass over " + entry + ", and the next fill sends the row to the other sites. "
                        "The synchro database is unchanged: read again.");
        return Outcome::done();
    }));
}

Outcome DeleteSynchroRow(engine::Database& local, engine::Database& synchro, Reporter& reporter,
                         const std::string& table, const std::vector<std::string>& key) {
    return replica::logged(local, "settle delete-synchro-row", runOperation(reporter, [&]() -> Outcome {
        const Settling at = settlingOn(local, synchro, table);
        const std::vector<engine::Value> values = keyValues(key);
        const RowPair rows = rowsByKey(local, synchro, table, values, keyText(key));
        const std::string row = "the row of " + table + " with the key " + keyText(key);
        std::string question, done;
        if (!rows.local) {
            question = "Not take " + row + " from " + siteText(at.sender.site) +
                       "'s fill? It is deleted here, and the delete goes to the other sites with the next fill.";
            done = "Passed over " + row + ": deleted here, and the next fill sends the delete to the other sites.";
        } else if (at.master) {
            question = "Keep the master's " + row + " and pass over " + siteText(at.sender.site) + "'s?";
            done = "The master keeps its " + row + "; reads pass over the one of " + siteText(at.sender.site) +
                   ", which takes the master's when it reads the next fill.";
        } else {
            question = "Keep the values of this site's " + row + "? It takes the record code of the master's row, "
                       "and the next fill sends its values.";
            done = "This site's " + row + " keeps its values under the master's record code " + rows.sent.text() +
                   "; the next fill sends them.";
        }
        if (!reporter.confirm(question + "\n\nDecide now?")) return Outcome::cancelled();
        DecisionTransaction decision(local);
        if (!rows.local) {
            journalEntry(local, table, rows.sent, 'D', at.seen());
        } else if (at.master) {
            if (*rows.local != rows.sent) {
                passOverClonesRow(local, table, rows, at);
                journalEntry(local, table, *rows.local, 'W', std::nullopt);
            } else {
                Settled::record(local, at.sender.siteNumber, at.sender.fillNumber,
                                replica::catalogueName(local, table), rows.sent, Settled::What::Row);
            }
        } else {
            if (*rows.local != rows.sent) takeMastersCode(local, table, rows, at.seen());
            journalEntry(local, table, rows.sent, 'U', at.seen());
        }
        decision.tx.commit();
        reporter.notice(done + " The synchro database is unchanged: read again.");
        return Outcome::done();
    }));
}

}  // namespace quorvel::synchro

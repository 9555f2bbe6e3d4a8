#include "synchro/ReadPasses.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "engine/Error.h"
#include "engine/FirstValue.h"
#include "engine/RowCopy.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "synchro/FieldPairs.h"
#include "synchro/LocalEntries.h"
#include "synchro/RecordTransfer.h"
#include "synchro/StreamingSource.h"

namespace quorvel::synchro {

using replica::RecordCode;
using replica::codeAbove;

namespace {

// The synchro rows the pass applies; `open` runs the statement at once.
void selectSynchroRows(ReadContext& cx, const std::string& select, bool open) {
    cx.synchroRows.close();
    cx.synchroRows.setLive(false);
    cx.synchroRows.setSql(select);
    cx.synchroSelect = select;
    if (open) cx.synchroRows.open();
}

void selectLocalTable(ReadContext& cx, const std::string& table, bool open) {
    cx.localTable.close();
    cx.localTable.setTableName(table);
    if (open) cx.localTable.open();
}

RecordCode codeOf(const engine::Field& c1, const engine::Field& c2) { return {c1.asInteger(), c2.asInteger()}; }

// Counts a held row the rules leave as it is; true when it is to be applied.
bool countKept(ReadContext& cx, ArrivalRules::Held held, ReadReport::Table& counts) {
    switch (held) {
        case ArrivalRules::Held::Apply:
            return true;
        case ArrivalRules::Held::KeepLocal:
            ++(cx.master ? counts.masterWins : counts.keptOwn);
            return false;
        case ArrivalRules::Held::SentAgain:
        case ArrivalRules::Held::OwnComingBack:
            ++counts.alreadyHere;
            return false;
    }
    return false;
}

using CodeSet = std::unordered_set<RecordCode, replica::RecordCodeHash>;

// The codes of the local rows that the pass's rows could name: those above
// the sender's mark up to the highest code among them. Most rows of the pass
// are new here; knowing which are held spares looking for each of them.
// The rows of the insert pass: above the mark (and up to the sender's bound);
// the update pass takes the others.
std::string newRows(const ReadContext& cx) {
    if (!cx.senderBound) return codeAbove(cx.senderMark);
    return "(" + codeAbove(cx.senderMark) + " and not " + codeAbove(*cx.senderBound) + ")";
}
std::string heldRows(const ReadContext& cx) { return "not " + newRows(cx); }

CodeSet heldCodes(ReadContext& cx, const std::string& table) {
    // The highest code among them, word by word: a synchro table has no
    // index, and ordering its rows to take the first would sort them all.
    engine::Database& synchro = cx.synchroRows.database();
    const std::string rows = "from " + synchro.identifier(table) + " where " + newRows(cx);
    CodeSet held;
    const std::optional<int64_t> high = engine::firstInteger(synchro, "select max(R$Code1) " + rows);
    if (!high) return held;
    const std::optional<int64_t> low =
        engine::firstInteger(synchro, "select max(R$Code2) " + rows + " and R$Code1 = " + std::to_string(*high));
    if (!low) return held;
    const RecordCode top{*high, *low + 1};
    engine::Query local(cx.local);
    local.setUnidirectional(true);
    local.setSql("select R$Code1, R$Code2 from " + cx.local.identifier(table) + " where " +
                 replica::codeBetween(cx.senderMark, top));
    local.open();
    for (; !local.eof(); local.next())
        if (!local.field(0).isNull() && !local.field(1).isNull())
            held.insert(codeOf(local.field(0), local.field(1)));
    return held;
}

// Rows below the mark that the sender kept against a delete ("K" entries):
// a site that deleted them takes them back here, parents before children,
// for the update pass never inserts.
void takeBackKept(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    // Most fills keep nothing: the journal says so before any row is read.
    engine::Query kept(cx.synchroRows.database());
    kept.setSql("select count(*) from R$DeletedUpdated where Operation = 'K' and TableName = " + replica::quoted(table));
    kept.open();
    if (kept.field(0).asInteger() == 0) return;
    kept.close();
    selectSynchroRows(cx,
                      "select * from " + cx.local.identifier(table) + " T where not " + newRows(cx) +
                          " and exists (select 1 from R$DeletedUpdated J where J.Operation = 'K' and "
                          "J.R$Code1 = T.R$Code1 and J.R$Code2 = T.R$Code2)",
                      true);
    engine::Query& source = cx.synchroRows;
    if (source.eof()) return;
    selectLocalTable(cx, table, true);
    engine::Table& target = cx.localTable;
    const FieldPairs pairs(source, target);
    const engine::Field& code1 = source.fieldByName("R$Code1");
    const engine::Field& code2 = source.fieldByName("R$Code2");
    for (; !source.eof(); source.next()) {
        const RecordCode code = codeOf(code1, code2);
        if (target.locate("R$CODE1;R$CODE2", {code1.asValue(), code2.asValue()})) continue;
        if (!cx.rules.revivesWhenMissing(code)) continue;
        target.append();
        pairs.copyRow();
        target.post();
        cx.rules.applied(table, code);
        ++counts.inserted;
    }
}

}  // namespace

void insertPass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    takeBackKept(cx, table, counts);
    selectSynchroRows(cx, "select * from " + cx.local.identifier(table) + " where " + newRows(cx), true);
    selectLocalTable(cx, table, true);
    engine::Query& source = cx.synchroRows;
    if (source.eof()) return;

    engine::Table& target = cx.localTable;
    const StreamingSource streaming(source);
    const FieldPairs pairs(source, target);
    const engine::Field& code1 = source.fieldByName("R$Code1");
    const engine::Field& code2 = source.fieldByName("R$Code2");
    static const std::string kCodeFields = "R$CODE1;R$CODE2";
    std::vector<engine::Value> codeValues(2);
    const CodeSet held = heldCodes(cx, table);
    // New rows go through one insert prepared once, fed from the synchro row.
    const std::unique_ptr<engine::RowCopy> insert =
        engine::RowCopy::insertInto(target, {pairs.pairs().begin(), pairs.pairs().end()});

    int64_t seen = 0;
    for (; !source.eof(); source.next()) {
        if (++seen % RecordTransfer::kProgressStep == 0) cx.reporter.rows(table, seen);
        const RecordCode code = codeOf(code1, code2);
        codeValues[0] = code1.asValue();
        codeValues[1] = code2.asValue();
        // Found by its record code, whatever its key is now at either site.
        if (!held.count(code) || !target.locate(kCodeFields, codeValues)) {
            if (!cx.rules.insertWhenMissing(code)) {
                ++counts.stayDeleted;  // deleted here; the deletion travels the other way
                continue;
            }
            // A row held here under the same key but another code is a
            // collision: both sites inserted it. The insert fails with the
            // server's own message.
            try {
                if (insert) {
                    insert->run();
                } else {
                    target.append();
                    pairs.copyRow();
                    target.post();
                }
            } catch (const std::exception& e) {
                if (!cx.defer(table, "INSERT", code, e)) throw;
                if (target.state() != engine::DataSetState::Browse) target.cancel();
                continue;
            }
            cx.rules.applied(table, code);
            ++counts.inserted;
            continue;
        }
        if (!countKept(cx, cx.rules.whenHeld(code), counts)) continue;
        try {
            target.edit();
            pairs.copyRow();
            target.post();
        } catch (const std::exception& e) {
            if (!cx.defer(table, "INSERT", code, e)) throw;
            target.cancel();
            continue;
        }
        cx.rules.appliedOverHeld(table, code);
        ++counts.sameRow;
    }
}

void updatePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    // The transfer runs the statement itself.
    selectSynchroRows(cx, "select * from " + cx.local.identifier(table) + " where " + heldRows(cx), false);
    selectLocalTable(cx, table, false);
    RecordTransfer transfer(cx.synchroRows, cx.localTable);
    transfer.onRows = [&cx, table](int64_t rows) { cx.reporter.rows(table, rows); };
    const RecordTransfer::KeepLocal keep = [&cx](const RecordCode& code) {
        return cx.rules.whenHeld(code) != ArrivalRules::Held::Apply;
    };
    const RecordTransfer::OnHeld held = [&cx, &counts, &table](const RecordCode& code, bool kept) {
        if (kept) countKept(cx, cx.rules.whenHeld(code), counts);
        else cx.rules.appliedOverHeld(table, code);
    };
    transfer.onRefused = [&cx, &table](const RecordCode& code, const std::exception& e) {
        return cx.defer(table, "UPDATE", code, e);
    };
    const RecordTransfer::Overwritten done = transfer.overwrite(recordCodeColumns(), keep, held);
    counts.updated = done.moved;
    counts.notFound = done.notFound;
}

namespace {

std::vector<RecordCode> codesOf(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    std::vector<RecordCode> codes;
    for (; !q.eof(); q.next()) codes.push_back(codeOf(q.field(0), q.field(1)));
    return codes;
}

}  // namespace

void mastersCodesPass(ReadContext& cx, const std::string& table) {
    engine::Database& synchro = cx.synchroRows.database();
    const std::vector<RecordCode> losers = codesOf(
        synchro, "select R$Code1, R$Code2 from R$DeletedUpdated where Operation = 'A' and TableName = " +
                     replica::quoted(table));
    if (losers.empty()) return;
    engine::Table target(cx.local);
    target.setTableName(table);
    const std::vector<std::string> key = splitKeyList(target.primaryKeyFields());
    if (key.empty() || key.front().empty()) return;
    std::string columns;
    for (const std::string& k : key) columns += (columns.empty() ? "" : ", ") + cx.local.identifier(k);
    const std::string name = cx.local.identifier(table);
    for (const RecordCode& loser : losers) {
        engine::Query held(cx.local);
        held.setSql("select " + columns + " from " + name + " where " + replica::codeIs(loser));
        held.open();
        if (held.eof()) continue;
        engine::Query sent(synchro);
        std::string where;
        for (std::size_t i = 0; i < key.size(); ++i)
            where += (i ? " and " : "") + synchro.identifier(key[i]) + " = :K" + std::to_string(i);
        sent.setSql("select * from " + synchro.identifier(table) + " where " + where);
        for (std::size_t i = 0; i < key.size(); ++i) sent.setParam("K" + std::to_string(i), held.field(i).asValue());
        sent.open();
        held.close();
        if (sent.eof()) {
            // The master deleted its row of that key since: so goes this one.
            cx.local.execute("delete from " + name + " where " + replica::codeIs(loser));
            continue;
        }
        const RecordCode winner = codeOf(sent.fieldByName("R$Code1"), sent.fieldByName("R$Code2"));
        if (winner == loser || !codesOf(cx.local, "select R$Code1, R$Code2 from " + name + " where " +
                                                      replica::codeIs(winner)).empty())
            continue;
        const bool ownSince = cx.rules.changedSinceAnswered(loser);
        dropUpdateEntries(cx.local, loser);
        if (ownSince) {
            // Changed here after the master read it: the change travels.
            recode(cx.local, table, loser, winner);
            journalEntry(cx.local, table, winner, 'U',
                         replica::integerOf(cx.local, "select LastRead from R$Peers where SiteNumber = 0"));
            continue;
        }
        target.open();
        if (!target.locate("R$CODE1;R$CODE2", {engine::Value{loser.high}, engine::Value{loser.low}})) continue;
        const FieldPairs pairs(sent, target);
        target.edit();
        pairs.copyRow();
        target.post();
        target.close();
    }
}

void deletePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    selectSynchroRows(cx,
                      "select R$Code1, R$Code2 from R$DELETEDUPDATED where Operation = 'D' and TableName = " +
                          replica::quoted(table),
                      true);
    selectLocalTable(cx, table, false);
    engine::Query del(cx.local);
    del.setSql("delete from " + cx.local.identifier(table) + " where R$Code1 = :Code1 and R$Code2 = :Code2");
    del.prepare();
    for (cx.synchroRows.first(); !cx.synchroRows.eof(); cx.synchroRows.next()) {
        const RecordCode code = codeOf(cx.synchroRows.field(0), cx.synchroRows.field(1));
        if (!cx.rules.appliesDeletion(code)) continue;  // applied before, or this site's own
        del.setParam("Code1", cx.synchroRows.field(0).asValue());
        del.setParam("Code2", cx.synchroRows.field(1).asValue());
        try {
            del.execSql();
        } catch (const std::exception& e) {
            // Children still refer to it: the same fill may move them away.
            if (!cx.defer(table, "DELETE", code, e)) throw;
            continue;
        }
        const int64_t gone = del.rowsAffected();
        if (gone) cx.rules.deleted(table, code);
        counts.deleted += gone;
    }
}

}  // namespace quorvel::synchro

#include "synchro/ReadPasses.h"

#include <vector>

#include "engine/Error.h"
#include "engine/Query.h"
#include "synchro/FieldPairs.h"
#include "synchro/StreamingSource.h"
#include "synchro/TMyBM.h"

namespace quorvel::synchro {

namespace {

// The synchro rows of `table` selected by `where`, live so that the
// collision page can edit them.
void openSynchroRows(DM& dm, const std::string& table, const std::string& where) {
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(true);
    dm.QSynchro6Show("select * from " + table + " where " + where);
}

void openLocalTable(DM& dm, const std::string& table) {
    dm.TMaster.close();
    dm.TMaster.setTableName(table);
    dm.TMaster.open();
}

RecordCode codeOf(const engine::Field& c1, const engine::Field& c2) { return {c1.asInteger(), c2.asInteger()}; }

}  // namespace

void insertPass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    DM& dm = cx.dm;
    openSynchroRows(dm, table, codeAbove(cx.senderMark));
    openLocalTable(dm, table);
    if (dm.QSynchro6.eof()) return;

    engine::DataSet& source = dm.QSynchro6;
    engine::Table& target = dm.TMaster;
    const StreamingSource streaming(source);
    const FieldPairs pairs(source, target);
    const engine::Field& code1 = source.fieldByName("R$Code1");
    const engine::Field& code2 = source.fieldByName("R$Code2");
    static const std::string kCodeFields = "R$CODE1;R$CODE2";
    std::vector<engine::Value> codeValues(2);

    int64_t seen = 0;
    for (; !source.eof(); source.next()) {
        if (++seen % TMyBM::kProgressStep == 0) cx.ui.rowsProgress(table, seen);
        const RecordCode code = codeOf(code1, code2);
        codeValues[0] = code1.asValue();
        codeValues[1] = code2.asValue();
        // Found by its record code, whatever its key is now at either site.
        if (!target.locate(kCodeFields, codeValues)) {
            if (cx.local.deleted(code)) {
                ++counts.stayDeleted;  // deleted here; the deletion travels the other way
                continue;
            }
            // A row held here under the same key but another code is a
            // collision: both sites inserted it. The insert fails with the
            // server's own message and stays in insert state for the
            // collision page.
            target.append();
            pairs.copyRow();
            target.post();
            ++counts.inserted;
            continue;
        }
        if (cx.master && cx.local.updated(code)) {
            ++counts.masterWins;
            continue;
        }
        if (!cx.master && cx.local.updated(code) && !cx.sent.updated(code)) {
            ++counts.keptOwn;  // changed here only; this version travels the other way
            continue;
        }
        target.edit();
        pairs.copyRow();
        target.post();
        ++counts.sameRow;
    }
}

void updatePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    DM& dm = cx.dm;
    // Transfer runs the statement itself.
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(true);
    dm.QSynchro6.setSql("select * from " + table + " where " + codeBelow(cx.senderMark));
    dm.TMaster.close();
    dm.TMaster.setTableName(table);
    TMyBM bm(dm);
    bm.Source = &dm.QSynchro6;
    bm.Target = &dm.TMaster;
    bm.Mode = 1;
    bm.CheckUpdated = cx.master;
    bm.LocalJournal = &cx.local;
    bm.OnRows = [&cx, table](int64_t rows) { cx.ui.rowsProgress(table, rows); };
    bm.Transfer();
    counts.updated = bm.Moved;
    counts.masterWins += bm.KeptLocal;
    counts.notFound = bm.NotFound;
}

void deletePass(ReadContext& cx, const std::string& table, ReadReport::Table& counts) {
    DM& dm = cx.dm;
    dm.QSynchro6.close();
    dm.QSynchro6.setLive(false);
    dm.QSynchro6Show("select R$Code1, R$Code2 from R$DELETEDUPDATED where Operation = \"D\" and TableName = \"" +
                     table + "\"");
    engine::Query del(dm.UserDB());
    del.setSql("delete from " + table + " where R$Code1 = :Code1 and R$Code2 = :Code2");
    del.prepare();
    for (dm.QSynchro6.first(); !dm.QSynchro6.eof(); dm.QSynchro6.next()) {
        del.setParam("Code1", dm.QSynchro6.field(0).asValue());
        del.setParam("Code2", dm.QSynchro6.field(1).asValue());
        del.execSql();
        counts.deleted += del.rowsAffected();
    }
}

}  // namespace quorvel::synchro

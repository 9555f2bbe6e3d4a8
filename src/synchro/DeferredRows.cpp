// Rows of one fill that stand in each other's way. A read applies a table's
// rows one at a time, deletes before inserts before updates, children before
// parents for deletes: ordinary work at the sender can need another order
// (two customers merged, the orders moved before the delete; a parent's key
// changed with its children following by cascade; lines renumbered; two rows
// swapping a key). The server refuses such a row and undoes that statement
// alone; it is tried again once the others are in.
#include <algorithm>
#include <iterator>

#include "engine/Error.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TriggerGuard.h"
#include "replica/UserTriggers.h"
#include "synchro/FieldPairs.h"
#include "synchro/ReadPasses.h"

namespace quorvel::synchro {

using replica::RecordCode;

bool ReadContext::defer(const std::string& table, const char* pass, const RecordCode& code, const std::exception& e) {
    const engine::Failure f = engine::failureOf(e);
    if (f != engine::Failure::KeyViolation && f != engine::Failure::ReferenceViolation) return false;
    deferred.push_back({table, pass, code});
    return true;
}

namespace {

ReadReport::Table& countsOf(std::vector<ReadReport::Table>& counts, const std::string& table) {
    for (ReadReport::Table& t : counts)
        if (t.name == table) return t;
    counts.push_back({table});
    return counts.back();
}

// The context stands on the deferred row, as its pass would: the synchro
// row (or the "D" entry) and the local table.
void standOn(ReadContext& cx, const ReadContext::Deferred& d) {
    cx.synchroRows.close();
    cx.synchroRows.setLive(false);
    cx.synchroSelect = d.pass == std::string("DELETE")
                           ? "select R$Code1, R$Code2 from R$DELETEDUPDATED where Operation = 'D' and TableName = " +
                                 replica::quoted(d.table) + " and " + replica::codeIs(d.code)
                           : "select * from " + cx.local.identifier(d.table) + " where " + replica::codeIs(d.code);
    cx.synchroRows.setSql(cx.synchroSelect);
    cx.synchroRows.open();
    cx.localTable.close();
    cx.localTable.setTableName(d.table);
    cx.localTable.open();
}

// Writes the synchro row over the local row of its code, or as a new row
// when there is none and its pass inserts. False when neither is to be done.
// `setAside`: its local row was deleted just now, to be written back.
// `withoutReferences`: columns left NULL (a new row of a reference cycle).
bool writeRow(ReadContext& cx, const ReadContext::Deferred& d, ReadReport::Table& counts, bool setAside = false,
              const std::vector<std::string>& withoutReferences = {}) {
    engine::Table& target = cx.localTable;
    const FieldPairs pairs(cx.synchroRows, target);
    const bool found =
        !setAside && target.locate("R$CODE1;R$CODE2", {engine::Value{d.code.high}, engine::Value{d.code.low}});
    if (!found && !setAside && d.pass != std::string("INSERT")) {
        ++counts.notFound;
        return false;
    }
    try {
        found ? target.edit() : target.append();
        pairs.copyRow();
        for (const std::string& column : withoutReferences) target.fieldByName(column).setNull();
        target.post();
    } catch (const std::exception&) {
        if (target.state() != engine::DataSetState::Browse) target.cancel();
        throw;
    }
    // A row held here before (set aside or not) is recorded as overwritten:
    // the master passes it on as a change.
    const bool held = found || (setAside && d.pass != std::string("INSERT"));
    if (d.recorded) {
        ++counts.updated;
    } else if (!held) {
        cx.rules.applied(d.table, d.code);
        ++counts.inserted;
    } else {
        cx.rules.appliedOverHeld(d.table, d.code);
        ++(d.pass == std::string("INSERT") ? counts.sameRow : counts.updated);
    }
    return true;
}

void apply(ReadContext& cx, const ReadContext::Deferred& d, ReadReport::Table& counts) {
    standOn(cx, d);
    if (d.pass == std::string("DELETE")) {
        const int64_t gone = replica::integerOf(cx.local, "select count(*) from " + cx.local.identifier(d.table) +
                                                              " where " + replica::codeIs(d.code));
        cx.local.execute("delete from " + cx.local.identifier(d.table) + " where " + replica::codeIs(d.code));
        if (gone) cx.rules.deleted(d.table, d.code);
        counts.deleted += gone;
        return;
    }
    if (cx.synchroRows.eof()) return;
    writeRow(cx, d, counts);
}

// Deleting a row of `table` would delete or change rows of other tables
// (ON DELETE CASCADE, SET NULL, SET DEFAULT): then its rows are never set
// aside, since those rows would not come back.
bool deleteReachesOtherRows(engine::Database& db, const std::string& table) {
    return replica::integerOf(db, "select count(*) from RDB$Ref_Constraints R join RDB$Relation_Constraints P on "
                                  "P.RDB$Constraint_Name = R.RDB$Const_Name_Uq where P.RDB$Relation_Name = " +
                                      replica::quoted(table) +
                                      " and R.RDB$Delete_Rule not in ('RESTRICT', 'NO ACTION')") != 0;
}

// An active trigger of the user's on `table` that fires on a delete or an
// insert and does not test the read: it would see the rows set aside as
// deleted and inserted (an audit row, children deleted by hand).
bool ownTriggersSeeDeletes(engine::Database& db, const std::string& table) {
    for (const replica::UserTrigger& t : replica::userTriggersOnWorkingTables(db))
        if (t.table == table && t.active && t.type != 3 && t.type != 4 &&
            !(t.source && replica::testsTheRead(*t.source)))
            return true;
    return false;
}

// The refused inserts and updates of `table` that hold each other's keys:
// their local rows deleted and all of them written anew, together or not at
// all. True when that went through.
bool setAside(ReadContext& cx, std::vector<ReadContext::Deferred>& rows, std::vector<ReadReport::Table>& counts) {
    if (rows.size() < 2 || deleteReachesOtherRows(cx.local, rows.front().table) ||
        ownTriggersSeeDeletes(cx.local, rows.front().table))
        return false;
    const std::string name = cx.local.identifier(rows.front().table);
    cx.local.execute("savepoint R$SET_ASIDE");
    try {
        for (const ReadContext::Deferred& d : rows) cx.local.execute("delete from " + name + " where " + replica::codeIs(d.code));
        for (const ReadContext::Deferred& d : rows) {
            standOn(cx, d);
            if (!cx.synchroRows.eof()) writeRow(cx, d, countsOf(counts, d.table), true);
        }
    } catch (const std::exception& e) {
        cx.local.execute("rollback to savepoint R$SET_ASIDE");
        const engine::Failure f = engine::failureOf(e);
        if (f != engine::Failure::KeyViolation && f != engine::Failure::ReferenceViolation) throw;
        return false;
    }
    cx.local.execute("release savepoint R$SET_ASIDE only");
    return true;
}

// The columns of `table` that refer to another row and may be NULL.
std::vector<std::string> nullableReferences(engine::Database& db, const std::string& table) {
    return replica::firstColumn(
        db, "select distinct S.RDB$Field_Name from RDB$Relation_Constraints C join RDB$Index_Segments S on "
            "S.RDB$Index_Name = C.RDB$Index_Name join RDB$Relation_Fields F on F.RDB$Relation_Name = "
            "C.RDB$Relation_Name and F.RDB$Field_Name = S.RDB$Field_Name join RDB$Fields D on D.RDB$Field_Name = "
            "F.RDB$Field_Source where C.RDB$Constraint_Type = 'FOREIGN KEY' and C.RDB$Relation_Name = " +
                replica::quoted(table) + " and coalesce(F.RDB$Null_Flag, 0) = 0 and coalesce(D.RDB$Null_Flag, 0) = 0");
}

// New rows that refer to each other (a customer and its best order, sent
// together): one of them goes in without its references, and gets them by
// an update once the others are in. True when one went in.
bool breakReferenceCycle(ReadContext& cx, std::vector<ReadReport::Table>& counts) {
    for (std::size_t i = 0; i < cx.deferred.size(); ++i) {
        const ReadContext::Deferred d = cx.deferred[i];
        if (d.pass != std::string("INSERT")) continue;
        const std::vector<std::string> references = nullableReferences(cx.local, d.table);
        if (references.empty()) continue;
        standOn(cx, d);
        if (cx.synchroRows.eof()) continue;
        try {
            if (!writeRow(cx, d, countsOf(counts, d.table), false, references)) continue;
        } catch (const std::exception& e) {
            const engine::Failure f = engine::failureOf(e);
            if (f != engine::Failure::KeyViolation && f != engine::Failure::ReferenceViolation) throw;
            continue;
        }
        cx.deferred[i].pass = "UPDATE";
        cx.deferred[i].recorded = true;
        return true;
    }
    return false;
}

// One round over the deferred rows: those that still fail stay. True when
// any went through.
bool retryRound(ReadContext& cx, std::vector<ReadReport::Table>& counts) {
    std::vector<ReadContext::Deferred> still;
    for (const ReadContext::Deferred& d : cx.deferred) {
        try {
            apply(cx, d, countsOf(counts, d.table));
        } catch (const std::exception& e) {
            const engine::Failure f = engine::failureOf(e);
            if (f != engine::Failure::KeyViolation && f != engine::Failure::ReferenceViolation) throw;
            still.push_back(d);
        }
    }
    const bool progress = still.size() < cx.deferred.size();
    cx.deferred = std::move(still);
    return progress;
}

}  // namespace

void applyDeferred(ReadContext& cx, std::vector<ReadReport::Table>& counts, std::string& table, std::string& pass) {
    while (!cx.deferred.empty()) {
        if (retryRound(cx, counts)) continue;
        if (breakReferenceCycle(cx, counts)) continue;
        // Stuck: the rows of one table that may be holding each other's
        // values, written anew together.
        // First with the table's new rows, then without them: a new row that
        // collides with a row of this site's own must not hold back the
        // rows that only swap values.
        bool moved = false;
        for (const char* leftOut : {"DELETE", "INSERT"})
            for (std::size_t i = 0; i < cx.deferred.size() && !moved; ++i) {
                const std::string t = cx.deferred[i].table;
                auto inGroup = [&](const ReadContext::Deferred& d) {
                    return d.table == t && d.pass != std::string("DELETE") && d.pass != std::string(leftOut);
                };
                std::vector<ReadContext::Deferred> group;
                std::copy_if(cx.deferred.begin(), cx.deferred.end(), std::back_inserter(group), inGroup);
                if (!setAside(cx, group, counts)) continue;
                std::erase_if(cx.deferred, inGroup);
                moved = true;
            }
        if (moved) continue;
        // What remains fails on its own: the first of it stops the read as
        // its pass would have.
        const ReadContext::Deferred first = cx.deferred.front();
        table = first.table;
        // A new row put in without its references is reported as the new
        // row it is: the collision page lists it among the inserts.
        pass = first.recorded ? "INSERT" : first.pass;
        apply(cx, first, countsOf(counts, first.table));
        // Applied after all (it should not be): carry on with the rest.
        cx.deferred.erase(cx.deferred.begin());
    }
}

}  // namespace quorvel::synchro

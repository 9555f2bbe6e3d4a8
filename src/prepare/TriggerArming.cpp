// "Recreate triggers": gives every working table its record-code columns,
// numbers every existing row, arms the three triggers per table and writes
// row 0 of R$SYNCHRO, the mark the first fill counts from.
#include <exception>
#include <string>
#include <vector>

#include "db/Today.h"
#include "engine/Error.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Guards.h"
#include "prepare/Operations.h"
#include "replica/ToolRights.h"
#include "replica/Captured.h"
#include "replica/ChangeTest.h"
#include "replica/CodeColumns.h"
#include "replica/CodeIndex.h"
#include "replica/Presence.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

using replica::quoted;
using replica::run;
using replica::textOf;
using replica::firstColumn;
using replica::ArmingInterrupted;
using replica::SettleTriggerState;
using replica::SwitchTriggersOff;
using replica::SwitchTriggersOn;
using replica::TablePresent;
using replica::workingTables;
namespace schema = replica::schema;

namespace {

// Before any DDL: every record of the catalogue tables an arming writes is
// visited once, in a transaction of its own, so that what a killed run left
// uncommitted is backed out by a reader rather than under the rerun's own
// DDL updating the same records (after which gfix -v found system indexes
// missing entries).
void backOutKilledWork(engine::Database& db) {
    engine::Transaction tx(db);
    for (const char* table : {"RDB$RELATIONS", "RDB$RELATION_FIELDS", "RDB$FIELDS", "RDB$FORMATS", "RDB$INDICES",
                              "RDB$INDEX_SEGMENTS", "RDB$TRIGGERS", "RDB$DEPENDENCIES", "RDB$USER_PRIVILEGES",
                              "RDB$SECURITY_CLASSES", "RDB$PROCEDURES", "RDB$GENERATORS"})
        replica::integerOf(db, std::string("select count(*) from ") + table);
    tx.commit();
}

// Phase 1: the previous arming goes, triggers of every table and the code
// indexes of the listed tables (their code columns stay, renumbered below).
void disarm(engine::Database& db, const std::vector<std::string>& tables) {
    engine::Transaction tx(db);
    for (const std::string& trigger : firstColumn(db, schema::kSelectToolTriggers))
        run(db, schema::dropTrigger(trigger));
    for (const std::string& table : tables) replica::ClearForNumbering(db, table);
    replica::recordTriggerGeneration(db, replica::TriggerGeneration::None);
    tx.commit();
}

// Phase 2: the code columns where missing. Committed on its own: the server
// does not let the same transaction use a column it has just added.
void addColumnsAndReset(engine::Database& db, const std::vector<std::string>& tables) {
    engine::Transaction tx(db);
    for (const std::string& table : tables) replica::AddCodeColumns(db, table);
    run(db, "set generator r$gen1 to 0");
    run(db, "set generator r$gen2 to 0");
    tx.commit();
}

// Phase 3: one set-based statement per table, in a snapshot transaction.
// Killed midway on 200,000 rows, the same update left the file damaged for
// gfix -v in 7 of 20 tries in a read-committed transaction, in none of 20 in
// a snapshot (and in 3 of 15 drawing the codes through R$FILL).
void numberRows(engine::Database& db, const std::vector<std::string>& tables) {
    engine::Transaction tx(db, engine::Database::Isolation::Snapshot);
    for (const std::string& table : tables) replica::NumberRows(db, table, false);
    tx.commit();
}

// Numbering updates every row, which fires the user's own update triggers: a
// "modified" stamp, a version count or an audit row would change the user's
// data. So the user's triggers are switched off around it, by the same switch
// as around a read: all at once, recorded, and guaranteed back (a run stopped
// in between leaves the triggers in the inactive state, from which "Make
// Triggers Active" switches them on).
void numberWithUserTriggersOff(engine::Database& db, const std::vector<std::string>& tables) {
    SwitchTriggersOff(db);
    try {
        numberRows(db, tables);
    } catch (const std::exception&) {
        try {
            SwitchTriggersOn(db);
        } catch (const std::exception&) {
            // The numbering's error is the one reported; the triggers stay
            // recorded as inactive, for "Make Triggers Active" to switch on.
        }
        throw;
    }
    SwitchTriggersOn(db);
}

// Phase 4: the code index of every table (the exchange finds and deletes rows
// by code), the triggers, R$1 upwards across the tables, and the first mark.
void armAndMark(engine::Database& db, const std::vector<std::string>& tables) {
    engine::Transaction tx(db);
    for (const std::string& table : tables) replica::CreateCodeIndex(db, table);
    int counter = 0;
    for (const std::string& table : tables) {
        run(db, schema::insertTrigger(++counter, table, db.sqlDialect()));
        run(db, schema::deleteTrigger(++counter, table, db.sqlDialect()));
        run(db, schema::updateTrigger(++counter, table, db.sqlDialect(), replica::changeCondition(db, table)));
    }
    const std::string code1 = textOf(db, "select C from R$Fill(1)");
    const std::string code2 = textOf(db, "select C from R$Fill(2)");
    // Every row was just renumbered from (0, 1): earlier marks and journal
    // entries name codes that now mean other rows.
    run(db, "delete from R$SYNCHRO");
    replica::emptyJournal(db);
    run(db, "insert into R$SYNCHRO values(0," + quoted(nowText()) + ", " + code1 + ", " + code2 + ")");
    replica::recordTriggerGeneration(db, replica::TriggerGeneration::SkipsNoOps);
    replica::grantToolRights(db);
    // Every code now names another row: clones made before exchange no more.
    replica::nextGeneration(db);
    tx.commit();
}


// Armed while off, the new triggers would be on in the middle of a read, and
// the numbering's switch would overwrite the record of the user's inactive
// triggers: refused. Off because an earlier arming was stopped midway is no
// refusal: the result says that this run finishes it.
bool resumesStoppedArming(engine::Database& db) {
    if (!SettleTriggerState(db)) return false;
    if (ArmingInterrupted(db)) return true;
    throw Refused("Triggers are inactive: make them active first.");
}

// Re-arming renumbers every row from (0, 1): the copies of the clones made
// before keep the old codes, which now name other rows. The operator decides.
bool clonesMayBreak(engine::Database& db, Reporter& reporter) {
    const std::vector<std::string> clones = RegisteredClones(db);
    if (clones.empty()) return false;
    std::string names;
    for (const std::string& name : clones) names += (names.empty() ? "" : ", ") + name;
    return !reporter.confirm("Clones are registered: " + names +
                             ". Their copies will no longer match. Recreate triggers anyway?");
}

}  // namespace

Outcome RecreateTriggers(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        // Before the meta structures there is nothing to arm from. The
        // window shows the error state alone, as it always has; the outcome
        // says what is missing.
        if (!TablePresent(local, "R$WORKINGTABLES"))
            return Outcome::failed("Recreate triggers: there is no list of working tables (R$WORKINGTABLES); "
                                   "create the meta structures first.");
        replica::requireCurrentVersion(local);
        const bool resume = resumesStoppedArming(local);
        if (clonesMayBreak(local, reporter)) return Outcome::cancelled();
        // The stopped run switched the user's triggers off and recorded the
        // ones that were off already: they go back as they were, so that the
        // numbering's own switch records them again as the user has them.
        if (resume) SwitchTriggersOn(local);
        // The list is read afresh: the arming follows it as it stands now.
        const std::vector<std::string> tables = workingTables(local);
        try {
            backOutKilledWork(local);
            disarm(local, tables);
        } catch (const std::exception& e) {
            // Nothing has changed; the previous arming stays as it was. The
            // window shows the error state alone, as it always has; the
            // outcome says what failed.
            return Outcome::failed(std::string("Recreate triggers: removing the previous arming failed: ") +
                                       e.what(),
                                   engine::failureOf(e));
        }
        addColumnsAndReset(local, tables);
        numberWithUserTriggersOff(local, tables);
        armAndMark(local, tables);
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare

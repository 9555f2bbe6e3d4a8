// "Recreate triggers": gives every working table its record-code columns,
// numbers every existing row, arms the three triggers per table and writes
// row 0 of R$SYNCHRO, the mark the first fill counts from.
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "db/Today.h"
#include "engine/Transaction.h"
#include "prepare/CodeColumns.h"
#include "prepare/CodeIndex.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Presence.h"
#include "prepare/Operations.h"
#include "prepare/ReplicationSchema.h"
#include "prepare/SqlText.h"
#include "prepare/TriggerState.h"

namespace quorvel::prepare {

namespace {

// The working tables in name order, as QWorkingTables lists them.
std::vector<std::string> workingTables(DM& dm) {
    std::vector<std::string> names;
    for (dm.QWorkingTables.first(); !dm.QWorkingTables.eof(); dm.QWorkingTables.next())
        names.push_back(dm.QWorkingTables.fieldByName("Name").asString());
    return names;
}

// Phase 1: the previous arming goes, triggers of every table and the columns
// of the listed tables.
void disarm(DM& dm, const std::vector<std::string>& tables) {
    engine::Transaction tx(dm.UserDB());
    dm.Q6Show(schema::kSelectToolTriggers);
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next())
        dm.Q7Exec(schema::dropTrigger(dm.Q6.field(0).asString()));
    for (const std::string& table : tables) DropCodeColumns(dm, table);
    tx.commit();
}

// Phase 2. Committed on its own: the server does not let the same
// transaction use a column it has just added.
void addColumnsAndReset(DM& dm, const std::vector<std::string>& tables) {
    engine::Transaction tx(dm.UserDB());
    for (const std::string& table : tables) {
        dm.Q6Exec("alter table " + table + " add R$Code1 Integer");
        dm.Q6Exec("alter table " + table + " add R$Code2 Integer");
    }
    dm.Q6Exec("set generator r$gen1 to 0");
    dm.Q6Exec("set generator r$gen2 to 0");
    tx.commit();
}

// Phase 3: one set-based statement per table; the low word is drawn before
// the high word, so a row that rolls over gets the new high word.
void numberRows(DM& dm, const std::vector<std::string>& tables) {
    engine::Transaction tx(dm.UserDB());
    for (const std::string& table : tables)
        dm.Q6Exec("update " + table +
                  " set R$Code2 = (select C from R$FILL(2)), R$Code1 = (select C from R$FILL(1))");
    tx.commit();
}

// Numbering updates every row, which fires the user's own update triggers: a
// "modified" stamp, a version count or an audit row would change the user's
// data. So the user's triggers are switched off around it, by the same switch
// as around a read: all at once, recorded, and guaranteed back (a run stopped
// in between leaves the triggers in the inactive state, from which "Make
// Triggers Active" switches them on).
void numberWithUserTriggersOff(DM& dm, const std::vector<std::string>& tables) {
    SwitchTriggersOff(dm);
    try {
        numberRows(dm, tables);
    } catch (const std::exception&) {
        dm.UserDB().rollbackQuietly();
        try {
            SwitchTriggersOn(dm);
        } catch (const std::exception&) {
            // The numbering's error is the one reported; the triggers stay
            // recorded as inactive, for "Make Triggers Active" to switch on.
            dm.UserDB().rollbackQuietly();
        }
        throw;
    }
    SwitchTriggersOn(dm);
}

// Phase 4: the code index of every table (the exchange finds and deletes rows
// by code), the triggers, R$1 upwards across the tables, and the first mark.
void armAndMark(DM& dm, const std::vector<std::string>& tables) {
    engine::Transaction tx(dm.UserDB());
    for (const std::string& table : tables) CreateCodeIndex(dm, table);
    int counter = 0;
    for (const std::string& table : tables) {
        execLines(dm.Q6, schema::insertTrigger(++counter, table));
        execLines(dm.Q6, schema::deleteTrigger(++counter, table));
        execLines(dm.Q6, schema::updateTrigger(++counter, table));
    }
    const std::string code1 = dm.Q6Text("select C from R$Fill(1)");
    const std::string code2 = dm.Q6Text("select C from R$Fill(2)");
    // Every row was just renumbered from (0, 1): earlier marks and journal
    // entries name codes that now mean other rows.
    dm.Q6Exec("delete from R$SYNCHRO");
    dm.Q6Exec("delete from R$DELETEDUPDATED");
    dm.Q6Exec("insert into R$SYNCHRO values(0," + quoted(todayText()) + ", " + code1 + ", " + code2 + ")");
    tx.commit();
}

// Before the meta structures there is nothing to arm from. The window shows
// the error state alone, as it always has; the outcome says what is missing.
std::optional<Outcome> withoutWorkingTableList(DM& dm, Frontend& ui) {
    try {
        if (TablePresent(dm, "R$WORKINGTABLES")) return std::nullopt;
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setError();
    return Outcome::failed("Recreate triggers: there is no list of working tables (R$WORKINGTABLES); "
                           "create the meta structures first.");
}

// Armed while off, the new triggers would be on in the middle of a read, and
// the numbering's switch would overwrite the record of the user's inactive
// triggers. The outcome when refused. Off because an earlier arming was
// stopped midway is no refusal: `resume` says that this run finishes it.
std::optional<Outcome> refusedWhileOff(DM& dm, Frontend& ui, bool& resume) {
    try {
        if (!SettleTriggerState(dm)) return std::nullopt;
        resume = ArmingInterrupted(dm);
        if (resume) return std::nullopt;
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    const std::string why = "Triggers are inactive: make them active first.";
    ui.setError();
    ui.showMessage(why);
    return Outcome::refused(why);
}

// Re-arming renumbers every row from (0, 1): the copies of the clones made
// before keep the old codes, which now name other rows. The operator decides;
// the outcome when the arming must not go on.
std::optional<Outcome> clonesMayBreak(DM& dm, Frontend& ui) {
    std::vector<std::string> clones;
    try {
        clones = RegisteredClones(dm);
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    if (clones.empty()) return std::nullopt;
    std::string names;
    for (const std::string& name : clones) names += (names.empty() ? "" : ", ") + name;
    if (ui.confirm("Clones are registered: " + names +
                   ". Their copies will no longer match. Recreate triggers anyway?"))
        return std::nullopt;
    return Outcome::cancelled();
}

}  // namespace

Outcome CreateTriggers(DM& dm, Frontend& ui) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (auto missing = withoutWorkingTableList(dm, ui)) return *missing;
    bool resume = false;
    if (auto refused = refusedWhileOff(dm, ui, resume)) return *refused;
    if (auto declined = clonesMayBreak(dm, ui)) return *declined;
    ui.setWorking();
    if (resume) {
        // The stopped run switched the user's triggers off and recorded the
        // ones that were off already: they go back as they were, so that the
        // numbering's own switch records them again as the user has them.
        try {
            SwitchTriggersOn(dm);
        } catch (const std::exception& e) {
            return failWithMessage(dm, ui, e);
        }
    }
    std::vector<std::string> tables;
    try {
        // The list is read afresh: the arming follows it as it stands now.
        dm.ReopenWorkingTables();
        tables = workingTables(dm);
        disarm(dm, tables);
    } catch (const std::exception& e) {
        // Nothing has changed; the previous arming stays as it was. The
        // window shows the error state alone, as it always has; the outcome
        // says what failed.
        dm.UserDB().rollbackQuietly();
        ui.setError();
        return Outcome::failed(std::string("Recreate triggers: removing the previous arming failed: ") +
                               e.what());
    }
    try {
        addColumnsAndReset(dm, tables);
        numberWithUserTriggersOff(dm, tables);
        armAndMark(dm, tables);
        // The history now starts again at row 0; the grid shows that.
        dm.ReopenSynchro();
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::prepare

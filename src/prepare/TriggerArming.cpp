// "Recreate triggers": gives every working table its record-code columns,
// numbers every existing row, arms the three triggers per table and writes
// row 0 of R$SYNCHRO, the mark the first fill counts from.
#include <exception>
#include <string>
#include <vector>

#include "prepare/CodeColumns.h"
#include "prepare/CodeIndex.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
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
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    dm.Q6Show(schema::kSelectToolTriggers);
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next())
        dm.Q7Exec(schema::dropTrigger(dm.Q6.field(0).asString()));
    for (const std::string& table : tables) DropCodeColumns(dm, table);
    db.commit();
}

// Phase 2. Committed on its own: the server does not let the same
// transaction use a column it has just added.
void addColumnsAndReset(DM& dm, const std::vector<std::string>& tables) {
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    for (const std::string& table : tables) {
        dm.Q6Exec("alter table " + table + " add R$Code1 Integer");
        dm.Q6Exec("alter table " + table + " add R$Code2 Integer");
    }
    dm.Q6Exec("set generator r$gen1 to 0");
    dm.Q6Exec("set generator r$gen2 to 0");
    db.commit();
}

// Phase 3: one set-based statement per table; the low word is drawn before
// the high word, so a row that rolls over gets the new high word.
void numberRows(DM& dm, const std::vector<std::string>& tables) {
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    for (const std::string& table : tables)
        dm.Q6Exec("update " + table +
                  " set R$Code2 = (select C from R$FILL(2)), R$Code1 = (select C from R$FILL(1))");
    db.commit();
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
    engine::Database& db = dm.UserDB();
    db.startTransaction();
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
    db.commit();
}

// Armed while off, the new triggers would be on in the middle of a read, and
// the numbering's switch would overwrite the record of the user's inactive
// triggers. True when refused.
bool refusedWhileOff(DM& dm, Frontend& ui) {
    try {
        if (!SettleTriggerState(dm)) return false;
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return true;
    }
    ui.setError();
    ui.showMessage("Triggers are inactive: make them active first.");
    return true;
}

// Re-arming renumbers every row from (0, 1): the copies of the clones made
// before keep the old codes, which now name other rows. The operator decides.
bool clonesMayBreak(DM& dm, Frontend& ui) {
    std::vector<std::string> clones;
    try {
        clones = RegisteredClones(dm);
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return false;
    }
    if (clones.empty()) return true;
    std::string names;
    for (const std::string& name : clones) names += (names.empty() ? "" : ", ") + name;
    return ui.confirm("Clones are registered: " + names +
                      ". Their copies will no longer match. Recreate triggers anyway?");
}

}  // namespace

void CreateTriggers(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    if (refusedWhileOff(dm, ui)) return;
    if (!clonesMayBreak(dm, ui)) return;
    engine::Database& db = dm.UserDB();
    ui.setWorking();
    std::vector<std::string> tables;
    try {
        // The list is read afresh: the arming follows it as it stands now.
        dm.ReopenWorkingTables();
        tables = workingTables(dm);
        disarm(dm, tables);
    } catch (const std::exception&) {
        // Nothing has changed; the previous arming stays as it was.
        db.rollbackQuietly();
        ui.setError();
        return;
    }
    try {
        addColumnsAndReset(dm, tables);
        numberWithUserTriggersOff(dm, tables);
        armAndMark(dm, tables);
        // The history now starts again at row 0; the grid shows that.
        dm.ReopenSynchro();
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    ui.setOK();
}

}  // namespace quorvel::prepare

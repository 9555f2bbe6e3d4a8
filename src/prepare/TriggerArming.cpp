// "Recreate triggers": gives every working table its record-code columns,
// numbers every existing row, arms the three triggers per table and writes
// row 0 of R$SYNCHRO, the mark the first fill counts from.
#include <ctime>
#include <exception>
#include <string>
#include <vector>

#include "engine/Transaction.h"
#include "prepare/CodeColumns.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/ReplicationSchema.h"
#include "prepare/SqlText.h"

namespace quorvel::prepare {

namespace {

// The working tables in name order, as QWorkingTables lists them.
std::vector<std::string> workingTables(DM& dm) {
    std::vector<std::string> names;
    for (dm.QWorkingTables.first(); !dm.QWorkingTables.eof(); dm.QWorkingTables.next())
        names.push_back(dm.QWorkingTables.fieldByName("Name").asString());
    return names;
}

// Today as "YYYY-MM-DD", which the server reads the same under every locale.
std::string today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
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

// Phase 4: the triggers, R$1 upwards across the tables, and the first mark.
void armAndMark(DM& dm, const std::vector<std::string>& tables) {
    engine::Transaction tx(dm.UserDB());
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
    dm.Q6Exec("insert into R$SYNCHRO values(0," + quoted(today()) + ", " + code1 + ", " + code2 + ")");
    tx.commit();
}

}  // namespace

Outcome CreateTriggers(DM& dm, Frontend& ui) {
    ui.setWorking();
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
        numberRows(dm, tables);
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

// "Erase add. structures": removes every replication object; the working
// tables keep their own columns and rows.
#include <exception>
#include <string>
#include <vector>

#include "connect/Connect.h"
#include "engine/Transaction.h"
#include "prepare/CodeColumns.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/Presence.h"
#include "prepare/ReplicationSchema.h"
#include "prepare/TriggerState.h"

namespace quorvel::prepare {

namespace {

// Erased while the triggers are off (between a deactivation and its
// reactivation), the record of which user triggers to switch on again would go
// with R$INACTIVETRIGGERS, and the user's own triggers would stay off for
// good. So they go back on first, as a reactivation would switch them.
void switchUserTriggersOn(DM& dm) {
    for (const char* table : {"R$WORKINGTABLES", "R$INACTIVETRIGGERS"})
        if (!TablePresent(dm, table)) return;  // never switched off
    if (!GeneratorPresent(dm, "R$TRIG")) return;
    if (TriggersInactive(dm)) SwitchTriggersOn(dm);
}

// Drops every R$ trigger in one transaction. A refusal undoes all of them
// and the erasure goes on: a trigger left behind makes a later drop that
// depends on it fail, and that failure is the one reported.
void dropToolTriggers(DM& dm, Frontend& ui) {
    try {
        engine::Transaction tx(dm.UserDB());
        showAction(ui, "drop R$ triggers");
        dm.Q6Show(schema::kSelectToolTriggers);
        // Q6 keeps its rows while the drops run on Q7.
        for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next())
            dm.Q7Exec(schema::dropTrigger(dm.Q6.field(0).asString()));
        tx.commit();
        showProgress(ui, 4);
    } catch (const std::exception&) {
        // Deliberately quiet: see above.
    }
}

void dropProcedures(DM& dm) {
    engine::Transaction tx(dm.UserDB());
    // Dropping a procedure removes its dependency rows with it; the system
    // tables themselves are read-only.
    if (ProcedurePresent(dm, "R$ACTIVETRIGGERS")) dm.Q6Exec("drop procedure R$ACTIVETRIGGERS");
    if (ProcedurePresent(dm, "R$FILL")) dm.Q6Exec("drop procedure R$FILL");
    tx.commit();
}

void dropCodeColumns(DM& dm, Frontend& ui) {
    engine::Transaction tx(dm.UserDB());
    showAction(ui, "drop R$Code1, R$Code2 from all tables");
    DropEveryToolColumn(dm);
    tx.commit();
    showProgress(ui, 6);
}

void dropTablesAndGenerators(DM& dm, Frontend& ui) {
    showAction(ui, "drop R$ tables");
    engine::Transaction tx(dm.UserDB());
    if (TablePresent(dm, "R$CLONE")) dm.Q6Exec("drop table R$CLONE");
    if (TablePresent(dm, "R$TABLEORDER")) dm.Q6Exec("drop table R$TABLEORDER");
    dm.QTableTrigger.close();  // it reads R$WorkingTables
    for (const char* table : {"R$WORKINGTABLES", "R$INACTIVETRIGGERS", "R$PKGENS", "R$SYNCHRO",
                              "R$DELETEDUPDATED"}) {
        if (TablePresent(dm, table)) dm.Q6Exec(std::string("drop table ") + table);
    }
    // Generators go by drop generator, one per R$ name in the catalogue.
    dm.Q6Show("select RDB$Generator_Name from RDB$Generators where RDB$Generator_Name starting with \"R$\"");
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next())
        dm.Q7Exec("drop generator " + dm.Q6.field(0).asString());
    dm.Q6.close();
    showProgress(ui, 8);
    showProgress(ui, 11);
    tx.commit();
}

}  // namespace

Outcome EraseMeta(DM& dm, Frontend& ui) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (!ui.confirm("Erase now?")) return Outcome::cancelled();
    ui.setWorking();

    try {
        connect::Reconnect(dm.UserDB());
        dm.QColumns.open();
        dm.QGenerator.open();
        // The trigger list reads R$WorkingTables, which a creation that
        // stopped half-way may not have made.
        if (TablePresent(dm, "R$WORKINGTABLES")) dm.QTableTrigger.open();
        dm.QTables.open();
    } catch (const std::exception& e) {
        // Without a connection or its lists there is nothing to erase from.
        return failWithMessage(dm, ui, e);
    }
    ui.setProgressMax(ctl::PBar, 11);
    showProgress(ui, 0);
    ui.setVisible(ctl::PBar, true);
    ui.setVisible(ctl::LAction, true);
    ui.processEvents();
    dm.Q6.close();
    dm.QClone.close();
    dm.QSynchro.close();
    dm.QWorkingTables.close();

    try {
        switchUserTriggersOn(dm);
    } catch (const std::exception& e) {
        // Nothing is erased while the user's triggers cannot be put back.
        ui.setVisible(ctl::PBar, false);
        ui.setVisible(ctl::LAction, false);
        return failWithMessage(dm, ui, e);
    }
    dropToolTriggers(dm, ui);
    try {
        dropProcedures(dm);
        dropCodeColumns(dm, ui);
        dropTablesAndGenerators(dm, ui);
    } catch (const std::exception& e) {
        // The page keeps "Prepare completed": no step caption or bar beside
        // it once the erasure has stopped.
        ui.setVisible(ctl::PBar, false);
        ui.setVisible(ctl::LAction, false);
        return failWithMessage(dm, ui, e);
    }

    // Shown only once the drops are committed, so a refused commit does not
    // leave the page claiming the structures are gone.
    ui.setText(ctl::LPrepare, "Create additional meta structures first.");
    ui.setEnabled(ctl::SBCreateMeta, true);
    ui.setEnabled(ctl::SBEraseMeta, false);
    ui.setVisible(ctl::PBar, false);
    ui.setVisible(ctl::LAction, false);
    ui.setOK();
    ui.setText(ctl::LMaster, "");
    // The generator list still named the dropped R$ generators.
    try {
        dm.QGenerator.close();
        dm.QGenerator.open();
    } catch (const std::exception& e) {
        // The erasure itself went through; only the list is stale.
        ui.showMessage(e.what());
    }
    return Outcome::done();
}

}  // namespace quorvel::prepare

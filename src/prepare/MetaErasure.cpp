// "Erase add. structures": removes every replication object; the working
// tables keep their own columns and rows.
#include <exception>
#include <string>
#include <vector>

#include "connect/Connect.h"
#include "engine/Transaction.h"
#include "prepare/CodeColumns.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/Presence.h"
#include "prepare/ReplicationSchema.h"

namespace quorvel::prepare {

namespace {

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
    // After a creation that stopped half-way the list may be missing; the
    // rest must still be erasable then.
    if (TablePresent(dm, "R$WORKINGTABLES")) {
        dm.QWorkingTables.open();
        for (dm.QWorkingTables.first(); !dm.QWorkingTables.eof(); dm.QWorkingTables.next())
            DropCodeColumns(dm, dm.QWorkingTables.fieldByName("Name").asString());
        dm.QWorkingTables.close();
    }
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

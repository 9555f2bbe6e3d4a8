// "Create add. structures": adds the replication objects that are missing.
#include <exception>
#include <string>

#include "connect/Connect.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/Presence.h"
#include "prepare/ReplicationSchema.h"
#include "prepare/SqlText.h"

namespace quorvel::prepare {

namespace {

// One multi-line creation statement in a transaction of its own. A refusal is
// shown and rolled back; the creation goes on with the next object.
void createByLines(DM& dm, Frontend& ui, const std::string& text) {
    engine::Database& db = dm.UserDB();
    try {
        dm.Q6.close();
        dm.Q6.clearSql();
        for (const std::string& line : linesOf(text)) dm.Q6.addSql(line);
        db.startTransaction();
        dm.Q6.prepare();
        dm.Q6.execSql();
        db.commit();
    } catch (const std::exception& e) {
        db.rollbackQuietly();
        ui.showMessage(e.what());
    }
}

// Statements tied to an object just created; their failure is rolled back
// without a message.
template <class Body>
void silently(DM& dm, Body body) {
    engine::Database& db = dm.UserDB();
    try {
        db.startTransaction();
        body();
        db.commit();
    } catch (const std::exception&) {
        db.rollbackQuietly();
    }
}

bool checkEdit(Frontend& ui, const char* edit) {
    if (isIntegerText(ui.text(edit))) return true;
    ui.showMessage("Invalid number");
    ui.focusAndSelectAll(edit);
    return false;
}

void createObjects(DM& dm, Frontend& ui) {
    const std::string maxValue1 = ui.text("EditMaxValue1");
    const std::string maxValue2 = ui.text("EditMaxValue2");

    ui.processEvents();
    ui.setProgressMax("PBar", 11);
    showProgress(ui, 0);
    ui.setVisible("PBar", true);
    ui.setVisible("LAction", true);
    ui.processEvents();

    // The three generators stand or fall together: one that exists already
    // rolls back the others.
    showAction(ui, "Create generator");
    silently(dm, [&] {
        for (const char* sql : schema::kCreateGenerators) dm.Q6Exec(sql);
        showProgress(ui, 1);
    });
    showProgress(ui, 2);

    showAction(ui, "Create table R$CLONE");
    if (!TablePresent(dm, "R$CLONE")) {
        createByLines(dm, ui, schema::kCreateClone);
        showProgress(ui, 5);
    }
    showAction(ui, "Create table R$TABLEORDER");
    if (!TablePresent(dm, "R$TABLEORDER")) {
        createByLines(dm, ui, schema::kCreateTableOrder);
        showProgress(ui, 6);
    }
    if (!TablePresent(dm, "R$WORKINGTABLES")) createByLines(dm, ui, schema::kCreateWorkingTables);

    // These two run on their own, outside a transaction; a failure here ends
    // the creation.
    showAction(ui, "Create table R$INACTIVETRIGGERS");
    if (!TablePresent(dm, "R$INACTIVETRIGGERS")) dm.Q6Exec(schema::kCreateInactiveTriggers);
    showProgress(ui, 7);
    showAction(ui, "Create table R$SYNCHRO");
    if (!TablePresent(dm, "R$SYNCHRO")) dm.Q6Exec(schema::kCreateSynchro);
    showProgress(ui, 8);

    showAction(ui, "Create table R$PKGENS");
    if (!TablePresent(dm, "R$PKGENS")) {
        createByLines(dm, ui, schema::kCreatePKGens);
        showProgress(ui, 9);
    }
    showAction(ui, "Create table R$DELETEDUPDATED");
    if (!TablePresent(dm, "R$DELETEDUPDATED")) {
        createByLines(dm, ui, schema::kCreateDeletedUpdated);
        // The grant and the MASTER row come only with a new journal table.
        silently(dm, [&] {
            dm.Q6Exec(schema::kGrantDeletedUpdated);
            dm.Q6Exec(schema::masterRow(maxValue1, maxValue2));
        });
        showProgress(ui, 10);
    }
    if (!ProcedurePresent(dm, "R$ACTIVETRIGGERS")) {
        createByLines(dm, ui, schema::kCreateActiveTriggers);
        silently(dm, [&] { dm.Q6Exec(schema::kGrantActiveTriggers); });
    }
    if (!ProcedurePresent(dm, "R$FILL")) createByLines(dm, ui, schema::kCreateFill);
    showProgress(ui, 11);

    ensureOpen(dm.QPKGens);
    ensureOpen(dm.QClone);
    ensureOpen(dm.QSynchro);
    ensureOpen(dm.QWorkingTables);

    ui.setVisible("PBar", false);
    ui.setVisible("LAction", false);
    ui.setEnabled("SBCreateMeta", false);
    ui.setEnabled("SBEraseMeta", true);
    ui.setText("LPrepare", "Prepare completed");
    ui.setText("LMaster", "MASTER");
}

}  // namespace

void CreateMeta(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    ui.setWorking();
    try {
        // Only the check is kept: the texts as typed go into the MASTER row.
        if (checkEdit(ui, "EditMaxValue1") && checkEdit(ui, "EditMaxValue2")) createObjects(dm, ui);

        // A fresh connection, so that the new objects are seen everywhere.
        connect::Reconnect(dm.UserDB());
        dm.QColumns.open();
        dm.QGenerator.open();
        dm.QTableTrigger.open();
        dm.QTables.open();
        dm.QPKGens.open();
        dm.QClone.open();
        dm.QWorkingTables.open();
    } catch (const std::exception&) {
        // Whatever escaped ends the creation where it stood, without a
        // message of its own.
        dm.UserDB().rollbackQuietly();
        ui.setError();
        return;
    }
    ui.setOK();
}

}  // namespace quorvel::prepare

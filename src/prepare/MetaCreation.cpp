// "Create add. structures": adds the replication objects that are missing.
#include <exception>
#include <string>

#include "connect/Connect.h"
#include "engine/Transaction.h"
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
    try {
        dm.Q6.close();
        dm.Q6.clearSql();
        for (const std::string& line : linesOf(text)) dm.Q6.addSql(line);
        engine::Transaction tx(dm.UserDB());
        dm.Q6.prepare();
        dm.Q6.execSql();
        tx.commit();
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
    }
}

// Statements tied to an object just created, or objects that may exist
// already (the generators of an earlier attempt). Their refusal is the
// expected answer in those cases, so it is rolled back without a message;
// what the creation needs of them is checked by its later steps.
template <class Body>
void silently(DM& dm, Body body) {
    try {
        engine::Transaction tx(dm.UserDB());
        body();
        tx.commit();
    } catch (const std::exception&) {
        // Deliberately quiet: see above.
    }
}

bool checkBound(Frontend& ui, const std::string& text, ctl::Control edit) {
    if (isIntegerText(text)) return true;
    ui.showMessage("Invalid number");
    ui.focusAndSelectAll(edit);
    return false;
}

// The step caption shown last, so a failure can say where it stopped.
struct Steps {
    Frontend& ui;
    std::string current;
    void show(const std::string& caption) {
        current = caption;
        showAction(ui, caption);
    }
};

void hideProgress(Frontend& ui) {
    ui.setVisible(ctl::PBar, false);
    ui.setVisible(ctl::LAction, false);
}

void createObjects(DM& dm, Frontend& ui, const MasterBounds& bounds, Steps& steps) {
    const std::string& maxValue1 = bounds.maxValue1;
    const std::string& maxValue2 = bounds.maxValue2;

    ui.processEvents();
    ui.setProgressMax(ctl::PBar, 11);
    showProgress(ui, 0);
    ui.setVisible(ctl::PBar, true);
    ui.setVisible(ctl::LAction, true);
    ui.processEvents();

    // The three generators stand or fall together: one that exists already
    // rolls back the others.
    steps.show("Create generator");
    silently(dm, [&] {
        for (const char* sql : schema::kCreateGenerators) dm.Q6Exec(sql);
        showProgress(ui, 1);
    });
    showProgress(ui, 2);

    steps.show("Create table R$CLONE");
    if (!TablePresent(dm, "R$CLONE")) {
        createByLines(dm, ui, schema::kCreateClone);
        showProgress(ui, 5);
    }
    steps.show("Create table R$TABLEORDER");
    if (!TablePresent(dm, "R$TABLEORDER")) {
        createByLines(dm, ui, schema::kCreateTableOrder);
        showProgress(ui, 6);
    }
    if (!TablePresent(dm, "R$WORKINGTABLES")) createByLines(dm, ui, schema::kCreateWorkingTables);

    // These two run on their own, outside a transaction; a failure here ends
    // the creation.
    steps.show("Create table R$INACTIVETRIGGERS");
    if (!TablePresent(dm, "R$INACTIVETRIGGERS")) dm.Q6Exec(schema::kCreateInactiveTriggers);
    showProgress(ui, 7);
    steps.show("Create table R$SYNCHRO");
    if (!TablePresent(dm, "R$SYNCHRO")) dm.Q6Exec(schema::kCreateSynchro);
    showProgress(ui, 8);

    steps.show("Create table R$PKGENS");
    if (!TablePresent(dm, "R$PKGENS")) {
        createByLines(dm, ui, schema::kCreatePKGens);
        showProgress(ui, 9);
    }
    steps.show("Create table R$DELETEDUPDATED");
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

    hideProgress(ui);
    ui.setEnabled(ctl::SBCreateMeta, false);
    ui.setEnabled(ctl::SBEraseMeta, true);
    ui.setText(ctl::LPrepare, "Prepare completed");
    ui.setText(ctl::LMaster, "MASTER");
}

}  // namespace

Outcome CreateMeta(DM& dm, Frontend& ui, const MasterBounds& bounds) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    ui.setWorking();
    Steps steps{ui, {}};
    // Only the check is kept: the texts as typed go into the MASTER row.
    const bool accepted = checkBound(ui, bounds.maxValue1, ctl::EditMaxValue1) &&
                          checkBound(ui, bounds.maxValue2, ctl::EditMaxValue2);
    try {
        if (accepted) createObjects(dm, ui, bounds, steps);

        // A fresh connection, so that the new objects are seen everywhere.
        steps.current = "Reconnect";
        connect::Reconnect(dm.UserDB());
        dm.QColumns.open();
        dm.QGenerator.open();
        dm.QTableTrigger.open();
        dm.QTables.open();
        dm.QPKGens.open();
        dm.QClone.open();
        dm.QWorkingTables.open();
    } catch (const std::exception& e) {
        dm.UserDB().rollbackQuietly();
        ui.setError();
        // Refused bounds created nothing: the lists of a database without the
        // structures cannot open, which is no news worth a message.
        if (!accepted) return Outcome::refused("Invalid number");
        // The creation ends where it stood; the page must not keep a step
        // caption and a half-full bar as if it were still running.
        hideProgress(ui);
        const std::string why = "Create add. structures stopped at \"" + steps.current + "\": " + e.what();
        ui.showMessage(why);
        return Outcome::failed(why);
    }
    ui.setOK();
    if (!accepted) return Outcome::refused("Invalid number");
    return Outcome::done();
}

}  // namespace quorvel::prepare

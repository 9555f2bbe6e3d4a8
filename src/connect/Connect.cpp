#include "connect/Connect.h"

#include <functional>
#include <optional>
#include <string>

#include "connect/DialectCheck.h"
#include "engine/Error.h"

namespace quorvel::connect {

namespace {

const char* kMetaPresent = "select count(*) from RDB$Relations where RDB$Relation_Name = \"R$CLONE\"";
const char* kIdentity = "select Name from R$CLONE where ME = \"Y\"";
const char* kTriggerState = "select gen_id(R$Trig, 0) from RDB$DATABASE";

// Steps 1 to 10 shared by the four connect buttons. `labels` are set to the
// chosen alias after a successful connection, then `check` runs. Every one of
// the four databases is written by some operation (the in-synchro one through
// its rows, which the read writes into the local database), so none of them
// may be of another dialect.
void connectRoutine(DM& dm, Frontend& ui, engine::Database& db,
                    std::initializer_list<const char*> labels,
                    const std::function<void()>& check) {
    db.disconnect();
    std::optional<std::string> alias = ui.chooseAlias();
    if (!alias) return;
    ui.processEvents();
    std::string user, password;
    if (!ui.login(*alias, user, password)) return;
    ui.setWorking();
    db.setAliasName(*alias);
    db.setParams({"USER NAME=" + user, "PASSWORD=" + password});
    try {
        db.connect();
    } catch (const std::exception& e) {
        ui.showMessage(std::string("Incorrect User Name or Password: ") + e.what());
        ui.setError();
        return;
    }
    if (refusedForDialect(db, ui, *alias)) return;
    for (const char* l : labels) ui.setText(l, *alias);
    try {
        check();
    } catch (const std::exception& e) {
        // A failure outside the checks' own handling: undo what is open and
        // leave the window usable with the error shown.
        db.rollbackQuietly();
        dm.UserDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return;
    }
    ui.setOK();
}

}  // namespace

void Reconnect(engine::Database& db) {
    db.disconnect();
    db.connect();
}

void AfterMasterConnect(DM& dm, Frontend& ui) {
    engine::Database& db = dm.UserDB();
    try {
        db.startTransaction();
        dm.QColumns.open();
        dm.QGenerator.open();
        dm.QTables.open();
        db.commit();
        ui.setStatusPanel(1, "");
    } catch (const std::exception& e) {
        db.rollbackQuietly();
        ui.showMessage(e.what());
    }

    if (dm.Q6Integer(kMetaPresent) == 0) {
        ui.setText("LPrepare", "Create additional meta structures first.");
        ui.setEnabled("SBCreateMeta", true);
        ui.setEnabled("SBEraseMeta", false);
        return;
    }
    dm.QPKGens.open();
    dm.QClone.open();
    dm.QTableTrigger.open();
    dm.QSynchro.open();
    dm.QWorkingTables.open();
    ui.setText("LPrepare", "Prepare completed");
    ui.setEnabled("SBCreateMeta", false);
    ui.setEnabled("SBEraseMeta", true);
    ui.setText("LMaster", dm.Q6Text(kIdentity));
    ui.processEvents();
    const bool master = ui.text("LMaster") == "MASTER";
    ui.setVisible("TSPrepare", master);
    ui.setVisible("TSClone", master);
}

void AfterOutSynchroConnect(DM& dm, Frontend& ui) {
    ui.setEnabled("SBFillSynchro", true);
    engine::Database& db = dm.SynchroDB();
    try {
        db.startTransaction();
        dm.QSTables.open();
        db.commit();
    } catch (const std::exception& e) {
        db.rollbackQuietly();
        ui.showMessage(e.what());
    }
}

void AfterInSynchroConnect(DM& dm, Frontend& ui) {
    engine::Database& db = dm.SynchroDB();
    try {
        db.startTransaction();
        dm.QSTables.open();
        db.commit();
        if (dm.Q6Integer(kTriggerState) != 0) {
            ui.setEnabled("SBReadFromSynchro", true);
            ui.setEnabled("SBActiveTriggers", true);
        } else {
            ui.setEnabled("SBInactiveTriggers", true);
        }
    } catch (const std::exception& e) {
        db.rollbackQuietly();
        ui.showMessage(e.what());
    }
}

void ConnectMaster(DM& dm, Frontend& ui) {
    connectRoutine(dm, ui, dm.UserDB(), {"LAlias"}, [&] { AfterMasterConnect(dm, ui); });
}

void ConnectClone(DM& dm, Frontend& ui) {
    connectRoutine(dm, ui, dm.CloneDB(), {"LCloneName"},
                   [&] { ui.setEnabled("SBUpdateCloneGens", true); });
}

void ConnectOutSynchro(DM& dm, Frontend& ui) {
    connectRoutine(dm, ui, dm.SynchroDB(), {"LSynchro1", "LSynchro2"},
                   [&] { AfterOutSynchroConnect(dm, ui); });
}

void ConnectInSynchro(DM& dm, Frontend& ui) {
    connectRoutine(dm, ui, dm.SynchroDB(), {"LSynchro1", "LSynchro2"},
                   [&] { AfterInSynchroConnect(dm, ui); });
}

}  // namespace quorvel::connect

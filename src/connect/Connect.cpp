#include "connect/Connect.h"

#include <functional>
#include <optional>
#include <string>

#include "connect/DialectCheck.h"
#include "engine/Error.h"
#include "engine/Transaction.h"

namespace quorvel::connect {

namespace {

const char* kMetaPresent = "select count(*) from RDB$Relations where RDB$Relation_Name = \"R$CLONE\"";
const char* kIdentity = "select Name from R$CLONE where ME = \"Y\"";
const char* kTriggerState = "select gen_id(R$Trig, 0) from RDB$DATABASE";

// What failed, by the server's error code, then the server's own message:
// only a refused login is blamed on the user name or the password.
std::string connectionFailure(const std::string& alias, const std::exception& e) {
    const char* what = nullptr;
    switch (engine::failureOf(e)) {
        case engine::Failure::LoginRefused: return std::string("Incorrect User Name or Password: ") + e.what();
        case engine::Failure::FileMissing: what = "there is no database file at that path"; break;
        case engine::Failure::FileNotDatabase:
            what = "the file is not a whole Firebird database (truncated, empty or corrupt)";
            break;
        case engine::Failure::FileNotWritable:
            what = "the database file cannot be opened for writing (a read-only file, or no permission)";
            break;
        case engine::Failure::FileInUse:
            what = "another process holds the database file (close it there, or reach it through a server)";
            break;
        case engine::Failure::ConnectionLost:
            what = "the server could not be reached, or the database is shut down";
            break;
        default: break;
    }
    std::string text = "Cannot connect to " + alias + ": ";
    if (what) text += std::string(what) + ".\n";
    return text + e.what();
}

// Steps 1 to 10 shared by the four connect buttons. `labels` are set to the
// chosen alias after a successful connection, then `check` runs. Every one of
// the four databases is written by some operation (the in-synchro one through
// its rows, which the read writes into the local database), so none of them
// may be of another dialect.
Outcome connectRoutine(DM& dm, Frontend& ui, engine::Database& db,
                       std::initializer_list<ctl::Control> labels,
                       const std::function<void()>& check) {
    db.disconnect();
    // Until the new connection is made nothing may show the old database or
    // offer a button that needs it (also when the connection is cancelled).
    for (ctl::Control l : labels) ui.setText(l, "?");
    if (&db == &dm.UserDB()) ui.setText(ctl::LMaster, "?");
    if (&db == &dm.SynchroDB()) {
        // One synchro database at a time: the other page's label goes too.
        ui.setText(ctl::LSynchro1, "?");
        ui.setText(ctl::LSynchro2, "?");
        dm.synchroRole = DM::SynchroRole::None;
    }
    ShowExchangeButtons(dm, ui);
    std::optional<std::string> alias = ui.chooseAlias();
    if (!alias) return Outcome::cancelled();
    ui.processEvents();
    std::string user, password;
    if (!ui.login(*alias, user, password)) return Outcome::cancelled();
    ui.setWorking();
    db.setAliasName(*alias);
    db.setParams({"USER NAME=" + user, "PASSWORD=" + password});
    try {
        db.connect();
    } catch (const std::exception& e) {
        const std::string why = connectionFailure(*alias, e);
        ui.showMessage(why);
        ui.setError();
        return Outcome::failed(why);
    }
    if (auto refusal = refusedForDialect(db, ui, *alias)) return Outcome::refused(*refusal);
    for (ctl::Control l : labels) ui.setText(l, *alias);
    try {
        check();
        ShowExchangeButtons(dm, ui);
    } catch (const std::exception& e) {
        // A failure outside the checks' own handling: undo what is open and
        // leave the window usable with the error shown.
        db.rollbackQuietly();
        dm.UserDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    ui.setOK();
    return Outcome::done();
}

}  // namespace

void Reconnect(engine::Database& db) {
    db.disconnect();
    db.connect();
}

void AfterMasterConnect(DM& dm, Frontend& ui) {
    try {
        engine::Transaction tx(dm.UserDB());
        dm.QColumns.open();
        dm.QGenerator.open();
        dm.QTables.open();
        tx.commit();
        ui.setStatusPanel(1, "");
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
    }

    if (dm.Q6Integer(kMetaPresent) == 0) {
        ui.setText(ctl::LPrepare, "Create additional meta structures first.");
        ui.setEnabled(ctl::SBCreateMeta, true);
        ui.setEnabled(ctl::SBEraseMeta, false);
        return;
    }
    dm.QPKGens.open();
    dm.QClone.open();
    dm.QTableTrigger.open();
    dm.QSynchro.open();
    dm.QWorkingTables.open();
    ui.setText(ctl::LPrepare, "Prepare completed");
    ui.setEnabled(ctl::SBCreateMeta, false);
    ui.setEnabled(ctl::SBEraseMeta, true);
    const std::string identity = dm.Q6Text(kIdentity);
    ui.setText(ctl::LMaster, identity);
    ui.processEvents();
    const bool master = identity == "MASTER";
    ui.setVisible(ctl::TSPrepare, master);
    ui.setVisible(ctl::TSClone, master);
}

void AfterOutSynchroConnect(DM& dm, Frontend& ui) {
    dm.synchroRole = DM::SynchroRole::Out;
    try {
        engine::Transaction tx(dm.SynchroDB());
        dm.QSTables.open();
        tx.commit();
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
    }
}

void AfterInSynchroConnect(DM& dm, Frontend& ui) {
    dm.synchroRole = DM::SynchroRole::In;
    try {
        engine::Transaction tx(dm.SynchroDB());
        dm.QSTables.open();
        tx.commit();
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
    }
}

void ShowExchangeButtons(DM& dm, Frontend& ui) {
    bool local = false, triggersInactive = false;
    if (dm.UserDB().connected()) {
        try {
            local = dm.Q6Integer(kMetaPresent) != 0;
            triggersInactive = local && dm.Q6Integer(kTriggerState) != 0;
        } catch (const std::exception&) {
            local = false;  // not prepared for replication: no exchange button applies
        }
    }
    const bool synchro = dm.SynchroDB().connected();
    const bool out = local && synchro && dm.synchroRole == DM::SynchroRole::Out;
    const bool in = local && synchro && dm.synchroRole == DM::SynchroRole::In;
    ui.setEnabled(ctl::SBFillSynchro, out);
    // "Success" is enabled by a fill only; any other connection takes it back.
    if (!out) ui.setEnabled(ctl::SBSuccess, false);
    ui.setEnabled(ctl::SBInactiveTriggers, local && !triggersInactive);
    ui.setEnabled(ctl::SBActiveTriggers, local && triggersInactive);
    ui.setEnabled(ctl::SBReadFromSynchro, in && triggersInactive);
}

Outcome ConnectMaster(DM& dm, Frontend& ui) {
    return connectRoutine(dm, ui, dm.UserDB(), {ctl::LAlias}, [&] { AfterMasterConnect(dm, ui); });
}

Outcome ConnectClone(DM& dm, Frontend& ui) {
    return connectRoutine(dm, ui, dm.CloneDB(), {ctl::LCloneName},
                          [&] { ui.setEnabled(ctl::SBUpdateCloneGens, true); });
}

Outcome ConnectOutSynchro(DM& dm, Frontend& ui) {
    return connectRoutine(dm, ui, dm.SynchroDB(), {ctl::LSynchro1}, [&] { AfterOutSynchroConnect(dm, ui); });
}

Outcome ConnectInSynchro(DM& dm, Frontend& ui) {
    return connectRoutine(dm, ui, dm.SynchroDB(), {ctl::LSynchro2}, [&] { AfterInSynchroConnect(dm, ui); });
}

}  // namespace quorvel::connect

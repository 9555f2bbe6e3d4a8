// The four connect buttons: the window asks for the alias and the login, the
// connection gets them, and the window shows what came of it: the alias in
// the connection's labels, the lists, and the buttons the connection enables.
#include <exception>

#include "app/fBrowser.h"
#include "db/OpenLists.h"

namespace quorvel::app {

namespace {

using Connection = TfmBrowser::Connection;

// The labels showing the alias of a connection.
ctl::Control labelOf(Connection which) {
    switch (which) {
        case Connection::Local: return ctl::LAlias;
        case Connection::Clone: return ctl::LCloneName;
        case Connection::OutSynchro: return ctl::LSynchro1;
        default: return ctl::LSynchro2;
    }
}

engine::Database& databaseOf(DM& dm, Connection which) {
    switch (which) {
        case Connection::Local: return dm.UserDB();
        case Connection::Clone: return dm.CloneDB();
        default: return dm.SynchroDB();
    }
}

}  // namespace

void TfmBrowser::SBConnectClick() { askAndConnect(Connection::Local); }
void TfmBrowser::SBConnectToCloneClick() { askAndConnect(Connection::Clone); }
void TfmBrowser::SBConnectToSynchroClick() { askAndConnect(Connection::OutSynchro); }
void TfmBrowser::SBConnectForSynchroClick() { askAndConnect(Connection::InSynchro); }

void TfmBrowser::askAndConnect(Connection which) {
    runOperation([&] {
        // The old connection goes as soon as the button is pressed, also when
        // the dialogs are cancelled.
        forgetConnection(which);
        std::optional<std::string> alias = chooseAlias();
        if (!alias) return Outcome::cancelled();
        processEvents();
        std::string user, password;
        if (!login(*alias, user, password)) return Outcome::cancelled();
        return connectWith(which, {*alias, user, password});
    });
}

void TfmBrowser::forgetConnection(Connection which) {
    databaseOf(dm_, which).disconnect();
    // Until the new connection is made nothing may show the old database or
    // offer a button that needs it.
    setText(labelOf(which), "?");
    if (which == Connection::Local) {
        setText(ctl::LMaster, "?");
        showPeers();
    }
    if (which == Connection::Clone) setEnabled(ctl::SBUpdateCloneGens, false);
    if (which == Connection::OutSynchro || which == Connection::InSynchro) {
        // One synchro database at a time: the other page's label goes too.
        setText(ctl::LSynchro1, "?");
        setText(ctl::LSynchro2, "?");
        dm_.synchroRole = DM::SynchroRole::None;
    }
    showExchangeButtons();
}

Outcome TfmBrowser::connectWith(Connection which, const connect::Login& login) {
    forgetConnection(which);
    setWorking();
    engine::Database& db = databaseOf(dm_, which);
    connect::LocalConnection local{Outcome::done(), {}};
    if (which == Connection::Local)
        local = connect::ConnectLocal(db, login, *this);
    else
        local.outcome = connect::Connect(db, login, *this);
    if (!local.outcome.isDone()) {
        setError();
        return local.outcome;
    }
    // Dialect 1 is what the tool began with; a dialect-3 database says so.
    setText(labelOf(which), db.sqlDialect() == 1 ? login.alias
                                                 : login.alias + " (dialect " + std::to_string(db.sqlDialect()) + ")");
    try {
        switch (which) {
            case Connection::Local:
                OpenLocalLists(dm_, local.facts.prepared, *this);
                setStatusPanel(1, "");
                showLocalFacts(local.facts);
                showPeers();
                break;
            case Connection::Clone: setEnabled(ctl::SBUpdateCloneGens, true); break;
            case Connection::OutSynchro:
            case Connection::InSynchro:
                dm_.synchroRole = which == Connection::OutSynchro ? DM::SynchroRole::Out : DM::SynchroRole::In;
                OpenSynchroList(dm_, *this);
                break;
        }
        showExchangeButtons();
    } catch (const std::exception& e) {
        // A list that cannot be shown: undo what is open and leave the
        // window usable with the error shown.
        db.rollbackQuietly();
        dm_.UserDB().rollbackQuietly();
        setError();
        showMessage(e.what());
        return Outcome::failed(e.what());
    }
    setOK();
    return local.outcome;
}

void TfmBrowser::showLocalFacts(const connect::LocalFacts& facts) {
    setEnabled(ctl::SBCreateMeta, !facts.prepared);
    setEnabled(ctl::SBEraseMeta, facts.prepared);
    if (!facts.prepared) {
        setText(ctl::LPrepare, "Create additional meta structures first.");
        return;
    }
    setText(ctl::LPrepare, "Prepare completed");
    setText(ctl::LMaster, facts.identity);
    processEvents();
    // Preparing and cloning are the master's work.
    const bool master = facts.identity == "MASTER";
    setVisible(ctl::TSPrepare, master);
    setVisible(ctl::TSClone, master);
}

void TfmBrowser::showExchangeButtons() {
    const connect::LocalFacts facts = connect::ReadLocalFacts(dm_.UserDB());
    const bool local = facts.triggerStateKnown;
    const bool synchro = dm_.SynchroDB().connected();
    const bool out = local && synchro && dm_.synchroRole == DM::SynchroRole::Out;
    const bool in = local && synchro && dm_.synchroRole == DM::SynchroRole::In;
    setEnabled(ctl::SBFillSynchro, out);
    // "Success" is enabled by a fill only; any other connection takes it back.
    if (!out) setEnabled(ctl::SBSuccess, false);
    setEnabled(ctl::SBInactiveTriggers, local && !facts.triggersInactive);
    setEnabled(ctl::SBActiveTriggers, local && facts.triggersInactive);
    setEnabled(ctl::SBReadFromSynchro, in && facts.triggersInactive);
}

}  // namespace quorvel::app

// The four connect buttons: the window asks for the alias and the login, the
// connection gets them, and the window shows what came of it: the alias in
// the connection's labels, the lists, and the buttons the connection enables.
#include <exception>

#include "app/Worker.h"
#include "app/fBrowser.h"
#include "db/OpenLists.h"
#include "engine/Aliases.h"
#include "synchro/SynchroIdentity.h"

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
    // Cancelling either dialog changes nothing: the connection that was
    // open stays. The old one goes only once the new one is asked for.
    std::optional<std::string> alias = chooseAlias();
    if (!alias) return;
    processEvents();
    std::string user, password;
    if (!login(*alias, user, password)) return;
    runOperation([&] { return connectWith(which, {*alias, user, password}); });
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

void TfmBrowser::disconnectAll() {
    for (Connection which : {Connection::Local, Connection::Clone, Connection::OutSynchro})
        forgetConnection(which);
    setText(ctl::LPrepare, tr("Status").toStdString());
    setStatusPanel(1, "  ");
}

void TfmBrowser::showAliases() {
    std::string text;
    try {
        for (const std::string& name : engine::Aliases::names()) text += "    " + name + "\n";
    } catch (const std::exception& e) {
        text = std::string(e.what()) + "\n";
    }
    if (text.empty()) text = tr("    (none)\n").toStdString();
    showMessage(tr("Aliases in %1:\n%2\nAdd one with: quorvel-cli aliases add NAME DATABASE")
                    .arg(QString::fromStdString(engine::Aliases::configPath()), QString::fromStdString(text))
                    .toStdString());
}

Outcome TfmBrowser::connectWith(Connection which, const connect::Login& login) {
    forgetConnection(which);
    setWorking();
    engine::Database& db = databaseOf(dm_, which);
    // Attaching (and upgrading an older database) on the worker: a server
    // that is slow to answer leaves the window painted.
    connect::LocalConnection local{Outcome::done(), {}};
    local.outcome = runOnWorker(*this, [&](Reporter& r) {
        if (which != Connection::Local) return connect::Connect(db, login, r);
        local = connect::ConnectLocal(db, login, r);
        return local.outcome;
    });
    if (!local.outcome.isDone()) {
        setError();
        return local.outcome;
    }
    if (which == Connection::OutSynchro || which == Connection::InSynchro) {
        // Only a synchro database is kept as one: the master, a clone, the
        // local file itself or any other database is let go at once.
        std::string why;
        try {
            why = synchro::notASynchroDatabase(db, synchro::identify(db), dm_.UserDB());
        } catch (const std::exception& e) {
            why = e.what();
        }
        if (!why.empty()) {
            db.disconnect();
            setError();
            error(why);
            return Outcome::refused(why);
        }
    }
    // Dialect 1 is what the tool began with; a dialect-3 database says so.
    setText(labelOf(which), db.sqlDialect() == 1 ? login.alias
                                                 : tr("%1 (dialect %2)")
                                                       .arg(QString::fromStdString(login.alias),
                                                            QString::number(db.sqlDialect()))
                                                       .toStdString());
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
        setText(ctl::LPrepare, tr("Create additional meta structures first.").toStdString());
        return;
    }
    setText(ctl::LPrepare, tr("Prepare completed").toStdString());
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
    setEnabled(ctl::SBGuardTriggers, local);
    setEnabled(ctl::SBExchangePackages, local);
    // The read needs no trigger switched off: its own changes pass the
    // replication triggers by.
    setEnabled(ctl::SBReadFromSynchro, in);
}

}  // namespace quorvel::app

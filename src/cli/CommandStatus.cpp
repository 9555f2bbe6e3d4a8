#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "prepare/PreparationState.h"
#include "engine/DatabaseFacts.h"
#include "db/PeerTable.h"
#include "replica/SchemaVersion.h"
#include "replica/TriggerKind.h"
#include "replica/LocalSite.h"
#include "operation/Refused.h"

namespace quorvel::cli {

namespace {

void section(Session& s, const char* title, engine::Query& q) {
    if (!q.active()) return;
    s.out << '\n' << title << ":\n";
    printDataSet(s.out, q);
}

std::string yesNo(const prepare::PreparationState::Flag& flag) {
    if (!flag.error.empty()) return "unknown (" + flag.error + ")";
    return flag.value ? "yes" : "no";
}

void printArming(Session& s, const prepare::PreparationState& state) {
    s.out << "Working tables armed: ";
    if (!state.armingError.empty()) {
        s.out << "unknown (" << state.armingError << ")\n";
        return;
    }
    if (state.workingTables == 0) {
        s.out << "no working tables\n";
        return;
    }
    if (state.unarmed.empty()) {
        s.out << "yes\n";
        return;
    }
    s.out << "no\n";
    for (const auto& t : state.unarmed) s.out << "  " << t.name << ": " << t.why << '\n';
}

// The fill's warning, given ahead of it: rows past the range are never sent.
void printCodesPastBound(Session& s) {
    try {
        const replica::LocalSite site = replica::LocalSite::read(s.dm.UserDB());
        if (auto warning = replica::codesPastBound(s.dm.UserDB(), site)) s.out << *warning << '\n';
    } catch (const Refused&) {
        // No identity or no history yet: nothing has drawn a code.
    }
}

// Who has read what: this site's last fill, then per peer the last of its
// fills read here and the last of this site's fills it has read.
void printPeers(Session& s) {
    s.out << "\nSites (who has read what):\n";
    try {
        const PeerTable table = ReadPeerTable(s.dm.UserDB());
        if (!table.recorded) {
            s.out << "  not yet recorded\n";
            return;
        }
        s.out << "  This site's last fill: " << (table.lastFill ? std::to_string(table.lastFill) : "none") << '\n';
        std::vector<std::vector<std::string>> lines;
        for (const replica::Peer& p : table.peers) lines.push_back(peerLine(p));
        printTable(s.out, peerColumnTitles(), lines);
    } catch (const std::exception& e) {
        s.out << "  unknown (" << e.what() << ")\n";
    }
}

}  // namespace

// What the top bar and the preparation page would show after connecting, how
// far the arming stands, and whatever replication lists the database holds.
int cmdStatus(Session& s) {
    // Like every command that looks at a database, without one it is wrong
    // usage; "aliases" lists the names there are.
    s.requireLocal();
    if (!s.connect()) return 1;
    DM& dm = s.dm;
    const prepare::PreparationState state = prepare::ReadPreparationState(dm.UserDB());
    s.out << "Alias: " << *s.args.value("--local") << '\n';
    s.out << "Dialect: " << engine::readDatabaseFacts(dm.UserDB()).sqlDialect << '\n';
    s.out << "Master/Clone: " << state.identity << '\n';
    s.out << (state.metaPresent ? "Prepare completed" : "Create additional meta structures first.") << '\n';
    if (!state.metaPresent) return 0;
    if (state.armingInterrupted.value)
        s.out << "Triggers switched off for a read: no\n"
                 "Half-armed: a recreate-triggers was stopped while it numbered the rows (no replication "
                 "triggers, the user's triggers off). Run recreate-triggers again to finish it.\n";
    else
        s.out << "Triggers switched off for a read: " << yesNo(state.triggersSwitchedOff) << '\n';
    try {
        s.out << "Replication objects: version " << replica::localVersion(dm.UserDB()) << '\n';
        s.out << "Replication triggers: " << replica::describe(replica::triggerKind(dm.UserDB())) << '\n';
    } catch (const std::exception& e) {
        s.out << "Replication triggers: unknown (" << e.what() << ")\n";
    }
    printArming(s, state);
    printCodesPastBound(s);
    s.out << "Table order: " << yesNo(state.tableOrderPresent) << '\n';
    section(s, "Working tables", dm.QWorkingTables);
    section(s, "Primary-key generators", dm.QPKGens);
    section(s, "Clones", dm.QClone);
    section(s, "Synchronization history", dm.QSynchro);
    if (state.tableOrderPresent.error.empty()) {
        dm.QTableOrder.open();
        section(s, "Table order", dm.QTableOrder);
    }
    printPeers(s);
    return 0;
}

}  // namespace quorvel::cli

#include <exception>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "prepare/PreparationState.h"
#include "engine/DatabaseFacts.h"
#include "db/PeerTable.h"
#include "replica/SchemaVersion.h"
#include "replica/TriggerKind.h"
#include "replica/UserTriggers.h"
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
std::optional<std::string> codesPastBound(Session& s) {
    try {
        const replica::LocalSite site = replica::LocalSite::read(s.dm.UserDB());
        return replica::codesPastBound(s.dm.UserDB(), site);
    } catch (const Refused&) {
        // No identity or no history yet: nothing has drawn a code.
        return std::nullopt;
    }
}

std::string flagJson(const prepare::PreparationState::Flag& flag) {
    return flag.error.empty() ? json::boolean(flag.value) : json::null;
}

// The same as the text, as one JSON document (field names in the README).
void printStatusJson(Session& s, const prepare::PreparationState& state) {
    DM& dm = s.dm;
    json::Object o;
    o.text("alias", *s.args.value("--local"));
    o.number("dialect", engine::readDatabaseFacts(dm.UserDB()).sqlDialect);
    o.text("site", state.identity).boolean("prepared", state.metaPresent);
    if (state.metaPresent) {
        o.raw("triggersSwitchedOff", state.armingInterrupted.value ? json::boolean(false) : flagJson(state.triggersSwitchedOff));
        o.boolean("halfArmed", state.armingInterrupted.value);
        try {
            o.number("version", replica::localVersion(dm.UserDB()));
            o.text("triggers", replica::describe(replica::triggerKind(dm.UserDB())));
        } catch (const std::exception&) {
            o.raw("version", json::null).raw("triggers", json::null);
        }
        std::vector<std::string> unarmed;
        for (const auto& t : state.unarmed) unarmed.push_back(json::Object().text("table", t.name).text("why", t.why).str());
        o.raw("armed", state.armingError.empty() && state.workingTables > 0 ? json::boolean(state.unarmed.empty()) : json::null);
        o.raw("unarmed", json::array(unarmed));
        const auto warning = codesPastBound(s);
        o.raw("codesPastBound", warning ? json::text(*warning) : json::null);
        o.raw("tableOrderPresent", flagJson(state.tableOrderPresent));
        o.raw("workingTables", json::rows(dm.QWorkingTables, {{"NAME", "name"}}));
        o.raw("keyGenerators", json::rows(dm.QPKGens, {{"GENERATORNAME", "name"}, {"GENOFFSET", "offset"}}));
        o.raw("clones", json::rows(dm.QClone, {{"NAME", "name"}, {"NUMBER", "number"}, {"MAXVALUE1", "max1"},
                                               {"MAXVALUE2", "max2"}, {"ME", "me"}}));
        o.raw("history", historyJson(dm));
        if (state.tableOrderPresent.error.empty()) dm.QTableOrder.open();
        o.raw("tableOrder", json::rows(dm.QTableOrder, {{"TABLENAME", "name"}}));
        std::string sites = json::null;
        try {
            sites = sitesJson(dm.UserDB());
        } catch (const std::exception&) {
        }
        o.raw("sites", sites);
    }
    s.out << o.str() << '\n';
}

// Who has read what: this site's last fill, then per peer the last of its
// fills read here and the last of this site's fills it has read.
void printPeers(Session& s) {
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
    if (!s.connect()) return s.connectStatus;
    DM& dm = s.dm;
    const prepare::PreparationState state = prepare::ReadPreparationState(dm.UserDB());
    if (s.args.json) {
        printStatusJson(s, state);
        return 0;
    }
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
        // Those give a row read from another site this site's key or stamp.
        for (const std::string& w : replica::unguardedWriters(dm.UserDB()))
            s.out << "Unguarded trigger: " << w << " for the rows a read applies (guard-triggers)\n";
    } catch (const std::exception& e) {
        s.out << "Replication triggers: unknown (" << e.what() << ")\n";
    }
    printArming(s, state);
    if (const auto warning = codesPastBound(s)) s.out << *warning << '\n';
    s.out << "Table order: " << yesNo(state.tableOrderPresent) << '\n';
    section(s, "Working tables", dm.QWorkingTables);
    section(s, "Primary-key generators", dm.QPKGens);
    section(s, "Clones", dm.QClone);
    section(s, "Synchronization history", dm.QSynchro);
    if (state.tableOrderPresent.error.empty()) {
        dm.QTableOrder.open();
        section(s, "Table order", dm.QTableOrder);
    }
    s.out << "\nSites (who has read what):\n";
    printPeers(s);
    return 0;
}

// The last lines of status alone.
int cmdSites(Session& s) {
    s.requireLocal();
    if (!s.connect()) return s.connectStatus;
    if (s.args.json) s.out << sitesJson(s.dm.UserDB()) << '\n';
    else printPeers(s);
    return 0;
}

}  // namespace quorvel::cli

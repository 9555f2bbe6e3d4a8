// The exchange from a terminal: fill, read (optionally switching the
// triggers around it), the history and "Success", and the two ways to
// settle a collision. Exit codes come from each operation's outcome.
#include <ostream>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "synchro/SynchroIdentity.h"
#include "prepare/Operations.h"
#include "synchro/Operations.h"
#include "replica/Statements.h"
#include "replica/TriggerKind.h"
#include "replica/TriggerState.h"

namespace quorvel::cli {

namespace {

bool connectExchange(Session& s, bool inSynchro) {
    if (!s.args.value("--local")) throw UsageError{"this command needs --local ALIAS (the master or clone database)"};
    if (!s.args.value("--synchro")) throw UsageError{"this command needs --synchro ALIAS (the synchro database)"};
    return s.connect(inSynchro);
}

bool connectLocal(Session& s) {
    if (!s.args.value("--local")) throw UsageError{"this command needs --local ALIAS (the master or clone database)"};
    return s.connect();
}

std::vector<std::string> keyArgs(Session& s) { return {s.args.words.begin() + 2, s.args.words.end()}; }

void printFill(Session& s, const synchro::FillReport& r) {
    s.out << "Journal entries sent: " << r.journalEntries << '\n';
    for (const auto& t : r.tables) s.out << "  " << t.name << ": " << t.rows << " rows sent\n";
}

// In the order the read applies them: the sender's deletes first (a key it
// freed may come back in its inserts), children before parents.
void printRead(Session& s, const synchro::ReadReport& r) {
    s.out << "DELETE\n";
    for (auto it = r.tables.rbegin(); it != r.tables.rend(); ++it)
        s.out << "  " << it->name << ": " << it->deleted << " deleted\n";
    s.out << "INSERT\n";
    for (const auto& t : r.tables) {
        s.out << "  " << t.name << ": " << t.inserted << " inserted";
        if (t.sameRow) s.out << ", " << t.sameRow << " held already, updated";
        if (t.stayDeleted) s.out << ", " << t.stayDeleted << " not inserted (deleted here)";
        s.out << '\n';
    }
    s.out << "UPDATE\n";
    for (auto it = r.tables.rbegin(); it != r.tables.rend(); ++it) {
        s.out << "  " << it->name << ": " << it->updated << " updated, " << it->masterWins
              << " skipped by the master's priority";
        if (it->notFound) s.out << ", " << it->notFound << " not held here (no row with that record code)";
        // Both passes: kept as changed here later, or applied here before.
        if (it->keptOwn) s.out << ", " << it->keptOwn << " kept (changed here after the sender's version)";
        if (it->alreadyHere) s.out << ", " << it->alreadyHere << " here already";
        s.out << '\n';
    }
}

void printCollision(Session& s, const synchro::ReadReport::Collision& c) {
    s.err << "The read stopped in the " << c.pass << " pass on table " << c.table
          << "; nothing of it was applied.\n";
    auto side = [&](const char* title, const std::vector<std::string>& row) {
        s.err << title << ':';
        if (row.empty()) s.err << " (none)";
        for (const std::string& v : row) s.err << ' ' << printable(v);
        s.err << '\n';
    };
    side("  Synchro row", c.synchroRow);
    side("  Local row  ", c.localRow);
    s.err << c.advice << '\n';
}

// Who filled the synchro database, as --json gives it (null when it does not
// tell).
std::string senderJson(Session& s) {
    try {
        const synchro::DatabaseIdentity id = synchro::identify(s.dm.SynchroDB());
        if (!id.sender) return json::null;
        return json::Object()
            .text("site", id.sender->site)
            .number("siteNumber", id.sender->siteNumber)
            .number("number", id.sender->fillNumber)
            .text("date", id.sender->date)
            .str();
    } catch (const std::exception&) {
        return json::null;
    }
}

std::string collisionJson(const synchro::ReadReport::Collision& c) {
    std::vector<std::string> synchroRow, localRow;
    for (const std::string& v : c.synchroRow) synchroRow.push_back(json::text(v));
    for (const std::string& v : c.localRow) localRow.push_back(json::text(v));
    json::Object o;
    o.text("table", c.table).text("pass", c.pass).text("message", c.message);
    o.raw("synchroRow", json::array(synchroRow)).raw("localRow", json::array(localRow));
    o.raw("deleteEntry", c.entry ? json::array({json::number(c.entry->high), json::number(c.entry->low)}) : json::null);
    return o.str();
}

std::string readJson(const Outcome& o, int rc, const std::vector<std::string>& messages,
                     const std::string& sender, const synchro::ReadReport& r) {
    std::vector<std::string> tables;
    for (const auto& t : r.tables)
        tables.push_back(json::Object()
                             .text("name", t.name)
                             .number("deleted", t.deleted)
                             .number("inserted", t.inserted)
                             .number("sameRow", t.sameRow)
                             .number("stayDeleted", t.stayDeleted)
                             .number("updated", t.updated)
                             .number("masterWins", t.masterWins)
                             .number("notFound", t.notFound)
                             .number("keptOwn", t.keptOwn)
                             .number("alreadyHere", t.alreadyHere)
                             .str());
    return outcomeJson(o, rc, messages)
        .raw("fill", sender.empty() ? json::null : sender)
        .raw("tables", json::array(tables))
        .raw("collision", r.collision ? collisionJson(*r.collision) : json::null)
        .str();
}

// A fill or read that could not connect, for --json: its outcome alone.
int notConnected(Session& s) {
    if (s.args.json && s.connectOutcome)
        s.out << outcomeJson(*s.connectOutcome, s.connectStatus, s.ui.messages()).str() << '\n';
    return s.connectStatus;
}

int cmdFill(Session& s) {
    if (!connectExchange(s, false)) return notConnected(s);
    s.ui.startOperation();
    synchro::FillReport report;
    const Outcome o = synchro::FillSynchro(s.dm.UserDB(), s.dm.SynchroDB(), s.ui, &report);
    if (o.isDone() && !s.args.json) printFill(s, report);
    const int rc = s.finish(o);
    if (s.args.json) {
        std::vector<std::string> tables;
        for (const auto& t : report.tables) tables.push_back(json::Object().text("name", t.name).number("rows", t.rows).str());
        s.out << outcomeJson(o, rc, s.ui.messages())
                     .raw("fill", o.isDone() ? senderJson(s) : json::null)
                     .number("journalEntries", report.journalEntries)
                     .raw("tables", json::array(tables))
                     .str()
              << '\n';
    }
    return rc;
}

// Makes the triggers active again after a read with --switch-triggers,
// whatever the read's outcome; their failure outranks a done read.
int switchBack(Session& s, int readExit) {
    s.ui.startOperation();
    prepare::MakeTriggersActive(s.dm.UserDB(), s.ui);
    if (!replica::TriggersInactive(s.dm.UserDB())) {
        // The read's reminder has just been shown: say that it is done.
        s.err << "The triggers are active again.\n";
        return readExit;
    }
    s.err << "The triggers could not be made active again: run triggers-active.\n";
    return 1;
}

// Triggers that skip the read's own changes need no switch: switched off,
// they would stop recording every other user's work until switched on. The
// read leaves them on, unless the user's own triggers on the working tables
// are active (they would fire for the rows it applies: a history row written
// twice). A switch stopped earlier (all or some off) is undone first, so
// that the read meets the triggers as they should be.
bool switchNotNeeded(Session& s) {
    engine::Database& db = s.dm.UserDB();
    if (replica::triggerKind(db) != replica::TriggerKind::SkipsReads || replica::activeUserTriggers(db) > 0)
        return false;
    s.err << "The replication triggers skip the read's own changes: --switch-triggers is not needed, and they "
             "stay on.\n";
    const bool someOff = replica::integerOf(db, "select count(*) from RDB$Triggers where RDB$Trigger_Name "
                                                "starting with 'R$' and RDB$Trigger_Inactive = 1") != 0;
    if (!replica::TriggersInactive(db) && !someOff) return true;
    s.ui.startOperation();
    if (!replica::TriggersInactive(db)) prepare::MakeTriggersInactive(db, s.ui);
    prepare::MakeTriggersActive(db, s.ui);
    return true;
}

int cmdRead(Session& s) {
    if (!connectExchange(s, true)) return notConnected(s);
    const bool switching = s.args.value("--switch-triggers").has_value() && !switchNotNeeded(s);
    if (switching && !replica::TriggersInactive(s.dm.UserDB())) {
        s.ui.startOperation();
        prepare::MakeTriggersInactive(s.dm.UserDB(), s.ui);
        if (!replica::TriggersInactive(s.dm.UserDB())) {
            s.err << "The triggers could not be made inactive; nothing was read.\n";
            return 1;
        }
    }
    const std::string sender = s.args.json ? senderJson(s) : "";
    s.ui.startOperation();
    synchro::ReadReport report;
    const Outcome o = synchro::ReadFromSynchro(s.dm.UserDB(), s.dm.SynchroDB(), s.ui, &report);
    if (o.isDone() && !s.args.json) printRead(s, report);
    if (report.collision) printCollision(s, *report.collision);
    int rc = s.finish(o);
    // Nothing was applied: the operator settles, then reads again.
    if (report.collision) rc = kExitCollision;
    const std::vector<std::string> messages = s.ui.messages();
    if (switching) rc = switchBack(s, rc);
    if (s.args.json) s.out << readJson(o, rc, messages, sender, report) << '\n';
    return rc;
}

// A whole number as typed, or the usage error `usage`.
int64_t numberArg(const std::string& word, const std::string& usage) {
    try {
        std::size_t used = 0;
        const int64_t number = std::stoll(word, &used);
        if (used == word.size()) return number;
    } catch (const std::exception&) {
    }
    throw UsageError{usage};
}

int cmdHistory(Session& s) {
    if (!connectLocal(s)) return s.connectStatus;
    s.dm.ReopenSynchro();
    if (s.args.json) s.out << json::Object().raw("history", historyJson(s.dm)).str() << '\n';
    else printDataSet(s.out, s.dm.QSynchro);
    return 0;
}

int cmdDeleteHistory(Session& s) {
    const int64_t number = numberArg(s.args.words[1], "delete-history needs the number of a history row");
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::DelSynchro(s.dm.UserDB(), s.ui, number));
}

int cmdSuccess(Session& s) {
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::Success(s.dm.UserDB(), s.ui));
}

int cmdDeleteSynchroRow(Session& s) {
    if (!connectExchange(s, true)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::DeleteSynchroRow(s.dm.UserDB(), s.dm.SynchroDB(), s.ui, s.args.words[1], keyArgs(s)));
}

int cmdDropDeleteEntry(Session& s) {
    const std::string usage = "drop-delete-entry needs a table and the two numbers of the record code";
    const replica::RecordCode code{numberArg(s.args.words[2], usage), numberArg(s.args.words[3], usage)};
    if (!connectExchange(s, true)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::DropDeleteEntry(s.dm.UserDB(), s.dm.SynchroDB(), s.ui, s.args.words[1], code));
}

int cmdCopyFromSynchro(Session& s) {
    if (!connectExchange(s, true)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::CopySynchroRow(s.dm.UserDB(), s.dm.SynchroDB(), s.ui, s.args.words[1], keyArgs(s)));
}

int cmdForgetPeerFill(Session& s) {
    const int64_t number = numberArg(s.args.words[2], "forget-peer-fill needs a peer's name and a fill number");
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    return s.finish(synchro::ForgetPeerFill(s.dm.UserDB(), s.ui, s.args.words[1], number));
}

}  // namespace

const Command kExchangeCommands[] = {
    {"fill", 0, 0, cmdFill},
    {"read", 0, 0, cmdRead},
    {"history", 0, 0, cmdHistory},
    {"delete-history", 1, 1, cmdDeleteHistory},
    {"success", 0, 0, cmdSuccess},
    {"forget-peer-fill", 2, 2, cmdForgetPeerFill},
    {"delete-synchro-row", 2, -1, cmdDeleteSynchroRow},
    {"copy-from-synchro", 2, -1, cmdCopyFromSynchro},
    {"drop-delete-entry", 3, 3, cmdDropDeleteEntry},
};

std::vector<std::string> exchangeCommandWords() {
    std::vector<std::string> words;
    for (const Command& c : kExchangeCommands) words.push_back(c.name);
    return words;
}

const Command* findExchangeCommand(const std::string& word) {
    for (const Command& c : kExchangeCommands)
        if (word == c.name) return &c;
    return nullptr;
}

}  // namespace quorvel::cli

#include "cli/Session.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <ostream>
#include <utility>

#include "connect/Connect.h"
#include "db/OpenLists.h"
#include "db/PeerTable.h"
#include "replica/SqlText.h"

namespace quorvel::cli {

Session::Session(const Args& a, std::istream& in, std::ostream& o, std::ostream& e, bool interactive)
    : args(a), in(in), out(o), err(e), ui(in, e, a.yes, interactive) {}

namespace {

// The first line of FILE, or of standard input for "-", as isql and gbak
// read -fetch_password; typed at a terminal, asked for without echo.
std::string fetchPassword(const std::string& file, std::istream& in, std::ostream& err) {
    std::string line;
    if (file == "-") {
        termios saved{};
        const bool terminal = &in == &std::cin && ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
        if (terminal) {
            err << "Password: " << std::flush;
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        std::getline(in, line);
        if (terminal) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            err << '\n';
        }
    } else {
        std::ifstream f(file);
        if (!f) throw UsageError{"--fetch-password: cannot read " + file};
        std::getline(f, line);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

bool Session::connect(bool inSynchro) {
    // As isql and gbak: ISC_USER and ISC_PASSWORD unless given.
    const char* envUser = std::getenv("ISC_USER");
    const char* envPassword = std::getenv("ISC_PASSWORD");
    const std::string user = args.value("--user").value_or(envUser ? envUser : "");
    std::string password = args.value("--password").value_or(envPassword ? envPassword : "");
    if (const auto file = args.value("--fetch-password")) password = fetchPassword(*file, in, err);
    const std::string role = args.value("--role").value_or("");
    const std::pair<const char*, engine::Database*> databases[] = {
        {"--local", &dm.UserDB()}, {"--clone", &dm.CloneDB()}, {"--synchro", &dm.SynchroDB()}};
    for (const auto& [option, db] : databases) {
        auto alias = args.value(option);
        if (!alias) continue;
        ui.startOperation();
        connectOutcome = connect::Connect(*db, {*alias, user, password, role}, ui);
        connectStatus = finish(*connectOutcome);
        if (connectStatus != kExitDone) return false;
        // The lists the commands find their rows in.
        if (db == &dm.UserDB()) {
            const connect::LocalFacts facts = connect::ReadLocalFacts(dm.UserDB());
            OpenLocalLists(dm, facts.prepared, ui);
            sayCaptureOff(facts, *alias);
        } else if (db == &dm.SynchroDB()) {
            dm.synchroRole = inSynchro ? DM::SynchroRole::In : DM::SynchroRole::Out;
            OpenSynchroList(dm, ui);
        }
    }
    return true;
}

// Triggers left off record nothing of the users' work: every command on
// such a database says so, but those that switch them or show the state.
void Session::sayCaptureOff(const connect::LocalFacts& facts, const std::string& alias) {
    const std::string command = args.words.empty() ? "" : args.words[0];
    if (!facts.triggerStateKnown || !facts.triggersInactive || command == "triggers-active" ||
        command == "triggers-inactive" || command == "status" || command == "read")
        return;
    err << "Note: the replication triggers of " << alias
        << " are off: what users change now is not recorded. Make them active (triggers-active).\n";
}

int Session::finish(const Outcome& outcome) {
    if (!outcome.isDone() && ui.messagesShown() == 0) err << outcome.message() << '\n';
    return exitStatusOf(outcome);
}

std::string historyJson(DM& dm) {
    return json::rows(dm.QSynchro,
                      {{"SYNCHRONUMBER", "number"}, {"SYNCHRODATE", "date"}, {"R$CODE1", "code1"}, {"R$CODE2", "code2"}});
}

std::string sitesJson(engine::Database& local) {
    const PeerTable table = ReadPeerTable(local);
    std::vector<std::string> peers;
    for (const replica::Peer& p : table.peers)
        peers.push_back(json::Object()
                            .text("name", p.name)
                            .number("number", p.number)
                            .number("lastRead", p.lastRead)
                            .text("lastReadDate", p.lastReadDate)
                            .number("acknowledged", p.acknowledged)
                            .text("acknowledgedDate", p.acknowledgedDate)
                            .str());
    return json::Object()
        .boolean("recorded", table.recorded)
        .number("lastFill", table.lastFill)
        .raw("peers", json::array(peers))
        .str();
}

json::Object outcomeJson(const Outcome& outcome, int status, const std::vector<std::string>& messages) {
    const char* kind = "failed";
    switch (status) {
        case kExitDone: kind = "done"; break;
        case kExitRefused: kind = outcome.kind() == Outcome::Kind::Cancelled ? "cancelled" : "refused"; break;
        case kExitCollision: kind = "collision"; break;
        case kExitRetry: kind = "retry"; break;
        default: break;
    }
    std::vector<std::string> shown;
    for (const std::string& m : messages) shown.push_back(json::text(m));
    json::Object o;
    o.text("outcome", kind).number("exitStatus", status).text("message", outcome.isDone() ? "" : outcome.message());
    o.raw("messages", json::array(shown));
    return o;
}

int exitStatusOf(const Outcome& outcome) {
    switch (outcome.kind()) {
        case Outcome::Kind::Done: return kExitDone;
        case Outcome::Kind::Refused:
        case Outcome::Kind::Cancelled: return kExitRefused;
        case Outcome::Kind::Failed: break;
    }
    return outcome.retryLater() ? kExitRetry : kExitFailed;
}

bool Session::requireLocal() {
    if (!args.value("--local")) throw UsageError{"this command needs --local ALIAS (the master or clone database)"};
    return true;
}

bool Session::requireClone() {
    if (!args.value("--clone")) throw UsageError{"this command needs --clone ALIAS (the restored clone database)"};
    return true;
}

std::optional<std::string> Session::find(engine::Query& query, const std::string& column,
                                         const std::string& name, const std::string& what) {
    if (!query.active()) query.open();
    // Unquoted names are stored in upper case; a clone name is kept as typed,
    // so an exact match wins over a case-blind one.
    for (bool exact : {true, false}) {
        for (query.first(); !query.eof(); query.next()) {
            std::string v = query.fieldByName(column).asString();
            if (exact ? v == name : replica::catalogueName(v) == replica::catalogueName(name)) return v;
        }
    }
    err << what << " " << name << " not found\n";
    return std::nullopt;
}

void printDataSet(std::ostream& out, engine::DataSet& ds) {
    std::vector<int> cols;
    for (int c = 0; c < ds.fieldCount(); ++c)
        if (ds.field(c).visible) cols.push_back(c);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header;
    for (int c : cols) {
        const auto& f = ds.field(c);
        header.push_back(f.displayLabel.empty() ? f.name() : f.displayLabel);
    }
    ds.fetchMore(1 << 30);
    for (int r = 0; r < ds.fetchedCount(); ++r) {
        std::vector<std::string> row;
        for (int c : cols) row.push_back(ds.displayText(r, c));
        rows.push_back(row);
    }
    printTable(out, header, rows);
}

void printTable(std::ostream& out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> width(header.size());
    for (size_t i = 0; i < header.size(); ++i) {
        width[i] = header[i].size();
        for (auto& r : rows) width[i] = std::max(width[i], r[i].size());
    }
    auto line = [&](const std::vector<std::string>& cells) {
        std::string s;
        for (size_t i = 0; i < cells.size(); ++i) {
            std::string cell = cells[i];
            if (i + 1 < cells.size()) cell.resize(width[i], ' ');
            s += (i ? "  " : "  ") + cell;
        }
        out << s << '\n';
    };
    line(header);
    for (auto& r : rows) line(r);
    if (rows.empty()) out << "  (none)\n";
}

}  // namespace quorvel::cli

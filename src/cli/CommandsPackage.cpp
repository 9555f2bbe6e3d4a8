// The exchange by sealed packages from a terminal: send, receive, exchange
// (both, from cron) and the set's key in a file. Exit codes come from the
// operations' outcomes; a read stopped on a collision is told apart.
#include <ostream>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "package/Folders.h"
#include "cli/Session.h"
#include "package/Operations.h"

namespace quorvel::cli {

namespace {

bool connectLocal(Session& s) {
    if (!s.args.value("--local")) throw UsageError{"this command needs --local ALIAS (the master or clone database)"};
    return s.connect();
}

const char* kindText(package::ReceiveReport::Kind kind) {
    using Kind = package::ReceiveReport::Kind;
    switch (kind) {
        case Kind::Read: return "read";
        case Kind::AlreadyRead: return "read before, put away";
        case Kind::Refused: return "refused";
        case Kind::NotForHere: return "not for this site";
        case Kind::NotRead: return "not read";
    }
    return "";
}

void printReceived(Session& s, const package::ReceiveReport& r) {
    for (const auto& i : r.items) {
        s.out << printable(i.file) << ": " << kindText(i.kind);
        if (!i.why.empty() && i.kind != package::ReceiveReport::Kind::Refused) s.out << " (" << printable(i.why) << ")";
        s.out << '\n';
    }
    if (r.items.empty()) s.out << "No package waiting.\n";
}

void printSent(Session& s, const package::SendReport& r) {
    s.out << "Sent " << r.file << " (" << r.bytes << " bytes)\n";
    for (const auto& [table, rows] : r.header.tableRows) s.out << "  " << table << ": " << rows << " rows\n";
    s.out << "  journal entries: " << r.header.journalEntries << '\n';
}

int receiveStatus(Session& s, const Outcome& o, const package::ReceiveReport& r) {
    const int rc = s.finish(o);
    return r.collision ? kExitCollision : rc;
}

// For --json: each package dealt with, and the package sent.
std::string receivedJson(const package::ReceiveReport& r) {
    std::vector<std::string> items;
    for (const auto& i : r.items)
        items.push_back(json::Object()
                            .text("file", i.file)
                            .text("result", kindText(i.kind))
                            .text("sender", i.sender)
                            .number("fillNumber", i.fillNumber)
                            .text("why", i.why)
                            .str());
    return json::array(items);
}

std::string sentJson(const package::SendReport& r) {
    std::vector<std::string> tables;
    for (const auto& [table, rows] : r.header.tableRows)
        tables.push_back(json::Object().text("name", table).number("rows", rows).str());
    return json::Object()
        .text("file", r.file)
        .number("bytes", static_cast<int64_t>(r.bytes))
        .number("journalEntries", r.header.journalEntries)
        .raw("tables", json::array(tables))
        .str();
}

int cmdSend(Session& s) {
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    package::SendReport report;
    const Outcome o = package::SendPackage(s.dm.UserDB(), s.args.words[1], s.ui, &report);
    if (o.isDone() && !s.args.json) printSent(s, report);
    const int rc = s.finish(o);
    if (s.args.json)
        s.out << outcomeJson(o, rc, s.ui.messages()).raw("sent", o.isDone() ? sentJson(report) : json::null).str()
              << '\n';
    return rc;
}

int cmdReceive(Session& s) {
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    package::ReceiveReport report;
    const Outcome o = package::ReceivePackages(s.dm.UserDB(), s.args.words[1], s.ui, &report);
    if (!s.args.json) printReceived(s, report);
    const int rc = receiveStatus(s, o, report);
    if (s.args.json) s.out << outcomeJson(o, rc, s.ui.messages()).raw("received", receivedJson(report)).str() << '\n';
    return rc;
}

int cmdExchange(Session& s) {
    // The folders the window remembered for this alias, unless the line names them.
    const package::Folders remembered =
        s.args.value("--local") ? package::rememberedFolders(*s.args.value("--local")) : package::Folders{};
    const auto inbox = s.args.value("--inbox").value_or(remembered.inbox),
               outbox = s.args.value("--outbox").value_or(remembered.outbox);
    if (inbox.empty() || outbox.empty())
        throw UsageError{"exchange needs --inbox DIR and --outbox DIR (or folders remembered for the alias)"};
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    package::ExchangeReport report;
    const Outcome o = package::ExchangePackages(s.dm.UserDB(), inbox, outbox, s.ui, &report);
    if (!s.args.json) {
        printReceived(s, report.received);
        if (report.sent) printSent(s, report.send);
    }
    const int rc = receiveStatus(s, o, report.received);
    if (s.args.json)
        s.out << outcomeJson(o, rc, s.ui.messages())
                     .raw("received", receivedJson(report.received))
                     .raw("sent", report.sent ? sentJson(report.send) : json::null)
                     .str()
              << '\n';
    return rc;
}

// key export FILE | key import FILE: the key itself is never printed.
int cmdKey(Session& s) {
    const std::string& what = s.args.words[1];
    if (what != "export" && what != "import") throw UsageError{"key takes export FILE or import FILE"};
    if (!connectLocal(s)) return s.connectStatus;
    s.ui.startOperation();
    const std::string& file = s.args.words[2];
    return s.finish(what == "export" ? package::ExportKey(s.dm.UserDB(), file, s.ui)
                                     : package::ImportKey(s.dm.UserDB(), file, s.ui));
}

const Command kPackageCommands[] = {
    {"send", 1, 1, cmdSend},
    {"receive", 1, 1, cmdReceive},
    {"exchange", 0, 0, cmdExchange},
    {"key", 2, 2, cmdKey},
};

}  // namespace

const Command* findPackageCommand(const std::string& word) {
    for (const Command& c : kPackageCommands)
        if (word == c.name) return &c;
    return nullptr;
}

std::vector<std::string> packageCommandWords() {
    std::vector<std::string> words;
    for (const Command& c : kPackageCommands) words.push_back(c.name);
    return words;
}

}  // namespace quorvel::cli

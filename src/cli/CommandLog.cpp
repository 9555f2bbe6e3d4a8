// "log": what was exchanged when, from the database's own exchange log; and
// "log-keep": how many days the log keeps its entries.
#include <string>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Json.h"
#include "cli/Session.h"
#include "replica/ExchangeLog.h"
#include "replica/Presence.h"

namespace quorvel::cli {

namespace {

std::string eventJson(const replica::LoggedEvent& e) {
    json::Object o;
    o.text("moment", e.moment).text("action", e.action).text("osUser", e.osUser).text("dbUser", e.dbUser);
    e.peer.empty() ? o.raw("peer", json::null) : o.text("peer", e.peer);
    e.fillNumber ? o.number("fillNumber", *e.fillNumber) : o.raw("fillNumber", json::null);
    o.text("outcome", e.outcome).text("counts", e.counts).text("message", e.message);
    return o.str();
}

bool hasLog(Session& s) {
    if (replica::TablePresent(s.dm.UserDB(), "R$EXCHANGELOG")) return true;
    s.err << "This database keeps no exchange log: create the meta structures first.\n";
    return false;
}

}  // namespace

int cmdLog(Session& s) {
    s.requireLocal();
    if (!s.connect()) return s.connectStatus;
    if (!hasLog(s)) return kExitRefused;
    const std::string since = s.args.value("--since").value_or("");
    const std::vector<replica::LoggedEvent> events = replica::readLog(s.dm.UserDB(), since);
    if (s.args.json) {
        std::vector<std::string> items;
        for (const replica::LoggedEvent& e : events) items.push_back(eventJson(e));
        s.out << json::array(items) << '\n';
        return 0;
    }
    std::vector<std::vector<std::string>> lines;
    for (const replica::LoggedEvent& e : events)
        lines.push_back({e.moment, e.action, e.osUser + "/" + e.dbUser, e.peer,
                         e.fillNumber ? std::to_string(*e.fillNumber) : "", e.outcome,
                         e.counts + (e.message.empty() ? "" : (e.counts.empty() ? "" : "; ") + e.message)});
    printTable(s.out, {"When", "Action", "User (system/database)", "Peer", "Fill", "Outcome", "Counts and message"},
               lines);
    return 0;
}

int cmdLogKeep(Session& s) {
    s.requireLocal();
    const std::string& typed = s.args.words.at(1);
    std::optional<int> days;
    if (typed != "forever") {
        if (typed.empty() || typed.size() > 5 || typed.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(typed) == 0)
            throw UsageError{"log-keep takes a number of days (1 or more) or \"forever\", not \"" + typed + "\""};
        days = std::stoi(typed);
    }
    if (!s.connect()) return s.connectStatus;
    if (!hasLog(s)) return kExitRefused;
    replica::setLogDays(s.dm.UserDB(), days);
    s.out << "The exchange log keeps its entries " << (days ? "for " + typed + " days" : std::string("for ever"))
          << ".\n";
    return 0;
}

}  // namespace quorvel::cli

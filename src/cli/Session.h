#pragma once
// One run of the command-line tool: the data module, the terminal front end
// and the connections asked for on the command line.
#include <iosfwd>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/Args.h"
#include "cli/Help.h"
#include "cli/Json.h"
#include "connect/Connect.h"
#include "cli/CliReporter.h"
#include "db/DM.h"
#include "operation/Outcome.h"

namespace quorvel::cli {

struct Session {
    Session(const Args& a, std::istream& in, std::ostream& o, std::ostream& e, bool interactive);

    const Args& args;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    DM dm;
    CliReporter ui;

    // Connects what the options name (local, clone, synchro) with --user and
    // --password, and opens the lists the commands find their rows in; false
    // (and the message already shown) when a connection failed. `inSynchro`
    // connects --synchro as the in-synchro database instead of the out one.
    bool connect(bool inSynchro = false);
    // The exit status of the connection that failed, and its outcome.
    int connectStatus = 1;
    std::optional<Outcome> connectOutcome;
    // Says on the error stream that the local database's replication
    // triggers are off, for the commands that neither switch nor show them.
    void sayCaptureOff(const connect::LocalFacts& facts, const std::string& alias);
    // A usage error (exit 2) unless --local / --clone was given; true
    // otherwise.
    bool requireLocal();
    bool requireClone();

    // The row of `query` whose column `column` equals `name`, as the list
    // holds it (an exact match first, then one in any case); nullopt after
    // "<what> NAME not found".
    std::optional<std::string> find(engine::Query& query, const std::string& column,
                                    const std::string& name, const std::string& what);

    // Runs an operation and turns its outcome into an exit status. The
    // outcome's text is printed when the operation showed no message of its
    // own (the window shows some endings by its status face alone).
    template <class Op>
    int operation(Op op) {
        ui.startOperation();
        return finish(op(dm, ui));
    }
    int finish(const Outcome& outcome);
};

// The exit status of an operation's outcome, by its kind (see Help.h).
int exitStatusOf(const Outcome& outcome);
// The history of fills (the open list QSynchro) for --json: number, date,
// code1, code2 (the mark).
std::string historyJson(DM& dm);
// Who has read what, for --json: recorded, lastFill and the peers.
std::string sitesJson(engine::Database& local);

// How an operation ended, for --json: "outcome" (done, failed, refused,
// cancelled, collision, retry), "exitStatus", "message" (empty when done)
// and "messages" (every notice and error shown on the way); the command adds
// its own members.
json::Object outcomeJson(const Outcome& outcome, int status, const std::vector<std::string>& messages);

// Prints a data set as a small text table (header, rows).
void printDataSet(std::ostream& out, engine::DataSet& ds);
// The same for rows already in hand, each as wide as `header`.
void printTable(std::ostream& out, const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows);

}  // namespace quorvel::cli

#pragma once
// One run of the command-line tool: the data module, the terminal front end
// and the connections asked for on the command line.
#include <iosfwd>
#include <string>

#include "cli/Args.h"
#include "cli/CliFrontend.h"
#include "db/DM.h"

namespace quorvel::cli {

struct Session {
    Session(const Args& a, std::istream& in, std::ostream& o, std::ostream& e, bool interactive);

    const Args& args;
    std::ostream& out;
    std::ostream& err;
    DM dm;
    CliFrontend ui;

    // Connects what the options name (local, clone, synchro); false (and the
    // message already shown) when a connection failed. `inSynchro` selects the
    // in-synchro checks for --synchro instead of the out-synchro ones.
    bool connect(bool inSynchro = false);
    // Fails with a message unless --local was given.
    bool requireLocal();
    bool requireClone();

    // Makes the row of `query` whose column `column` equals `name` current;
    // shows "<what> NAME not found" and returns false otherwise.
    bool select(engine::Query& query, const std::string& column, const std::string& name,
                const std::string& what);

    // Runs an operation and turns its outcome into an exit status.
    template <class Op>
    int operation(Op op) {
        ui.startOperation();
        op(dm, ui);
        if (!ui.failed()) return 0;
        // Some steps end in the error state without a message of their own
        // (the window shows only its status face); a script still deserves a line.
        if (ui.messagesShown() == 0) err << "The operation ended with an error.\n";
        return 1;
    }
};

// Prints a data set as a small text table (header, rows).
void printDataSet(std::ostream& out, engine::DataSet& ds);

}  // namespace quorvel::cli

#include <ostream>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "engine/Aliases.h"
#include "engine/DatabaseFacts.h"

namespace quorvel::cli {

namespace {

void section(Session& s, const char* title, engine::Query& q) {
    if (!q.active()) return;
    s.out << '\n' << title << ":\n";
    printDataSet(s.out, q);
}

}  // namespace

// What the top bar and the preparation page would show after connecting,
// followed by whatever replication lists the database holds.
int cmdStatus(Session& s) {
    if (!s.args.value("--local")) {
        s.out << "No local database given (--local ALIAS). Aliases:\n";
        for (const auto& n : engine::Aliases::names()) s.out << "  " << n << '\n';
        return 0;
    }
    if (!s.connect()) return 1;
    s.out << "Alias: " << s.ui.text("LAlias") << '\n';
    s.out << "Dialect: " << engine::readDatabaseFacts(s.dm.UserDB()).sqlDialect << '\n';
    const bool prepared = s.ui.text("LPrepare") == "Prepare completed";
    s.out << "Master/Clone: " << (prepared ? s.ui.text("LMaster") : std::string()) << '\n';
    s.out << s.ui.text("LPrepare") << '\n';
    if (!prepared) return 0;
    DM& dm = s.dm;
    section(s, "Working tables", dm.QWorkingTables);
    section(s, "Primary-key generators", dm.QPKGens);
    section(s, "Clones", dm.QClone);
    section(s, "Synchronization history", dm.QSynchro);
    try {
        dm.QTableOrder.open();
        section(s, "Table order", dm.QTableOrder);
    } catch (const std::exception&) {
        // No table order yet: nothing to show.
    }
    return 0;
}

}  // namespace quorvel::cli

#include "db/OpenLists.h"

#include <exception>

#include "engine/Transaction.h"

namespace quorvel {

void OpenLocalLists(DM& dm, bool prepared, Reporter& reporter) {
    try {
        engine::Transaction tx(dm.UserDB());
        dm.QColumns.open();
        dm.QGenerator.open();
        dm.QTables.open();
        tx.commit();
    } catch (const std::exception& e) {
        reporter.error(e.what());
    }
    if (!prepared) return;
    dm.QPKGens.open();
    dm.QClone.open();
    dm.QTableTrigger.open();
    dm.QSynchro.open();
    dm.QWorkingTables.open();
    try {
        dm.QLog.open();
    } catch (const std::exception&) {
        // A database of a version before the log: its page stays empty.
    }
}

void OpenSynchroList(DM& dm, Reporter& reporter) {
    try {
        engine::Transaction tx(dm.SynchroDB());
        dm.QSTables.open();
        tx.commit();
    } catch (const std::exception& e) {
        reporter.error(e.what());
    }
}

}  // namespace quorvel

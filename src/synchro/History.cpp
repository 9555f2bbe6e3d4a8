// The synchronization history's delete and "Success", which ends a cycle by
// emptying the local journal.
#include "engine/Transaction.h"
#include "synchro/Operations.h"

namespace quorvel::synchro {

Outcome DelSynchro(DM& dm, Frontend& ui, std::optional<int64_t> synchroNumber) {
    if (!dm.UserDB().connected() || !synchroNumber) {
        ui.showMessage("List is empty!");
        return Outcome::refused("List is empty!");
    }
    if (!ui.confirm("Delete now?")) return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$SYNCHRO where SynchroNumber = " + std::to_string(*synchroNumber));
        const int removed = dm.Q6.rowsAffected();
        if (removed == 0) {
            const std::string why = "There is no history row " + std::to_string(*synchroNumber) + ".";
            ui.setError();
            ui.showMessage(why);
            return Outcome::refused(why);
        }
        tx.commit();
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    dm.ReopenSynchro();
    ui.setOK();
    return Outcome::done();
}

Outcome Success(DM& dm, Frontend& ui) {
    // Only the first mark, written when the triggers were made: this database
    // has never filled, and its journal holds changes no site has received.
    try {
        if (dm.Q6Integer("select count(*) from R$SYNCHRO") < 2) {
            const std::string why = "This database has not filled a synchro database yet: \"Success\" would "
                                    "drop changes that no site has received.";
            ui.showMessage(why);
            return Outcome::refused(why);
        }
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    if (!ui.confirm("Are you sure?")) return Outcome::cancelled();
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$DeletedUpdated");
        tx.commit();
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    ui.setEnabled("SBFillSynchro", false);
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::synchro

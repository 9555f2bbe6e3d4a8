// "Update CLONE's data": turns the restored copy of the master connected as
// CloneDB into the clone selected in the clone list. The master is only
// read; every change goes to the clone.
#include <optional>
#include <stdexcept>
#include <string>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "clone/MovePKGenerators.h"
#include "clone/Operations.h"
#include "clone/OwnHistory.h"
#include "clone/UpdateTarget.h"
#include "engine/Transaction.h"

namespace quorvel::clone {

namespace {

// The clone's record codes start just after the range of the database
// numbered one below it (no such row: after (0, 0)). Returns the values set.
RecordCodeStart setRecordCodeGenerators(DM& dm, int64_t cloneNumber) {
    dm.Q6Show(sql::previousBound(cloneNumber - 1));
    int64_t maxValue1 = dm.Q6.isEmpty() ? 0 : dm.Q6.field(0).asInteger();
    int64_t maxValue2 = dm.Q6.isEmpty() ? 0 : dm.Q6.field(1).asInteger();
    RecordCodeStart start = startAfter(maxValue1, maxValue2);
    dm.QClone6Exec(sql::setGenerator("R$GEN1", start.gen1));
    dm.QClone6Exec(sql::setGenerator("R$GEN2", start.gen2));
    return start;
}

// The clone's own R$CLONE names it, not the master, as the local database.
// A copy restored from a backup made before the clone was registered has no
// row to mark; marking nothing would leave the clone without an identity.
void markIdentity(DM& dm, const std::string& name) {
    dm.QClone6Show(sql::countCloneRows(name));
    if (dm.QClone6.field(0).asInteger() == 0)
        throw std::runtime_error("The restored database has no clone named " + name +
                                 ": back up the master after registering the clone.");
    dm.QClone6Exec(sql::kMasterIsNotMe);
    dm.QClone6Exec(sql::cloneIsMe(name));
}

}  // namespace

Outcome UpdateCloneGens(DM& dm, Frontend& ui, const std::optional<CloneRow>& clone) {
    if (!clone) {
        ui.showMessage("List is empty!");
        return Outcome::refused("List is empty!");
    }
    ui.setWorking();

    // Nothing is changed in a database that is not a fresh copy of the master.
    try {
        if (std::optional<std::string> refusal = updateRefusal(dm)) {
            dm.CloneDB().rollbackQuietly();
            ui.setError();
            ui.showMessage(*refusal);
            return Outcome::refused(*refusal);
        }
    } catch (const std::exception& e) {
        dm.CloneDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }

    RecordCodeStart start{};
    try {
        start = setRecordCodeGenerators(dm, clone->number);
    } catch (const std::exception& e) {
        // Nothing of the clone's identity is written without its range.
        dm.CloneDB().rollbackQuietly();
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }

    try {
        engine::Transaction tx(dm.CloneDB());
        markIdentity(dm, clone->name);
        startOwnHistory(dm, start);
        tx.commit();
    } catch (const std::exception& e) {
        // The identity is what tells a later run that this copy has been
        // updated: without it the keys are not moved, or a retry would move
        // them twice.
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }

    // Each failure was shown as it happened; the status must not claim
    // success over them.
    if (!MovePKGenerators(dm, ui, clone->number)) {
        ui.setError();
        return Outcome::failed("Update CLONE's data: a primary-key generator of clone " + clone->name +
                               " was not moved.");
    }
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::clone

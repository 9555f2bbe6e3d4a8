#include "clone/MovePKGenerators.h"

#include <exception>
#include <string>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "engine/Transaction.h"

namespace quorvel::clone {

namespace {

// An interrupted earlier run can leave R$Update behind. Creating ours would
// then fail, and running the old one would move a generator by the wrong
// amount, so it goes first.
void dropLeftoverUpdate(DM& dm) {
    engine::Transaction tx(dm.CloneDB());
    dm.QClone6Show(sql::kCountUpdateProcedures);
    bool present = dm.QClone6.field(0).asInteger() > 0;
    if (present) dm.QClone6Exec(sql::kDropUpdate);
    tx.commit();
}

std::string notMoved(const std::string& generator, const std::string& why) {
    return why + "\nGenerator " + generator + " was not moved.";
}

// Moves one generator; false (after reporting) when any part of it failed.
bool moveGenerator(DM& dm, Frontend& ui, const std::string& generator, int64_t cloneNumber) {
    int64_t offset = 0;
    try {
        offset = dm.Q6Integer(sql::offsetOf(generator));
    } catch (const std::exception& e) {
        ui.showMessage(notMoved(generator, e.what()));
        return false;
    }
    auto increment = generatorIncrement(offset, cloneNumber);
    if (!increment) {
        ui.showMessage("The increment " + std::to_string(offset) + " x " + std::to_string(cloneNumber) +
                       " of generator " + generator +
                       " does not fit a 32-bit integer.\nGenerator " + generator + " was not moved.");
        return false;
    }

    try {
        engine::Transaction tx(dm.CloneDB());
        dm.QClone6.close();
        dm.QClone6.clearSql();
        for (const auto& line : sql::updateProcedure(generator, *increment)) dm.QClone6.addSql(line);
        dm.QClone6.execSql();
        tx.commit();
    } catch (const std::exception& e) {
        // Without our procedure nothing may run: a procedure of that name
        // that is still there is not ours.
        ui.showMessage(notMoved(generator, e.what()));
        return false;
    }

    bool clean = true;
    try {
        // Fetching the procedure's one row is what advances the generator.
        engine::Transaction tx(dm.CloneDB());
        dm.QClone6Show(sql::kRunUpdate);
        dm.QClone6.field(0).asInteger();
        tx.commit();
    } catch (const std::exception& e) {
        ui.showMessage(notMoved(generator, e.what()));
        clean = false;
    }
    try {
        engine::Transaction tx(dm.CloneDB());
        dm.QClone6Exec(sql::kDropUpdate);
        tx.commit();
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
        clean = false;
    }
    return clean;
}

}  // namespace

bool MovePKGenerators(DM& dm, Frontend& ui, int64_t cloneNumber) {
    bool clean = true;
    try {
        dropLeftoverUpdate(dm);
    } catch (const std::exception& e) {
        // Every create below will fail on the leftover and be reported.
        ui.showMessage(e.what());
        clean = false;
    }

    auto& list = dm.QPKGens;
    // The generator grid must not follow the loop.
    list.disableControls();
    try {
        if (!list.active()) list.open();
        for (list.first(); !list.eof(); list.next()) {
            if (!moveGenerator(dm, ui, list.fieldByName("GeneratorName").asString(), cloneNumber))
                clean = false;
        }
    } catch (const std::exception& e) {
        // Reading the list itself failed: the rest cannot be walked.
        ui.showMessage(e.what());
        clean = false;
    }
    list.enableControls();
    return clean;
}

}  // namespace quorvel::clone

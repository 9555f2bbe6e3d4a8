// ">", "<", ">>" and "<<" of the page "Table selection".
#include <exception>
#include <set>
#include <string>

#include "engine/Transaction.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/SqlText.h"
#include "prepare/WorkingTables.h"

namespace quorvel::prepare {

Outcome AddWorkingTable(DM& dm, Frontend& ui, const std::string& tableName) {
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("insert into R$WorkingTables values (" + quoted(tableName) + ")");
        dm.ReopenWorkingTables();
        tx.commit();
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setOK();
    return Outcome::done();
}

Outcome RemoveWorkingTable(DM& dm, Frontend& ui, const std::string& tableName) {
    if (dm.QWorkingTables.isEmpty()) return listIsEmpty(ui);
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$WorkingTables where Name = " + quoted(tableName));
        dm.ReopenWorkingTables();
        tx.commit();
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setOK();
    return Outcome::done();
}

Outcome RemoveAllWorkingTables(DM& dm, Frontend& ui) {
    // Each removal reopens the list, so the next name is read from the list
    // as it stands; names that could not be removed are stepped over.
    std::set<std::string> refused;
    Outcome first = Outcome::done();
    while (true) {
        std::string next;
        bool found = false;
        for (dm.QWorkingTables.first(); !dm.QWorkingTables.eof(); dm.QWorkingTables.next()) {
            next = dm.QWorkingTables.fieldByName("Name").asString();
            if (!refused.count(next)) {
                found = true;
                break;
            }
        }
        if (!found) return first;
        Outcome removal = RemoveWorkingTable(dm, ui, next);
        if (!removal.isDone()) {
            refused.insert(next);
            if (first.isDone()) first = removal;  // each was shown; the first one tells
        }
    }
}

namespace {

// The lists may not have been opened yet when the command-line tool or a test
// calls an operation directly.
std::optional<Outcome> listsReady(Frontend& ui, std::initializer_list<engine::Query*> lists) {
    try {
        for (engine::Query* q : lists) ensureOpen(*q);
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    return std::nullopt;
}

}  // namespace

Outcome AddTable(DM& dm, Frontend& ui, const std::optional<std::string>& table) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (auto failed = listsReady(ui, {&dm.QTables, &dm.QWorkingTables})) return *failed;
    // An empty table list has no current row: there is no name to add.
    if (!table) return listIsEmpty(ui);
    return AddWorkingTable(dm, ui, *table);
}

Outcome RemoveTable(DM& dm, Frontend& ui, const std::optional<std::string>& table) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (auto failed = listsReady(ui, {&dm.QWorkingTables})) return *failed;
    if (!table) return listIsEmpty(ui);
    return RemoveWorkingTable(dm, ui, *table);
}

Outcome RemoveAllTables(DM& dm, Frontend& ui) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (auto failed = listsReady(ui, {&dm.QWorkingTables})) return *failed;
    return RemoveAllWorkingTables(dm, ui);
}

Outcome AddAllTables(DM& dm, Frontend& ui) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    if (auto failed = listsReady(ui, {&dm.QTables, &dm.QWorkingTables})) return *failed;
    Outcome first = RemoveAllWorkingTables(dm, ui);
    for (dm.QTables.first(); !dm.QTables.eof(); dm.QTables.next()) {
        Outcome added = AddWorkingTable(dm, ui, dm.QTables.fieldByName("RDB$RELATION_NAME").asString());
        if (first.isDone()) first = added;
    }
    return first;
}

}  // namespace quorvel::prepare

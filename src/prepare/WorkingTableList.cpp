// ">", "<", ">>" and "<<" of the page "Table selection".
#include <exception>
#include <set>
#include <string>

#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/SqlText.h"
#include "prepare/WorkingTables.h"

namespace quorvel::prepare {

bool AddWorkingTable(DM& dm, Frontend& ui, const std::string& tableName) {
    engine::Database& db = dm.UserDB();
    ui.setWorking();
    try {
        db.startTransaction();
        dm.Q6Exec("insert into R$WorkingTables values (" + quoted(tableName) + ")");
        dm.ReopenWorkingTables();
        db.commit();
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return false;
    }
    ui.setOK();
    return true;
}

bool RemoveWorkingTable(DM& dm, Frontend& ui, const std::string& tableName) {
    engine::Database& db = dm.UserDB();
    if (dm.QWorkingTables.isEmpty()) {
        ui.showMessage("List is empty!");
        return false;
    }
    ui.setWorking();
    try {
        db.startTransaction();
        dm.Q6Exec("delete from R$WorkingTables where Name = " + quoted(tableName));
        dm.ReopenWorkingTables();
        db.commit();
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return false;
    }
    ui.setOK();
    return true;
}

void RemoveAllWorkingTables(DM& dm, Frontend& ui) {
    // Each removal reopens the list, so the next name is read from the list
    // as it stands; names that could not be removed are stepped over.
    std::set<std::string> refused;
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
        if (!found) return;
        if (!RemoveWorkingTable(dm, ui, next)) refused.insert(next);
    }
}

namespace {

// The lists may not have been opened yet when the command-line tool or a test
// calls an operation directly.
bool listsReady(DM& dm, Frontend& ui, std::initializer_list<engine::Query*> lists) {
    try {
        for (engine::Query* q : lists) ensureOpen(*q);
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return false;
    }
    return true;
}

}  // namespace

void AddTable(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    if (!listsReady(dm, ui, {&dm.QTables, &dm.QWorkingTables})) return;
    // An empty table list has no current row: there is no name to add.
    if (dm.QTables.isEmpty()) {
        ui.showMessage("List is empty!");
        return;
    }
    AddWorkingTable(dm, ui, dm.QTables.fieldByName("RDB$RELATION_NAME").asString());
}

void RemoveTable(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    if (!listsReady(dm, ui, {&dm.QWorkingTables})) return;
    RemoveWorkingTable(dm, ui, dm.QWorkingTables.fieldByName("Name").asString());
}

void RemoveAllTables(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    if (!listsReady(dm, ui, {&dm.QWorkingTables})) return;
    RemoveAllWorkingTables(dm, ui);
}

void AddAllTables(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    if (!listsReady(dm, ui, {&dm.QTables, &dm.QWorkingTables})) return;
    RemoveAllWorkingTables(dm, ui);
    for (dm.QTables.first(); !dm.QTables.eof(); dm.QTables.next())
        AddWorkingTable(dm, ui, dm.QTables.fieldByName("RDB$RELATION_NAME").asString());
}

}  // namespace quorvel::prepare

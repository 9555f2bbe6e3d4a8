// "New clone": registers a clone in the master's R$CLONE through the dialog
// "New CLONE ", then shows the new row in the clone list.
#include <exception>

#include "clone/CloneSql.h"
#include "clone/CloneStep.h"
#include "clone/Operations.h"
#include "prepare/SqlText.h"

namespace quorvel::clone {

namespace {

// A clone needs armed working tables: without them there is nothing to copy
// and no record codes to give the clone a range of.
bool masterIsArmed(DM& dm, Frontend& ui) {
    if (dm.Q6Integer(sql::kCountWorkingTables) == 0) {
        ui.showMessage("There are no tables for cloning!");
        return false;
    }
    if (dm.Q6Integer(sql::kCountReplicationTriggers) == 0) {
        ui.showMessage("There are no triggers for working tables!");
        return false;
    }
    return true;
}

// The dialog's OK: "" accepts, an edit's name keeps the dialog open on it.
std::string registerClone(DM& dm, Frontend& ui, const Frontend::CloneEntry& entry) {
    for (const auto& [text, edit] : {std::pair{&entry.maxValue1, "EditMaxValue1"},
                                     std::pair{&entry.maxValue2, "EditMaxValue2"}}) {
        if (!prepare::isIntegerText(*text)) {
            ui.showMessage("Invalid number");
            return edit;
        }
    }
    auto error = runInTransaction(dm.UserDB(), [&] {
        int64_t number = dm.Q6Integer(sql::kMaxNumber) + 1;
        dm.Q6Exec(sql::insertClone(entry.name, number, entry.maxValue1, entry.maxValue2));
    });
    // A refused insert (a name already registered) is reported; the dialog
    // still closes, there is nothing to correct in the numbers.
    if (error) ui.showMessage(*error);
    return "";
}

std::string withoutTrailingBlanks(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// CHAR(31) names come back without their padding, so the typed name is
// compared the same way.
void moveToClone(DM& dm, const std::string& name) {
    const std::string wanted = withoutTrailingBlanks(name);
    dm.QClone.disableControls();
    try {
        dm.QClone.first();
        while (!dm.QClone.eof() && dm.QClone.fieldByName("Name").asString() != wanted) dm.QClone.next();
    } catch (...) {
        dm.QClone.enableControls();
        throw;
    }
    dm.QClone.enableControls();
}

}  // namespace

void NewClone(DM& dm, Frontend& ui) {
    try {
        if (!masterIsArmed(dm, ui)) return;
    } catch (const std::exception& e) {
        // Typically no meta structures in the connected database.
        ui.showMessage(e.what());
        return;
    }

    std::string typedName;
    bool ok = ui.cloneDialog([&](const Frontend::CloneEntry& entry) {
        typedName = entry.name;
        return registerClone(dm, ui, entry);
    });
    if (!ok) return;

    try {
        dm.ReopenClone();
        moveToClone(dm, typedName);
    } catch (const std::exception& e) {
        ui.showMessage(e.what());
    }
}

}  // namespace quorvel::clone

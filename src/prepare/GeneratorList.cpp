// ">" and "<" of the page "Generator selection": the generators that produce
// primary keys, each with the offset it moves by per clone number.
#include <exception>
#include <string>

#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/SqlText.h"

namespace quorvel::prepare {

namespace {

const char* const kDefaultOffset = "100000";
const size_t kOffsetLength = 15;

}  // namespace

void AddGen(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    engine::Database& db = dm.UserDB();
    ui.setWorking();
    try {
        ensureOpen(dm.QGenerator);
        ensureOpen(dm.QPKGens);
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    // An empty generator list has no current row, hence no name to add.
    if (dm.QGenerator.isEmpty()) {
        ui.showMessage("List is empty!");
        ui.setError();
        return;
    }
    std::string offset = ui.inputBox("Offset setting", "Offset:", kDefaultOffset).value_or(kDefaultOffset);
    offset = offset.substr(0, kOffsetLength);
    // The offset goes into the statement as typed, so it must be a number.
    if (!isIntegerText(offset)) {
        ui.showMessage("Invalid number");
        ui.setError();
        return;
    }
    const std::string name = dm.QGenerator.fieldByName("RDB$GENERATOR_NAME").asString();
    try {
        db.startTransaction();
        dm.Q6Exec("insert into R$PKGens values (" + quoted(name) + ", " + offset + ")");
        dm.ReopenPKGens();
        db.commit();
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    ui.setOK();
}

void RemoveGen(DM& dm, Frontend& ui) {
    if (RefusedOnClone(dm, ui)) return;
    engine::Database& db = dm.UserDB();
    try {
        ensureOpen(dm.QPKGens);
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return;
    }
    if (dm.QPKGens.isEmpty()) {
        ui.showMessage("List is empty!");
        return;
    }
    ui.setWorking();
    const std::string name = dm.QPKGens.fieldByName("GeneratorName").asString();
    try {
        db.startTransaction();
        dm.Q6Exec("delete from R$PKGens where GeneratorName = " + quoted(name));
        dm.ReopenPKGens();
        db.commit();
    } catch (const std::exception& e) {
        failWithMessage(dm, ui, e);
        return;
    }
    ui.setOK();
}

}  // namespace quorvel::prepare

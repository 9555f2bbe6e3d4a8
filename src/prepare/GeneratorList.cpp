// ">" and "<" of the page "Generator selection": the generators that produce
// primary keys, each with the offset it moves by per clone number.
#include <exception>
#include <string>

#include "engine/Transaction.h"
#include "prepare/Guards.h"
#include "prepare/OperationSupport.h"
#include "prepare/Operations.h"
#include "prepare/SqlText.h"

namespace quorvel::prepare {

namespace {

const char* const kDefaultOffset = "100000";
const size_t kOffsetLength = 15;

}  // namespace

Outcome AddGen(DM& dm, Frontend& ui, const std::optional<std::string>& generator,
               const std::optional<std::string>& givenOffset) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    ui.setWorking();
    try {
        ensureOpen(dm.QGenerator);
        ensureOpen(dm.QPKGens);
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    // An empty generator list has no current row, hence no name to add.
    if (!generator) {
        Outcome empty = listIsEmpty(ui);
        ui.setError();
        return empty;
    }
    std::string offset =
        givenOffset ? *givenOffset
                    : ui.inputBox("Offset setting", "Offset:", kDefaultOffset).value_or(kDefaultOffset);
    offset = offset.substr(0, kOffsetLength);
    // The offset goes into the statement as typed, so it must be a number.
    if (!isIntegerText(offset)) {
        ui.showMessage("Invalid number");
        ui.setError();
        return Outcome::refused("Invalid number");
    }
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("insert into R$PKGens values (" + quoted(*generator) + ", " + offset + ")");
        dm.ReopenPKGens();
        tx.commit();
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setOK();
    return Outcome::done();
}

Outcome RemoveGen(DM& dm, Frontend& ui, const std::optional<std::string>& generator) {
    if (auto refused = RefusedOnClone(dm, ui)) return *refused;
    try {
        ensureOpen(dm.QPKGens);
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
        return Outcome::failed(e.what());
    }
    if (!generator) return listIsEmpty(ui);
    ui.setWorking();
    try {
        engine::Transaction tx(dm.UserDB());
        dm.Q6Exec("delete from R$PKGens where GeneratorName = " + quoted(*generator));
        dm.ReopenPKGens();
        tx.commit();
    } catch (const std::exception& e) {
        return failWithMessage(dm, ui, e);
    }
    ui.setOK();
    return Outcome::done();
}

}  // namespace quorvel::prepare

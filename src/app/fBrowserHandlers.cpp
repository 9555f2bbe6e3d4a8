// The main window's button handlers: each reads what its page's edits and
// grids hold and runs one operation with the data module and the window as
// its front end.
#include <QApplication>
#include <exception>
#include <utility>

#include "app/fBrowser.h"
#include "db/CurrentRow.h"

namespace quorvel::app {

Outcome TfmBrowser::runOperation(const std::function<Outcome()>& operation) {
    Outcome outcome = Outcome::failed(tr("Unexpected error").toStdString());
    // What the previous operation did is not this one's result.
    setStatusPanel(1, "  ");
    try {
        outcome = operation();
    } catch (const std::exception& e) {
        recoverFromEscapedError(e.what());
        outcome = Outcome::failed(e.what());
    } catch (...) {
        recoverFromEscapedError(tr("Unexpected error").toStdString());
    }
    // An operation that ended without reporting its end would leave the
    // window disabled for good; the window is usable again whatever happened.
    if (!workAreaEnabled()) setWorkAreaEnabled(true);
    applyPendingFocus();
    // A row count left behind would read as the result of the operation.
    if (std::exchange(progressShown_, false)) setStatusPanel(1, "  ");
    return outcome;
}

void TfmBrowser::runOperation(const Operation& operation) {
    runOperation([&] {
        operation(dm_, *this);
        return Outcome::done();
    });
}

void TfmBrowser::recoverFromEscapedError(const std::string& message) {
    // Nothing half done may stay open: roll back whatever transaction the
    // operation left behind.
    for (engine::Database* db : {&dm_.UserDB(), &dm_.CloneDB(), &dm_.SynchroDB()}) db->rollbackQuietly();
    setError();
    showMessage(message);
}


}  // namespace quorvel::app

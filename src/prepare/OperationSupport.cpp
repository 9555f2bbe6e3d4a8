#include "prepare/OperationSupport.h"

#include "prepare/SqlText.h"

namespace quorvel::prepare {

Outcome failWithMessage(DM& dm, Frontend& ui, const std::exception& e) {
    dm.UserDB().rollbackQuietly();
    ui.setError();
    ui.showMessage(e.what());
    return Outcome::failed(e.what());
}

Outcome listIsEmpty(Frontend& ui) {
    ui.showMessage("List is empty!");
    return Outcome::refused("List is empty!");
}

void ensureOpen(engine::Query& q) {
    if (!q.active()) q.open();
}

void execLines(engine::Query& q, const std::string& text) {
    q.close();
    q.clearSql();
    for (const std::string& line : linesOf(text)) q.addSql(line);
    q.execSql();
}

void showAction(Frontend& ui, const std::string& caption) {
    ui.setText(ctl::LAction, caption);
    ui.processEvents();
}

void showProgress(Frontend& ui, int position) {
    ui.setProgress(ctl::PBar, position);
    ui.processEvents();
}

}  // namespace quorvel::prepare

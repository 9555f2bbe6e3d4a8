#include "prepare/OperationSupport.h"

#include "prepare/SqlText.h"

namespace quorvel::prepare {

void failWithMessage(DM& dm, Frontend& ui, const std::exception& e) {
    dm.UserDB().rollbackQuietly();
    ui.setError();
    ui.showMessage(e.what());
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
    ui.setText("LAction", caption);
    ui.processEvents();
}

void showProgress(Frontend& ui, int position) {
    ui.setProgress("PBar", position);
    ui.processEvents();
}

}  // namespace quorvel::prepare

#include "ddl/Operations.h"

#include <exception>

#include "ddl/ConvertAndOrder.h"

namespace quorvel::ddl {

namespace {

const char* const kSourceFilter = "DDL files|*.ddl|SQL files|*.sql|TXT files|*.txt|ALL files|*.*";
const char* const kTargetFilter = "Text|*.txt|All|*.*";
const char* const kNoFileChosen = "?";  // the edits' text before a file is chosen

}  // namespace

// The chosen name lives in EditSource, which shows it: a later conversion
// reuses the last source chosen.
void ReadDdl(DM&, Frontend& ui) {
    auto file = ui.chooseOpenFile(kSourceFilter);
    if (!file) return;
    ui.setText("EditSource", *file);
}

void ConvertDdl(DM& dm, Frontend& ui) {
    auto target = ui.chooseSaveFile("unknown.txt", kTargetFilter);
    if (!target) return;
    ui.setWorking();
    try {
        ui.setText("EditTarget", *target);
        ui.processEvents();
        std::string source = ui.text("EditSource");
        if (source == kNoFileChosen) source.clear();  // fails on opening, as no file at all does
        TableOrder order = ConvertDdlAndOrder(dm, source, *target);
        ui.setOK();
        if (!order.cycleTables.empty()) ui.showMessage(CycleMessage(order.cycleTables));
    } catch (const std::exception& e) {
        ui.setError();
        ui.showMessage(e.what());
    } catch (...) {
        ui.setError();
        ui.showMessage("Unknown error");
    }
}

}  // namespace quorvel::ddl

// The two buttons of the page "Create Synchro DB": the window chooses the
// files, the conversion gets their names.
#include "app/StatusReporter.h"
#include "app/Worker.h"
#include "app/fBrowser.h"
#include "ddl/Operations.h"

namespace quorvel::app {

namespace {

const char* const kSourceFilter =
    QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "DDL files|*.ddl|SQL files|*.sql|TXT files|*.txt|ALL files|*.*");
const char* const kTargetFilter = QT_TRANSLATE_NOOP("quorvel::app::TfmBrowser", "Text|*.txt|All|*.*");
const char* const kNoFileChosen = "?";  // the edits' text before a file is chosen

}  // namespace

// The chosen name lives in EditSource, which shows it: a later conversion
// reuses the last source chosen. The file is not read yet.
void TfmBrowser::SBReadddlClick() {
    if (auto file = chooseOpenFile(tr(kSourceFilter).toStdString())) setText("EditSource", *file);
}

void TfmBrowser::SBConvertddlClick() {
    auto target = chooseSaveFile("unknown.txt", tr(kTargetFilter).toStdString());
    if (!target) return;
    std::string source = text("EditSource");
    if (source == kNoFileChosen) source.clear();  // refused on opening, as no file at all is
    setText("EditTarget", *target);
    StatusReporter reporter(*this);
    runOperation([&] {
        // On the worker, as every operation: the window stays painted.
        const Outcome outcome = reporter.finish(runOnWorker(
            reporter, [&](Reporter& r) { return ddl::ConvertDdl(dm_.UserDB(), source, *target, r); }));
        // A list showing the table order follows the new one.
        if (outcome.isDone() && dm_.QTableOrder.active()) {
            dm_.QTableOrder.close();
            dm_.QTableOrder.open();
        }
        return outcome;
    });
}

}  // namespace quorvel::app

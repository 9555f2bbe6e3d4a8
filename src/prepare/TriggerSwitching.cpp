// "Make Triggers Inactive" and "Make Triggers Active": every trigger of the
// working tables is switched off around a read, and afterwards only those
// that were active before are switched on again.
#include <memory>
#include <string>

#include "operation/Refused.h"
#include "replica/ExchangeLog.h"
#include "operation/RunOperation.h"
#include "prepare/Operations.h"
#include "engine/Transaction.h"
#include "replica/CodeColumns.h"
#include "replica/TableLists.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

using replica::SettleTriggerState;
using replica::SwitchProgress;
using replica::SwitchTriggersOff;
using replica::SwitchTriggersOn;

namespace {

// Switching into the state the triggers are in already would record the
// tool's and the user's triggers wrongly (twice off: every trigger taken for
// one the user left off) or switch on what the user left off (on without a
// record of the last switch off): refused with `why`.
void refuseSwitchInto(engine::Database& db, bool toInactive, const char* why) {
    if (SettleTriggerState(db) == toInactive) throw Refused(why);
}

// Progress counts the triggers switched, repainted after each.
SwitchProgress reportedTo(Reporter& reporter) {
    auto total = std::make_shared<int>(0);
    SwitchProgress progress;
    progress.listed = [&reporter, total](int count) {
        *total = count;
        reporter.progress(0, count);
        reporter.breathe();
    };
    progress.switched = [&reporter, total](int done) {
        reporter.progress(done, *total);
        reporter.breathe();
    };
    return progress;
}

// Rows inserted while the triggers were off have no record code: they could
// never travel, and with the triggers on their update or delete would fail
// on the journal's code. They get codes while the triggers are still off, so
// nothing journals the numbering; above the mark, the next fill sends them.
void numberUncodedRows(engine::Database& db, Reporter& reporter) {
    engine::Transaction tx(db);
    int64_t numbered = 0;
    for (const std::string& table : replica::workingTables(db)) numbered += replica::NumberRows(db, table, true);
    tx.commit();
    if (numbered)
        reporter.notice(std::to_string(numbered) + (numbered == 1 ? " row" : " rows") +
                        " inserted while the triggers were off got record codes: the next fill sends them.");
}

}  // namespace

Outcome MakeTriggersInactive(engine::Database& local, Reporter& reporter) {
    return replica::logged(local, "triggers-off", runOperation(reporter, [&] {
        refuseSwitchInto(local, true, "Triggers are inactive already: read from SYNCHRO, then make them active.");
        reporter.step("Find inactive triggers");
        reporter.breathe();
        SwitchProgress progress = reportedTo(reporter);
        progress.listed = [&reporter, inner = progress.listed](int count) {
            reporter.step("Make all triggers inactive");
            inner(count);
        };
        SwitchTriggersOff(local, progress);
        return Outcome::done();
    }));
}

Outcome MakeTriggersActive(engine::Database& local, Reporter& reporter) {
    return replica::logged(local, "triggers-on", runOperation(reporter, [&] {
        refuseSwitchInto(local, false, "Triggers are active already.");
        numberUncodedRows(local, reporter);
        reporter.step("Make triggers active");
        reporter.breathe();
        SwitchTriggersOn(local, reportedTo(reporter));
        return Outcome::done();
    }));
}

}  // namespace quorvel::prepare

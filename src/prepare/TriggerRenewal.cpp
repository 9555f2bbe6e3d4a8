// "renew-triggers": the tool's triggers of an armed database replaced in
// place by those of this version, each keeping its name, table and event.
// Unlike a recreation nothing is renumbered, so it is what a clone (which
// never recreates its triggers) and a master with clones use.
#include <string>
#include <vector>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Operations.h"
#include "replica/ToolRights.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "replica/ToolTriggers.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

namespace {

// The text of this version for `t`, under its own name.
std::string renewed(engine::Database& db, const replica::ToolTrigger& t) {
    if (std::optional<std::string> text = replica::renewedText(db, t, true)) return *text;
    throw Refused("The trigger " + t.name + " on " + t.table +
                  " is not one the tool makes: recreate the triggers at the master instead.");
}

}  // namespace

Outcome RenewTriggers(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        replica::requireCurrentVersion(local);
        std::vector<replica::ToolTrigger> triggers;
        {
            engine::Transaction tx(local);
            triggers = replica::toolTriggersOf(local);
        }
        if (triggers.empty())
            throw Refused("This database has no replication triggers: recreate the triggers first.");
        // Every text is made before the first change: one the tool does not
        // know refuses the whole renewal.
        std::vector<std::string> texts;
        {
            engine::Transaction tx(local);
            for (const replica::ToolTrigger& t : triggers) texts.push_back(renewed(local, t));
        }
        engine::Transaction tx(local);
        reporter.step("Renew triggers");
        int done = 0;
        for (const std::string& text : texts) {
            replica::run(local, text);
            reporter.progress(++done, static_cast<long long>(texts.size()));
        }
        replica::recordTriggerGeneration(local, replica::TriggerGeneration::SkipsNoOps);
        replica::grantToolRights(local);
        tx.commit();
        reporter.notice("The replication triggers now skip a read's own changes: other users may work during a "
                        "read, and a read no longer needs the triggers made inactive. A save that changes nothing is no "
                        "longer journaled.");
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare

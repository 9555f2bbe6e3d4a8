// "guard-triggers" / "unguard-triggers": the application's own triggers on
// the working tables made to skip the rows a read applies, and back. A row
// read from another site already carries its key, its stamps and its audit
// from there; fired again here, a key trigger gives it a new key and a stamp
// this site's time, and the sites drift apart.
#include <string>
#include <vector>

#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Operations.h"
#include "replica/Presence.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "replica/TriggerGuard.h"
#include "replica/UserTriggers.h"

namespace quorvel::prepare {

namespace {

struct Change {
    std::string trigger, table, source;
};

std::string names(const std::vector<Change>& changes) {
    std::string out;
    for (const Change& c : changes) out += (out.empty() ? "" : ", ") + c.trigger + " (" + c.table + ")";
    return out;
}

// What a guarding (or its undo) would change, and the notices for what it
// passes over.
std::vector<Change> planned(engine::Database& db, bool guard, Reporter& reporter) {
    std::vector<Change> out;
    for (const replica::UserTrigger& t : replica::userTriggersOnWorkingTables(db)) {
        if (!t.source) {
            if (guard)
                reporter.notice("The trigger " + t.name + " on " + t.table +
                                " has no source text in the catalogue (restored without it): it cannot be guarded.");
            continue;
        }
        const std::optional<std::string> text =
            guard ? (replica::testsTheRead(*t.source) ? std::nullopt : replica::guardedSource(*t.source))
                  : replica::unguardedSource(*t.source);
        if (text) {
            out.push_back({t.name, t.table, *text});
        } else if (guard && !replica::testsTheRead(*t.source)) {
            reporter.notice("The body of the trigger " + t.name + " on " + t.table +
                            " was not recognised: it is left as it is; add the test of R$READING by hand.");
        }
    }
    return out;
}

Outcome changeTriggers(engine::Database& local, bool guard, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected()) throw Refused("Connect to the Master/Clone database first.");
        if (!replica::TablePresent(local, "R$WORKINGTABLES"))
            throw Refused("This database has no list of working tables: create the meta structures first.");
        replica::requireCurrentVersion(local);
        std::vector<Change> changes;
        {
            engine::Transaction tx(local);
            changes = planned(local, guard, reporter);
        }
        if (changes.empty()) {
            reporter.notice(guard ? "Every trigger of yours on the working tables already skips a read's rows."
                                  : "No trigger carries the guard: nothing to undo.");
            return Outcome::done();
        }
        const std::string question =
            guard ? "These triggers will do nothing for the rows a read applies, and work as before for everything "
                    "else: " + names(changes) + ". Guard them?"
                  : "These triggers will fire again for the rows a read applies: " + names(changes) +
                        ". Remove their guard?";
        if (!reporter.confirm(question)) return Outcome::cancelled();
        reporter.step(guard ? "Guard triggers" : "Unguard triggers");
        engine::Transaction tx(local);
        int done = 0;
        for (const Change& c : changes) {
            // ALTER keeps the trigger's table, event, position and state; only
            // the text changes.
            replica::run(local, "alter trigger " + local.identifier(c.trigger) + "\n" + c.source);
            reporter.progress(++done, static_cast<long long>(changes.size()));
        }
        tx.commit();
        reporter.notice((guard ? "Guarded: " : "Guard removed: ") + names(changes) + ".");
        return Outcome::done();
    });
}

}  // namespace

Outcome GuardTriggers(engine::Database& local, Reporter& reporter) { return changeTriggers(local, true, reporter); }
Outcome UnguardTriggers(engine::Database& local, Reporter& reporter) { return changeTriggers(local, false, reporter); }

}  // namespace quorvel::prepare

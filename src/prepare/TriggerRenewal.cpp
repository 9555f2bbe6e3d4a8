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
#include "replica/ChangeTest.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

namespace {

struct ToolTrigger {
    std::string name, table;
    int64_t type;  // the catalogue's event code: 1 before insert, 4 after update, 6 after delete
};

std::vector<ToolTrigger> toolTriggers(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select RDB$Trigger_Name, RDB$Relation_Name, RDB$Trigger_Type from RDB$Triggers "
             "where RDB$Trigger_Name starting with 'R$' order by RDB$Trigger_Name");
    q.open();
    std::vector<ToolTrigger> out;
    for (q.first(); !q.eof(); q.next())
        out.push_back({q.field(0).asString(), q.field(1).asString(), q.field(2).asInteger()});
    return out;
}

// The text of this version for `t`, under its own name.
std::string renewed(engine::Database& db, const ToolTrigger& t) {
    const int dialect = db.sqlDialect();
    const std::optional<int> number = replica::schema::triggerNumber(t.name);
    const int n = number.value_or(0);
    std::string text;
    switch (number ? t.type : 0) {
        case 1: text = replica::schema::insertTrigger(n, t.table, dialect); break;
        case 4: text = replica::schema::updateTrigger(n, t.table, dialect, replica::changeCondition(db, t.table)); break;
        case 6: text = replica::schema::deleteTrigger(n, t.table, dialect); break;
        default:
            throw Refused("The trigger " + t.name + " on " + t.table +
                          " is not one the tool makes: recreate the triggers at the master instead.");
    }
    return replica::schema::createOrAlter(text);
}

}  // namespace

Outcome RenewTriggers(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        replica::requireCurrentVersion(local);
        std::vector<ToolTrigger> triggers;
        {
            engine::Transaction tx(local);
            triggers = toolTriggers(local);
        }
        if (triggers.empty())
            throw Refused("This database has no replication triggers: recreate the triggers first.");
        // Every text is made before the first change: one the tool does not
        // know refuses the whole renewal.
        std::vector<std::string> texts;
        {
            engine::Transaction tx(local);
            for (const ToolTrigger& t : triggers) texts.push_back(renewed(local, t));
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

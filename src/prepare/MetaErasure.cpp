// "Erase add. structures": removes every replication object; the working
// tables keep their own columns and rows.
#include <exception>
#include <string>
#include <vector>

#include "connect/Connect.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "prepare/Guards.h"
#include "prepare/Operations.h"
#include "replica/Catalogue.h"
#include "replica/CodeColumns.h"
#include "replica/Presence.h"
#include "replica/ReplicationSchema.h"
#include "replica/Statements.h"
#include "replica/TriggerState.h"

namespace quorvel::prepare {

using replica::run;
using replica::firstColumn;
using replica::TriggersInactive;
using replica::SwitchTriggersOn;
using replica::TablePresent;
using replica::GeneratorPresent;
namespace schema = replica::schema;

namespace {

const int kLastStep = 11;

void reached(Reporter& reporter, int position) {
    reporter.progress(position, kLastStep);
    reporter.breathe();
}

// Erased while the triggers are off (between a deactivation and its
// reactivation), the record of which user triggers to switch on again would go
// with R$INACTIVETRIGGERS, and the user's own triggers would stay off for
// good. So they go back on first, as a reactivation would switch them.
void switchUserTriggersOn(engine::Database& db) {
    for (const char* table : {"R$WORKINGTABLES", "R$INACTIVETRIGGERS"})
        if (!TablePresent(db, table)) return;  // never switched off
    if (!GeneratorPresent(db, "R$TRIG")) return;
    if (TriggersInactive(db)) SwitchTriggersOn(db);
}

// Drops every R$ trigger in one transaction. A refusal undoes all of them
// and the erasure goes on: a trigger left behind makes a later drop that
// depends on it fail, and that failure is the one reported.
void dropToolTriggers(engine::Database& db, Reporter& reporter) {
    try {
        engine::Transaction tx(db);
        reporter.step("drop R$ triggers");
        for (const std::string& trigger : firstColumn(db, schema::kSelectToolTriggers))
            run(db, schema::dropTrigger(trigger));
        tx.commit();
        reached(reporter, 4);
    } catch (const std::exception&) {
        // Deliberately quiet: see above.
    }
}

void dropProcedures(engine::Database& db) {
    engine::Transaction tx(db);
    // Dropping a procedure removes its dependency rows with it; the system
    // tables themselves are read-only.
    for (const replica::catalogue::Object& o : replica::catalogue::localObjects())
        if (o.kind == replica::catalogue::Object::Kind::Procedure && replica::catalogue::present(db, o))
            run(db, replica::catalogue::dropStatement(o));
    // The exceptions the procedures raise go after them.
    for (const replica::catalogue::Object& o : replica::catalogue::localObjects())
        if (o.kind == replica::catalogue::Object::Kind::Exception && replica::catalogue::present(db, o))
            run(db, replica::catalogue::dropStatement(o));
    tx.commit();
}

void dropCodeColumns(engine::Database& db, Reporter& reporter) {
    engine::Transaction tx(db);
    reporter.step("drop R$Code1, R$Code2 from all tables");
    replica::DropEveryToolColumn(db);
    tx.commit();
    reached(reporter, 6);
}

void dropTablesAndGenerators(engine::Database& db, Reporter& reporter) {
    reporter.step("drop R$ tables");
    engine::Transaction tx(db);
    for (const replica::catalogue::Object& o : replica::catalogue::localObjects())
        if (o.kind == replica::catalogue::Object::Kind::Table && replica::catalogue::present(db, o))
            run(db, replica::catalogue::dropStatement(o));
    // Generators go by drop generator, one per R$ name in the catalogue.
    for (const std::string& generator : firstColumn(
             db, "select RDB$Generator_Name from RDB$Generators where RDB$Generator_Name starting with 'R$'"))
        run(db, "drop generator " + db.identifier(generator));
    reached(reporter, 8);
    reached(reporter, kLastStep);
    tx.commit();
}

}  // namespace

Outcome EraseMetaStructures(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        if (!reporter.confirm("Erase now?")) return Outcome::cancelled();
        // A fresh connection: nothing of this attachment holds the objects
        // about to be dropped.
        connect::Reconnect(local);
        reached(reporter, 0);
        // Nothing is erased while the user's triggers cannot be put back.
        switchUserTriggersOn(local);
        dropToolTriggers(local, reporter);
        dropProcedures(local);
        dropCodeColumns(local, reporter);
        dropTablesAndGenerators(local, reporter);
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare

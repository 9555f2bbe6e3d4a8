// "Create add. structures": adds the replication objects that are missing.
#include <exception>
#include <string>

#include "connect/Connect.h"
#include "engine/Error.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Guards.h"
#include "prepare/Operations.h"
#include "replica/ToolRights.h"
#include "replica/Catalogue.h"
#include "replica/Presence.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::prepare {

using replica::isIntegerText;
using replica::run;
using replica::TablePresent;
using replica::ProcedurePresent;
namespace schema = replica::schema;
namespace catalogue = replica::catalogue;

namespace {

const int kLastStep = 11;

// One multi-line creation statement in a transaction of its own. A refusal is
// reported and rolled back; the creation goes on with the next object.
void createByLines(engine::Database& db, Reporter& reporter, const std::string& text) {
    try {
        engine::Transaction tx(db);
        run(db, text);
        tx.commit();
    } catch (const std::exception& e) {
        reporter.notice(e.what());
    }
}

// Statements tied to an object just created, or objects that may exist
// already (the generators of an earlier attempt). Their refusal is the
// expected answer in those cases, so it is rolled back without a message;
// what the creation needs of them is checked by its later steps.
template <class Body>
void silently(engine::Database& db, Body body) {
    try {
        engine::Transaction tx(db);
        body();
        tx.commit();
    } catch (const std::exception&) {
        // Deliberately quiet: see above.
    }
}

// The step reported last, so a failure can say where it stopped.
struct Steps {
    Reporter& reporter;
    std::string current;
    void begin(const std::string& caption) {
        current = caption;
        reporter.step(caption);
        reporter.breathe();
    }
    void reached(int position) {
        reporter.progress(position, kLastStep);
        reporter.breathe();
    }
};

// The creation statement of a catalogue object, as it stands now.
std::string creation(engine::Database& db, const std::string& name) {
    return catalogue::createStatement(catalogue::localObject(name), replica::kLocalVersion, db.sqlDialect());
}

void createObjects(engine::Database& db, Reporter& reporter, const MasterBounds& bounds, Steps& steps) {
    steps.reached(0);

    // The three generators stand or fall together: one that exists already
    // rolls back the others.
    steps.begin("Create generator");
    silently(db, [&] {
        for (const char* name : {"R$GEN1", "R$GEN2", "R$TRIG"}) run(db, creation(db, name));
        steps.reached(1);
    });
    steps.reached(2);

    steps.begin("Create table R$CLONE");
    if (!TablePresent(db, "R$CLONE")) {
        createByLines(db, reporter, creation(db, "R$CLONE"));
        steps.reached(5);
    }
    steps.begin("Create table R$TABLEORDER");
    if (!TablePresent(db, "R$TABLEORDER")) {
        createByLines(db, reporter, creation(db, "R$TABLEORDER"));
        steps.reached(6);
    }
    if (!TablePresent(db, "R$WORKINGTABLES")) createByLines(db, reporter, creation(db, "R$WORKINGTABLES"));

    // These two run on their own, outside a transaction; a failure here ends
    // the creation.
    steps.begin("Create table R$INACTIVETRIGGERS");
    if (!TablePresent(db, "R$INACTIVETRIGGERS")) run(db, creation(db, "R$INACTIVETRIGGERS"));
    steps.reached(7);
    steps.begin("Create table R$SYNCHRO");
    if (!TablePresent(db, "R$SYNCHRO")) run(db, creation(db, "R$SYNCHRO"));
    steps.reached(8);

    steps.begin("Create table R$PKGENS");
    if (!TablePresent(db, "R$PKGENS")) {
        createByLines(db, reporter, creation(db, "R$PKGENS"));
        steps.reached(9);
    }
    steps.begin("Create table R$DELETEDUPDATED");
    if (!TablePresent(db, "R$DELETEDUPDATED")) {
        createByLines(db, reporter, creation(db, "R$DELETEDUPDATED"));
        // The MASTER row comes only with a new journal table.
        silently(db, [&] { run(db, schema::masterRow(bounds.maxValue1, bounds.maxValue2)); });
        steps.reached(10);
    }
    if (!ProcedurePresent(db, "R$ACTIVETRIGGERS")) {
        createByLines(db, reporter, creation(db, "R$ACTIVETRIGGERS"));
    }
    // What later versions brought (what the sites need to know of each
    // other, the journal's index, the version table) and the version row.
    // The first version's objects are the steps' above: one they could not
    // make stays missing, as the messages said.
    catalogue::bringTo(db, catalogue::localObjects(), replica::kLocalVersion, 2);
    // R$FILL last: it raises the exceptions and reads R$IDENTITY made above.
    if (!ProcedurePresent(db, "R$FILL")) createByLines(db, reporter, creation(db, "R$FILL"));
    {
        engine::Transaction tx(db);
        replica::grantToolRights(db);
        tx.commit();
    }
    replica::recordCurrentVersion(db);
    replica::startSet(db);
    {
        engine::Transaction tx(db);
        replica::recordFileStamp(db, true);
        tx.commit();
    }
    steps.reached(kLastStep);
}

}  // namespace

Outcome CreateMetaStructures(engine::Database& local, const MasterBounds& bounds, Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        // Only the check is kept: the texts as typed go into the MASTER row.
        if (!isIntegerText(bounds.maxValue1) || !isIntegerText(bounds.maxValue2)) throw Refused("Invalid number");
        Steps steps{reporter, {}};
        try {
            createObjects(local, reporter, bounds, steps);
            // A fresh connection, so that the new objects are seen everywhere.
            steps.current = "Reconnect";
            connect::Reconnect(local);
        } catch (const std::exception& e) {
            const std::string why = "Create add. structures stopped at \"" + steps.current + "\": " + e.what();
            reporter.error(why);
            return Outcome::failed(why, engine::failureOf(e));
        }
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare

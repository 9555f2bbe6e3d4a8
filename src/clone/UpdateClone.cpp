// "Update CLONE's data": turns a restored copy of the master into a
// registered clone. The master is only read; every change goes to the clone.
#include <optional>
#include <stdexcept>
#include <string>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"
#include "clone/MovePKGenerators.h"
#include "clone/Operations.h"
#include "clone/OwnHistory.h"
#include "clone/UpdateTarget.h"
#include "connect/DialectCheck.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "db/Today.h"
#include "operation/RunOperation.h"
#include "replica/Acknowledgements.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/Statements.h"

namespace quorvel::clone {

namespace {

// The clone's record codes start just after the range of the database
// numbered one below it (no such row: after (0, 0)). Returns the values set.
RecordCodeStart setRecordCodeGenerators(engine::Database& master, engine::Database& clone, int64_t cloneNumber) {
    int64_t maxValue1 = 0, maxValue2 = 0;
    {
        engine::Query q(master);
        q.setSql(sql::previousBound(cloneNumber - 1));
        q.open();
        if (!q.isEmpty()) {
            maxValue1 = q.field(0).asInteger();
            maxValue2 = q.field(1).asInteger();
        }
    }
    const RecordCodeStart start = startAfter(maxValue1, maxValue2);
    clone.execute(sql::setGenerator("R$GEN1", start.gen1));
    clone.execute(sql::setGenerator("R$GEN2", start.gen2));
    return start;
}

// The clone's own R$CLONE names it, not the master, as the local database.
// A copy restored from a backup made before the clone was registered has no
// row to mark; marking nothing would leave the clone without an identity.
void markIdentity(engine::Database& clone, const std::string& name) {
    engine::Query count(clone);
    count.setSql(sql::countCloneRows(name));
    count.open();
    if (count.field(0).asInteger() == 0)
        throw std::runtime_error("The restored database has no clone named " + name +
                                 ": back up the master after registering the clone.");
    clone.execute(sql::kMasterIsNotMe);
    clone.execute(sql::cloneIsMe(name));
}

// One database per registration: a second copy updated under a name would
// draw the record codes the first one draws, and a retired registration's
// codes are another incarnation's.
void refuseSecondIncarnation(engine::Database& master, const std::string& name) {
    const std::string me = replica::textOf(master, sql::meOf(name));
    if (me == "R")
        throw Refused(name + " is a deleted clone: its number and range are retired. Register a new clone and "
                      "update a fresh copy as that one. Nothing was changed.");
    if (me == "C")
        throw Refused("A copy has been updated as " + name + " already: a second copy would draw the record codes "
                      "the first one draws. To replace its database, delete the clone " + name +
                      " and make it again (make-clone " + name +
                      " with a range above every registered one): it gets a number and a range of its own. "
                      "Nothing was changed.");
}

}  // namespace

Outcome UpdateClone(engine::Database& master, engine::Database& clone, const std::optional<CloneRow>& row,
                    Reporter& reporter) {
    return runOperation(reporter, [&] {
        if (!row) throw Refused("List is empty!");
        connect::refuseMixedDialects(master, clone);
        reporter.step("Update clone " + row->name);
        // Nothing is changed in a database that is not a fresh copy of the master.
        if (std::optional<std::string> refusal = updateRefusal(master, clone)) throw Refused(*refusal);
        replica::requireCurrentVersion(master);
        replica::requireCurrentVersion(clone);
        refuseSecondIncarnation(master, row->name);

        // Nothing of the clone's identity is written without its range. The
        // identity is what tells a later run that this copy has been updated:
        // without it the keys are not moved, or a retry would move them twice.
        const RecordCodeStart start = setRecordCodeGenerators(master, clone, row->number);
        {
            engine::Transaction tx(clone);
            markIdentity(clone, row->name);
            // This copy's own file, not the master's.
            replica::recordFileStamp(clone);
            replica::startClonePeers(clone, row->number, nowText());
            startOwnHistory(clone, start);
            tx.commit();
        }
        {
            // From now on this copy is the clone: no other copy may be.
            engine::Transaction tx(master);
            master.execute(sql::markCopied(row->name));
            tx.commit();
        }

        // Each failure was reported as it happened; the outcome must not
        // claim success over them.
        if (!MovePKGenerators(master, clone, row->number, reporter)) {
            const std::string why = "Update CLONE's data: a primary-key generator of clone " + row->name +
                                    " was not moved.";
            return Outcome::failed(why);
        }
        return Outcome::done();
    });
}

}  // namespace quorvel::clone

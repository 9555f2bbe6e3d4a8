// "Re-register the master": a master restored from its backup would draw
// again the codes and fill numbers it drew after the backup, and lacks what
// it did and read since. The clone that read its newest fill holds all of
// that which reached any site: the master takes that clone's rows whole, and
// every clone, holding changes the lost master may never have read, is then
// re-registered (which takes them) and made again.
#include <algorithm>
#include <string>

#include "clone/Operations.h"
#include "connect/DialectCheck.h"
#include "db/Today.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/ReplicationSchema.h"
#include "replica/Acknowledgements.h"
#include "replica/Captured.h"
#include "replica/LocalSite.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "synchro/AdoptRows.h"

namespace quorvel::clone {

namespace {

using replica::RecordCode;

// Raises a generator to `value` when it stands below it; a generator is not
// undone by a rollback, and a code or number skipped costs nothing.
void raise(engine::Database& db, const std::string& generator, int64_t value) {
    const int64_t now = replica::integerOf(db, "select gen_id(" + generator + ", 0) from RDB$Database");
    if (now < value)
        replica::integerOf(db, "select gen_id(" + generator + ", " + std::to_string(value - now) +
                                   ") from RDB$Database");
}

struct Chosen {
    std::string name;
    int64_t lastRead = 0;  // the master's newest fill it read
};

Chosen checkChosen(engine::Database& master, engine::Database& clone) {
    engine::Transaction tx(clone);
    const std::string name = replica::textOf(clone, "select Name from R$Clone where ME = 'Y'");
    if (name.empty() || name == "MASTER")
        throw Refused("The --clone database is " + (name.empty() ? std::string("no clone") : "a master") +
                      ": the master is re-registered with the file of the clone that read its newest fill. "
                      "Nothing was changed.");
    if (!replica::restoredFile(clone).empty())
        throw Refused("The file of " + name + " was restored from a backup too: re-register the master with "
                      "the file of a clone that exchanges as it is. Nothing was changed.");
    const replica::SetIdentity theirs = replica::readSetIdentity(clone);
    replica::SetIdentity ours;
    {
        engine::Transaction look(master);
        ours = replica::readSetIdentity(master);
    }
    if (theirs.setId != ours.setId || theirs.generation != ours.generation)
        throw Refused("The file of " + name + " is of " +
                      (theirs.setId != ours.setId ? std::string("another replication set")
                                                  : "another arming of the master") +
                      ". Nothing was changed.");
    return {name, replica::integerOf(clone, "select LastRead from R$Peers where SiteNumber = 0")};
}

}  // namespace

Outcome ReRegisterMaster(engine::Database& master, engine::Database& clone, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        if (replica::identityOf(master) != "MASTER")
            throw Refused("The local database is no master. Nothing was changed.");
        connect::refuseMixedDialects(master, clone);
        replica::requireCurrentVersion(master);
        replica::requireCurrentVersion(clone);
        int64_t made = 0;
        {
            engine::Transaction look(master);
            if (replica::restoredFile(master).empty())
                throw Refused("The master's file was not restored from a backup: there is nothing to re-register. "
                              "Nothing was changed.");
            made = replica::lastFillNumber(master);
        }
        const Chosen chosen = checkChosen(master, clone);
        if (chosen.lastRead <= made)
            throw Refused(chosen.name + " read the master's fill no. " + std::to_string(chosen.lastRead) +
                          ", and the restored master made fills up to no. " + std::to_string(made) +
                          " itself. Re-register the master with the clone that read a fill made after the backup; "
                          "if no clone read one, run accept-restore (the clones send again what they have not "
                          "seen acknowledged). Nothing was changed.");
        if (!reporter.confirm("The master's rows become those of " + chosen.name + ", which read the master's fill "
                              "no. " + std::to_string(chosen.lastRead) + " (this restored file made fills up to no. " +
                              std::to_string(made) + "). Its journal is emptied, and every clone is to be "
                              "re-registered afterwards. Re-register the master?"))
            return Outcome::cancelled();

        engine::Transaction cloneTx(clone, engine::Database::Isolation::Snapshot);
        engine::Transaction tx(master);
        master.execute(replica::schema::kPassOverTriggers);
        const RecordCode bound = replica::LocalSite::read(master).bound;
        const synchro::AdoptedRows adopted = synchro::adoptRows(master, clone, bound, reporter);
        replica::emptyJournal(master);
        // Codes the lost master drew came back with the clone's rows.
        const RecordCode drawn = replica::codesDrawn(master);
        if (drawn < adopted.highestOwn) {
            raise(master, "R$Gen1", adopted.highestOwn.high);
            replica::integerOf(master, "select gen_id(R$Gen2, " + std::to_string(adopted.highestOwn.low - drawn.low) +
                                           ") from RDB$Database");
        }
        raise(master, "R$FillNumber", chosen.lastRead);
        const int64_t number = replica::drawFillNumber(master);
        const RecordCode mark = replica::codesDrawn(master);
        replica::run(master, "insert into R$Synchro values (" + std::to_string(number) + ", " +
                                 replica::quoted(nowText()) + ", " + std::to_string(mark.high) + ", " +
                                 std::to_string(mark.low) + ")");
        replica::nextGeneration(master);
        replica::recordFileStamp(master);
        replica::run(master, "update R$Clone set ME = 'O' where ME in ('N', 'C')");
        tx.commit();

        int64_t rows = 0;
        for (const auto& [table, n] : adopted.tables) rows += n;
        reporter.notice("The master holds the " + std::to_string(rows) + " rows of " + chosen.name +
                        " now. Every clone is of the master's earlier incarnation: re-register each with its file "
                        "as --clone (\"re-register NAME --max1 .. --max2 .. TARGET\"), " + chosen.name +
                        " included; their fills are refused until then.");
        std::string generators;
        {
            engine::Transaction look(master);
            engine::Query q(master);
            q.setSql("select GeneratorName from R$PKGens order by 1");
            q.open();
            for (; !q.eof(); q.next()) generators += (generators.empty() ? "" : ", ") + q.field(0).asString();
        }
        if (!generators.empty())
            reporter.notice("The master's key generators (" + generators + ") stand where its backup left them, "
                            "and keys it gave after the backup are among the rows taken: set each above the "
                            "highest key the master gave before new rows are entered here.");
        return Outcome::done();
    });
}

}  // namespace quorvel::clone

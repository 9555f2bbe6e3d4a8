// "Re-register": a clone restored from its own backup would draw again the
// record codes and fill numbers it drew after the backup. It becomes a new
// incarnation instead: the master takes the changes only the restored file
// holds, retires the old number, and the clone is made again from the master.
#include <algorithm>
#include <string>

#include "clone/CloneSql.h"
#include "clone/CloneTarget.h"
#include "clone/Operations.h"
#include "connect/DialectCheck.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/LocalSite.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "synchro/TakeUnsent.h"

namespace quorvel::clone {

namespace {

struct RestoredClone {
    std::string name;
    int64_t number = 0;
};

RestoredClone whoIsRestored(engine::Database& restored, const std::string& expected) {
    engine::Transaction tx(restored);
    RestoredClone who{replica::textOf(restored, "select Name from R$Clone where ME = 'Y'"),
                      replica::integerOf(restored, "select Number from R$Clone where ME = 'Y'")};
    if (who.name.empty() || who.name == "MASTER")
        throw Refused("The --clone database is " + (who.name.empty() ? std::string("no clone") : "a master") +
                      ": re-register takes a clone's restored file. Nothing was changed.");
    if (who.name != expected)
        throw Refused("The --clone database is the file of clone " + who.name + ", not of " + expected +
                      ". Nothing was changed.");
    return who;
}

// The master's row for the file's number: "O" when the master was restored
// and re-registered since the clone was made (its codes still hold, its
// generation is the earlier one).
std::string masterRowOf(engine::Database& master, int64_t number) {
    engine::Transaction tx(master);
    return replica::textOf(master, "select ME from R$Clone where Number = " + std::to_string(number));
}

void refuseOtherSet(engine::Database& master, engine::Database& restored, const std::string& name, bool orphaned) {
    replica::SetIdentity ours, theirs;
    {
        engine::Transaction tx(master);
        ours = replica::readSetIdentity(master);
    }
    {
        engine::Transaction tx(restored);
        theirs = replica::readSetIdentity(restored);
    }
    if (ours.setId != theirs.setId || (ours.generation != theirs.generation && !orphaned))
        throw Refused("The file of " + name + " is of " +
                      (ours.setId != theirs.setId ? std::string("another replication set")
                                                  : "an earlier arming of the master") +
                      ": its record codes mean nothing here. Make the clone again (delete-clone " + name +
                      ", make-clone " + name + "). Nothing was changed.");
}

// Whether the master took the file's changes already (an earlier run that
// stopped after them): its number is then retired under its name.
bool takenBefore(engine::Database& master, const RestoredClone& who) {
    engine::Transaction tx(master);
    engine::Query q(master);
    q.setSql("select Name, ME from R$Clone where Number = " + std::to_string(who.number));
    q.open();
    if (!q.eof()) {
        const std::string name = q.field(0).asString(), me = q.field(1).isNull() ? "" : q.field(1).asString();
        if (name == who.name && me != "R" && me != "Y") return false;
        if (name == sql::retiredName(who.number, who.name) && me == "R") return true;
    }
    throw Refused("The number " + std::to_string(who.number) + " of " + who.name +
                  "'s restored file is not registered at this master for " + who.name +
                  ": make the clone again (make-clone). Nothing was changed.");
}

std::string countsText(const synchro::ReadReport& report) {
    int64_t inserted = 0, updated = 0, deleted = 0;
    for (const auto& t : report.tables) {
        inserted += t.inserted;
        updated += t.updated + t.sameRow;
        deleted += t.deleted;
    }
    return std::to_string(inserted) + " inserted, " + std::to_string(updated) + " updated, " +
           std::to_string(deleted) + " deleted";
}

}  // namespace

Outcome ReRegister(engine::Database& master, engine::Database& restored, const ReRegisterInput& input,
                   Reporter& reporter) {
    const std::string& name = input.entry.name;
    bool madeBefore = false;
    Outcome outcome = runOperation(reporter, [&] {
        if (replica::identityOf(master) != "MASTER")
            throw Refused("The local database is no master: a clone is re-registered at the master. "
                          "Nothing was changed.");
        connect::refuseMixedDialects(master, restored);
        replica::requireCurrentVersion(master);
        replica::requireCurrentVersion(restored);
        replica::refuseRestoredFile(master);
        const RestoredClone who = whoIsRestored(restored, name);
        const bool orphaned = masterRowOf(master, who.number) == "O";
        if (!orphaned) {
            engine::Transaction look(restored);
            if (replica::restoredFile(restored).empty())
                throw Refused("The file of " + who.name + " was not restored from a backup: it exchanges as it is. "
                              "Nothing was changed.");
        }
        refuseOtherSet(master, restored, name, orphaned);
        if (takenBefore(master, who)) {
            engine::Transaction look(master);
            if (replica::textOf(master, sql::meOf(name)) == "C") {
                madeBefore = true;
                reporter.notice(name + " was re-registered before: the master took what only its file held, and a "
                                "copy was made its new database.");
                return Outcome::done();
            }
            reporter.notice("The master took the changes of " + name + "'s file before; making " + name +
                            " again.");
            return Outcome::done();
        }
        refuseCloneTarget(input.target);
        if (!reporter.confirm("The master takes the changes that only " + name +
                              "'s file holds, retires its number " + std::to_string(who.number) +
                              ", and " + name + " is made again at " + input.target + ". Re-register " + name + "?"))
            return Outcome::cancelled();
        int64_t lastRead = 0;
        {
            engine::Transaction tx(master);
            lastRead = replica::integerOf(master, "select coalesce(max(LastRead), 0) from R$Peers where SiteNumber = " +
                                                      std::to_string(who.number));
        }
        {
            // After the master's restore its record is the backup's: what the
            // clone saw acknowledged by the lost master counts too.
            engine::Transaction look(restored);
            lastRead = std::max(lastRead, replica::integerOf(restored, "select coalesce(max(Acknowledged), 0) from "
                                                                       "R$Peers where SiteNumber = 0"));
        }
        reporter.step("Take the changes of " + name + "'s restored file");
        const synchro::UnsentWork work = synchro::takeUnsentWork(
            master, restored, who.number, lastRead, reporter,
            [&] { master.execute(sql::retireClone(name, who.number)); });
        reporter.notice("The master took from " + name + "'s restored file: " + countsText(work.applied) + ".");
        if (work.leftBehind > 0) {
            std::string tables;
            for (const std::string& t : work.leftIn) tables += (tables.empty() ? "" : ", ") + t;
            reporter.notice(std::to_string(work.leftBehind) + (work.leftBehind == 1 ? " row" : " rows") + " of " +
                            name + "'s restored file (in " + tables +
                            ") were left behind: made before its backup and not sent by it, they may have been "
                            "sent, changed or deleted since by the file that was lost. Those the master lacks can "
                            "be entered again in the new clone; the restored file keeps them.");
        }
        return Outcome::done();
    });
    if (!outcome.isDone() || madeBefore) return outcome;
    outcome = MakeClone(master, MakeCloneInput{input.entry, input.target}, reporter);
    if (outcome.isDone())
        reporter.notice(name + " is a clone again at " + input.target +
                        ". Its restored file is no site any more: keep it aside or remove it.");
    return outcome;
}

}  // namespace quorvel::clone

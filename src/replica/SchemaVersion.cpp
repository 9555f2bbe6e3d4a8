#include "replica/ToolRights.h"
#include "replica/SchemaVersion.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "replica/Catalogue.h"
#include "replica/Presence.h"
#include "replica/SetIdentity.h"
#include "replica/SetKey.h"
#include "replica/SqlText.h"
#include "replica/ReplicationSchema.h"
#include "replica/Statements.h"
#include "replica/ToolTriggers.h"

namespace quorvel::replica {

namespace {

// Unrecorded versions, told by their objects.
int unrecordedVersion(engine::Database& db) {
    if (!ColumnPresent(db, "R$DELETEDUPDATED", "FIRSTFILL") || !TablePresent(db, "R$PEERS") ||
        !GeneratorPresent(db, "R$FILLNUMBER"))
        return 1;
    const bool keyed = integerOf(db, "select count(*) from RDB$Relation_Constraints where RDB$Relation_Name = "
                                     "'R$DELETEDUPDATED' and RDB$Constraint_Type = 'PRIMARY KEY'") != 0;
    if (keyed || !present(db, catalogue::localObject("R$DELETEDUPDATED_CODE"))) return 2;
    return 3;
}

bool versionRecorded(engine::Database& db) {
    return TablePresent(db, "R$SCHEMA") && integerOf(db, "select count(*) from R$SCHEMA") != 0;
}

// What the first preparation makes. Without all of it, a creation was cut
// short: "Create add. structures" finishes it, no upgrade.
bool firstPreparationWhole(engine::Database& db) {
    for (const catalogue::Object& o : catalogue::localObjects())
        if (o.since == 1 && !present(db, o)) return false;
    return true;
}

// The generation of triggers armed before it was recorded: those that skip
// a read name its context variable in their text.
TriggerGeneration scannedGeneration(engine::Database& db) {
    const int64_t all = integerOf(db, schema::kCountToolTriggers);
    if (all == 0) return TriggerGeneration::None;
    const int64_t skipping = integerOf(db, schema::kCountToolTriggers + " and RDB$Trigger_Source containing '" +
                                               schema::kReadingMarker + "'");
    return skipping == all ? TriggerGeneration::SkipsReads : TriggerGeneration::JournalsEverything;
}

// The tool's triggers of one event (the catalogue's type: 1 before insert,
// 4 after update, 6 after delete) renewed in place with this version's text:
// at 13 the insert triggers, which draw their codes themselves after the
// first draw of a transaction; at 14 the update and delete triggers, which
// write to R$CAPTURED. An update trigger keeps the generation it has (with
// or without the test for a change). Triggers of the first generation are
// left alone: a read switches them all off, and renew-triggers or an arming
// replaces them whole.
void renewTriggers(engine::Database& db, const std::vector<int64_t>& types) {
    const TriggerGeneration generation = triggerGeneration(db);
    if (generation < TriggerGeneration::SkipsReads) return;
    engine::Transaction tx(db);
    for (const ToolTrigger& t : toolTriggersOf(db)) {
        if (std::find(types.begin(), types.end(), t.type) == types.end()) continue;
        if (const std::optional<std::string> text = renewedText(db, t, generation >= TriggerGeneration::SkipsNoOps))
            run(db, *text);
    }
    grantToolRights(db);
    tx.commit();
}

// 14: whoever may delete from the journal (an operator's role made by
// grant-operator, or a user granted it by hand) gets R$CAPTURED too, which
// every fill and read now empties into the journal.
void grantCapturedLikeJournal(engine::Database& db) {
    engine::Transaction tx(db);
    engine::Query q(db);
    q.setSql("select distinct trim(RDB$User), RDB$User_Type from RDB$User_Privileges where RDB$Relation_Name = "
             "'R$DELETEDUPDATED' and RDB$Privilege = 'D' and RDB$User_Type in (8, 13) and RDB$User <> 'PUBLIC'");
    q.open();
    std::vector<std::string> grants;
    for (q.first(); !q.eof(); q.next())
        if (const std::optional<std::string> holder = plainName(q.field(0).asString()))
            grants.push_back("grant all on R$CAPTURED to " + std::string(q.field(1).asInteger() == 13 ? "role " : "user ") +
                             *holder);
    q.close();
    for (const std::string& grant : grants) run(db, grant);
    tx.commit();
}

void recordVersion(engine::Database& db, int version) {
    engine::Transaction tx(db);
    if (integerOf(db, "select count(*) from R$SCHEMA") == 0)
        run(db, "insert into R$SCHEMA (VERSION, TRIGGERS) values (" + std::to_string(version) + ", " +
                    std::to_string(static_cast<int>(scannedGeneration(db))) + ")");
    else
        run(db, "update R$SCHEMA set VERSION = " + std::to_string(version));
    tx.commit();
}

std::string nameOf(engine::Database& db) { return db.aliasName().empty() ? db.name() : db.aliasName(); }

}  // namespace

int localVersion(engine::Database& db) {
    if (!TablePresent(db, "R$CLONE")) return 0;
    if (versionRecorded(db)) return static_cast<int>(integerOf(db, "select max(VERSION) from R$SCHEMA"));
    return unrecordedVersion(db);
}

int synchroFormat(engine::Database& synchro) {
    if (!TablePresent(synchro, "R$SENDER")) return 1;
    if (!ColumnPresent(synchro, "R$SENDER", "FORMAT")) return 2;
    // Made from the definition and never filled: the format its tables show.
    const int64_t written = integerOf(synchro, "select max(FORMAT) from R$SENDER");
    return written > 0 ? static_cast<int>(written) : kSynchroFormat;
}

std::string newerLocalMessage(int version) {
    return "This database's replication objects are of version " + std::to_string(version) +
           "; this Quorvel knows versions up to " + std::to_string(kLocalVersion) +
           ". Upgrade Quorvel at this site. Nothing was changed.";
}

std::string newerSynchroMessage(int format) {
    return "This synchro database was written by format " + std::to_string(format) +
           "; this Quorvel reads formats up to " + std::to_string(kSynchroFormat) +
           ". Upgrade Quorvel at this site. Nothing was changed.";
}

int upgradeLocal(engine::Database& db, int to) {
    const int from = localVersion(db);
    if (from == 0 || (from >= to && from <= kLocalVersion)) return from;
    if (from > kLocalVersion) throw Refused(newerLocalMessage(from));
    if (!versionRecorded(db) && !firstPreparationWhole(db)) return from;
    for (int step = from + 1; step <= to; ++step) {
        catalogue::bringTo(db, catalogue::localObjects(), step);
        if (step == 5) {
            // The master starts its set; a clone learns it from the master.
            startSet(db, integerOf(db, "select count(*) from R$CLONE where ME = 'Y' and NUMBER = 0") != 0);
        }
        if (step == 7) {
            // The file as it is now counts as this site's.
            engine::Transaction tx(db);
            recordFileStamp(db, true);
            tx.commit();
        }
        if (step == 9) {
            // Rights to the tool's own triggers and procedure, none to PUBLIC.
            engine::Transaction tx(db);
            grantToolRights(db);
            tx.commit();
        }
        if (step == 10) {
            // The master makes its set's key; a clone is given it.
            engine::Transaction tx(db);
            if (integerOf(db, "select count(*) from R$CLONE where ME = 'Y' and NUMBER = 0") != 0) makeSetKey(db);
            tx.commit();
        }
        if (step == 12) catalogue::widenDates(db, catalogue::localObjects());
        if (step == 13) renewTriggers(db, {1});
        if (step == 14) {
            renewTriggers(db, {4, 6});
            grantCapturedLikeJournal(db);
        }
        if (step >= 4) recordVersion(db, step);
    }
    return from;
}

void upgradeSynchro(engine::Database& synchro) {
    catalogue::bringTo(synchro, catalogue::synchroObjects(), kSynchroFormat);
    catalogue::widenDates(synchro, catalogue::synchroObjects());
}

void upgradeOnConnect(engine::Database& db, Reporter& reporter) {
    if (TablePresent(db, "R$CLONE")) {
        int from = 0;
        try {
            from = upgradeLocal(db);
        } catch (const Refused&) {
            throw;
        } catch (const std::exception& e) {
            throw Refused("Upgrading the replication objects of " + nameOf(db) + " to version " +
                          std::to_string(kLocalVersion) + " stopped: " + e.what() +
                          "\nThe steps done are kept; connect again to finish (other users may hold the "
                          "objects it changes).");
        }
        const int now = localVersion(db);
        if (from != now)
            reporter.notice("The replication objects of " + nameOf(db) + " were upgraded from version " +
                            std::to_string(from) + " to version " + std::to_string(now) + ".");
        return;
    }
    if (TablePresent(db, "R$SYNCHRO") && TablePresent(db, "R$DELETEDUPDATED"))
        if (const int format = synchroFormat(db); format > kSynchroFormat) throw Refused(newerSynchroMessage(format));
}

void requireCurrentVersion(engine::Database& db) {
    const int version = localVersion(db);
    if (version > kLocalVersion) throw Refused(newerLocalMessage(version));
    if (version != 0 && version < kLocalVersion)
        throw Refused("The replication objects of " + nameOf(db) + " are of version " + std::to_string(version) +
                      "; Quorvel upgrades them to version " + std::to_string(kLocalVersion) +
                      " when it connects the database: connect it again. Nothing was changed.");
}

void recordCurrentVersion(engine::Database& db) {
    if (!versionRecorded(db)) recordVersion(db, kLocalVersion);
}

TriggerGeneration triggerGeneration(engine::Database& db) {
    if (!versionRecorded(db)) return scannedGeneration(db);
    return static_cast<TriggerGeneration>(integerOf(db, "select max(TRIGGERS) from R$SCHEMA"));
}

void recordTriggerGeneration(engine::Database& db, TriggerGeneration generation) {
    run(db, "update R$SCHEMA set TRIGGERS = " + std::to_string(static_cast<int>(generation)));
}

}  // namespace quorvel::replica

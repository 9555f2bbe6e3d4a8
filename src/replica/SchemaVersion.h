#pragma once
// The version of the tool's objects in a database, and the upgrades that
// bring an older one to this Quorvel's.
//
// A local database (the master or a clone) records its version and the
// generation of its journal triggers in the one row of R$SCHEMA; one armed
// before that table existed is recognised by its objects. A synchro database
// records the format its filler wrote in R$SENDER.FORMAT. The versions:
//   local 1  the first arming: four-column journal keyed on (code, operation)
//         2  what many sites need: the journal's ORIGIN, FIRSTFILL and SEEN,
//            R$PEERS, R$FILLNUMBER
//         3  the journal open to every user's transaction: its key becomes
//            the index R$DELETEDUPDATED_CODE
//         4  R$SCHEMA: the version and the trigger generation recorded
//         5  R$IDENTITY: the replication set and the master's arming
//         6  R$FILL never draws past the site's bound (R$CODES_USED_UP)
//         7  R$IDENTITY.CREATED: the file's creation stamp, to tell a restore
//         8  R$FILL draws no code in a restored file (R$RESTORED_FILE)
//         9  R$SETTLED: collisions settled here, never in the synchro file;
//            nothing granted to PUBLIC, the tool's triggers and R$FILL
//            granted what they use
//        10  R$SETKEY: the set's key, which seals the exchanged packages
//        11  R$EXCHANGELOG, the exchange log; R$SCHEMA.LOGDAYS, its age
//        12  dialect 3: the dates of R$SYNCHRO and R$PEERS become TIMESTAMP, as they
//            carry the time of day
//        13  the insert triggers draw their codes themselves after a
//            transaction's first draw, which R$FILL makes and bounds
//        14  R$CAPTURED: the update and delete triggers write there, without
//            an index; what reads the journal moves it into R$DELETEDUPDATED
//   synchro 1  the journal and the history alone
//           2  R$SENDER, R$ACKNOWLEDGED, the journal's three columns
//           3  R$SENDER.FORMAT
//           4  R$SENDER.SETID and GENERATION: the sender's set and arming
// A database or file of a newer version than this Quorvel's is refused
// before anything in it changes.
#include <string>

#include "engine/Database.h"
#include "operation/Reporter.h"

namespace quorvel::replica {

constexpr int kLocalVersion = 14;
constexpr int kSynchroFormat = 4;

// Which journal triggers a database has: those of the first versions journal
// and renumber whatever any transaction does, a read's rows included; those
// of this version skip the reading transaction.
// 3: they skip saves that change nothing as well.
enum class TriggerGeneration { None = 0, JournalsEverything = 1, SkipsReads = 2, SkipsNoOps = 3 };

// The version of a prepared local database (0: not prepared, no R$CLONE). In
// whatever transaction is open.
int localVersion(engine::Database& db);
// The format of a synchro database: its R$SENDER's FORMAT, 2 for an R$SENDER
// without one, 1 without R$SENDER.
int synchroFormat(engine::Database& synchro);

// What is said of a database or file newer than this Quorvel.
std::string newerLocalMessage(int version);
std::string newerSynchroMessage(int format);

// Run when the tool connects a database. A prepared local database is
// refused when newer than this Quorvel, and upgraded when older: one
// numbered step after the other, each idempotent and committed on its own,
// the version recorded after each. A database whose first preparation was
// cut short is left to "Create add. structures". A synchro database is
// refused when newer, and otherwise left as it is. Anything else is not the
// tool's. Throws Refused for a newer one, the server's error when a step
// fails (the steps done so far stay done).
void upgradeOnConnect(engine::Database& db, Reporter& reporter);

// Brings a prepared local database from whatever version it has to `to`
// (this Quorvel's unless a test stops earlier). Returns the version it had.
int upgradeLocal(engine::Database& db, int to = kLocalVersion);
// Brings a synchro database about to be filled to the current format.
void upgradeSynchro(engine::Database& synchro);

// Refuses an operation on a local database whose objects are not this
// Quorvel's version: newer, or older because it was not connected through
// the tool.
void requireCurrentVersion(engine::Database& db);

// Writes the version row of a database made at the current version, where
// it has none yet. Committed on its own.
void recordCurrentVersion(engine::Database& db);

// The generation of the journal triggers, as recorded; for a database not
// recorded yet, what the triggers' texts show. In whatever transaction is
// open.
TriggerGeneration triggerGeneration(engine::Database& db);
// Records the generation the arming or renewal just made, in its transaction.
void recordTriggerGeneration(engine::Database& db, TriggerGeneration generation);

}  // namespace quorvel::replica

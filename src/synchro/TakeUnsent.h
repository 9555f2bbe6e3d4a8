#pragma once
// A clone's file restored from a backup holds changes the master may never
// have read: what it made before the backup and did not send, and what its
// users did in it after the restore. Before the clone is made again, the
// master takes them as a read takes a fill, with the same rules, and passes
// them on to the other clones. The restored file is only read.
//
// Which changes are the file's own is told by the last of the clone's fills
// the master read (L):
// - when the file made fill L itself, nothing the master holds was drawn
//   after the backup: its journal entries not carried by fill L and its rows
//   above fill L's mark in its range are taken;
// - when a fill made after the backup was read (L is beyond the file's own
//   fills), the rows above the file's last fill's mark may have been sent,
//   changed or deleted since by the file that was lost (and, before version
//   8, the restored file drew their codes again): the entries of rows up to
//   that mark are taken, and the rows above it are left behind and counted.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "operation/Reporter.h"
#include "synchro/Operations.h"

namespace quorvel::synchro {

struct UnsentWork {
    ReadReport applied;               // at the master, per table
    int64_t leftBehind = 0;           // rows of the file that could not be told from rows drawn after its backup
    std::vector<std::string> leftIn;  // the tables holding them
};

// `clone`: the restored file's number at the master; `lastRead`: the last
// of its fills the master read. `inTransaction` runs in the master's
// transaction before it commits, so that what it records (the clone's
// retirement) is done exactly when the changes are taken. Throws on a
// failure, with nothing changed at the master.
UnsentWork takeUnsentWork(engine::Database& master, engine::Database& restored, int64_t clone, int64_t lastRead,
                          Reporter& reporter, const std::function<void()>& inTransaction);

}  // namespace quorvel::synchro

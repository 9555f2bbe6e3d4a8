#pragma once
// The operations that prepare a master for replication: its meta structures,
// the lists of working tables and of primary-key generators, the arming of
// the triggers and their switching off and on around a read. Each runs on
// the database it is given with the inputs it is given, reports its steps
// and progress through the Reporter, and returns how it ended; the window
// refreshes its lists and buttons from the outcome.
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"

namespace quorvel::prepare {

// The bounds of the master's own range of record codes, as typed (checked by
// the creation), with the texts the page starts with.
struct MasterBounds {
    std::string maxValue1 = "0";
    std::string maxValue2 = "2000000000";
};

// "Create add. structures": adds what is missing. The bounds go into the
// MASTER row, which is only written together with a new journal table.
// Refused with "Invalid number" when a bound is not an integer. Steps go
// from 0 to 11; the database is connected afresh at the end.
Outcome CreateMetaStructures(engine::Database& local, const MasterBounds& bounds, Reporter& reporter);
// "Erase add. structures", after confirming "Erase now?". Whoever shows
// lists of `local` closes them first: the database is connected afresh.
Outcome EraseMetaStructures(engine::Database& local, Reporter& reporter);

// A name of nullopt is the current row of an empty list: refused with
// "List is empty!".
//
// ">" on the generator page: `offset`, as typed in "Offset setting", must be
// an integer (its first 15 characters are used).
Outcome AddKeyGenerator(engine::Database& local, const std::optional<std::string>& generator,
                        const std::string& offset, Reporter& reporter);
Outcome RemoveKeyGenerator(engine::Database& local, const std::optional<std::string>& generator,
                           Reporter& reporter);  // "<"
// The offset "Offset setting" proposes.
inline const char* const kDefaultKeyOffset = "100000";

Outcome AddWorkingTable(engine::Database& local, const std::optional<std::string>& table,
                        Reporter& reporter);  // ">"
Outcome RemoveWorkingTable(engine::Database& local, const std::optional<std::string>& table,
                           Reporter& reporter);  // "<"
// ">>": the list becomes every user table; "<<": the list is emptied. A name
// that cannot be added or removed is passed over; the first failure is the
// outcome.
Outcome AddAllWorkingTables(engine::Database& local, Reporter& reporter);
Outcome RemoveAllWorkingTables(engine::Database& local, Reporter& reporter);

// "Recreate triggers": asks before renumbering rows the clones' copies rely on.
Outcome RecreateTriggers(engine::Database& local, Reporter& reporter);
// Replaces the tool's triggers of an armed database, master or clone, by
// those of this version, in place: nothing is renumbered, the clones' copies
// still match. Other users may then work during a read.
Outcome RenewTriggers(engine::Database& local, Reporter& reporter);

// Grants the role `role` (made if missing) what an operator who is not the
// owner needs to fill and read here, and the role to `users`. Refused for a
// name that is not a plain SQL name.
Outcome GrantOperatorRole(engine::Database& local, const std::string& role, const std::vector<std::string>& users,
                          Reporter& reporter);

// Takes a restored database as its site's own again, when the operator says
// nothing was done in it between its backup and the restore; refused where
// there was no restore.
Outcome AcceptRestore(engine::Database& local, Reporter& reporter);

// "Make Triggers Inactive" / "Make Triggers Active": progress counts the
// triggers switched.
Outcome MakeTriggersInactive(engine::Database& local, Reporter& reporter);
Outcome MakeTriggersActive(engine::Database& local, Reporter& reporter);

// The application's own triggers on the working tables, master or clone:
// each body wrapped in a test of the read's transaction (declarations kept in
// place), after a question that names them; and the undo. A trigger already
// testing the read, or one whose text is not recognised, is left as it is
// with a notice.
Outcome GuardTriggers(engine::Database& local, Reporter& reporter);
Outcome UnguardTriggers(engine::Database& local, Reporter& reporter);

}  // namespace quorvel::prepare

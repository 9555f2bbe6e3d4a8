#pragma once
// The operations of the page "Cloning": registering a clone at the master,
// deleting it, and turning a restored copy of the master into a registered
// clone. Each names the databases it works on, takes what the operator chose
// as arguments, reports through the reporter and returns how it ended. The
// front end refreshes its clone list after them.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"

namespace quorvel::clone {

// A new clone's name and the bound (maxValue1, maxValue2) of its record
// codes, as typed.
struct CloneEntry {
    std::string name, maxValue1, maxValue2;
};

// A registered clone: its number and name.
struct CloneRow {
    int64_t number = 0;
    std::string name;
};

// Refused when the master has no armed working tables (nothing to copy, no
// record codes to give a clone a range of) or no replication structures.
Outcome CheckMasterTakesClones(engine::Database& master, Reporter& reporter);

// The part of an entry that a refusal is about, for the front end to have
// corrected.
enum class EntryPart { None, Name, MaxValue1, MaxValue2 };

struct Registration {
    Outcome outcome;
    EntryPart refused = EntryPart::None;
};

// "New clone": registers `entry` in the master's R$CLONE under the next
// number. Refused, with nothing registered, when the master takes no clones,
// the name is empty or registered already, a bound is not a number (or its
// low word is too large), or the bound does not rise above every registered
// one; failed when the server refuses the row.
Registration RegisterClone(engine::Database& master, const CloneEntry& entry, Reporter& reporter);

// "Delete clone": after "Delete now?", removes the clone `name` from the
// master's R$CLONE; refused ("List is empty!") when no clone is named.
Outcome DeleteClone(engine::Database& master, const std::optional<std::string>& name, Reporter& reporter);

// "Update CLONE's data": turns `clone`, a fresh restored copy of `master`,
// into the registered clone `row`: its record-code generators start after
// the range of the database numbered one below it, it names itself, starts
// its own history, and its primary-key generators move by their offsets
// times its number. The master is only read. Refused ("List is empty!")
// when no clone is chosen, and for a database that is not a fresh copy.
Outcome UpdateClone(engine::Database& master, engine::Database& clone, const std::optional<CloneRow>& row,
                    Reporter& reporter);

// What making a clone in one go is given: the clone's entry and the
// database to create as its copy (a path, or host:path as for
// create-database).
struct MakeCloneInput {
    CloneEntry entry;
    std::string target;
};

// "Making a clone is one command": registers `input.entry` at the master
// (RegisterClone), backs the master up with gbak, restores the backup at
// `input.target` and turns it into the clone (UpdateClone). gbak logs in as
// the master's connection does; the master is disconnected while its backup
// runs (the embedded engine lets one process at a time open a file) and
// connected again after, so data sets open on it are closed. Refused, with
// nothing made, when the target exists, the master takes no clones, the
// local database is a clone, or the entry is refused; an existing file is
// never overwritten. A step after the registration that fails ends the
// operation failed, saying what was done and what is left to do.
Outcome MakeClone(engine::Database& master, const MakeCloneInput& input, Reporter& reporter);

}  // namespace quorvel::clone

namespace quorvel::clone {

// A clone's file restored from a backup, to be made a clone again: its
// name, the new range (as for make-clone) and the database to make the new
// copy in.
struct ReRegisterInput {
    CloneEntry entry;
    std::string target;
};

// "Re-register": `restored` is clone `input.entry.name`'s file restored from
// a backup, which fills and reads refuse. After a confirmation, the master
// takes what the file holds that it never read (the file's unsent changes,
// with the read's rules) and retires the clone's number in the same
// transaction; then the clone is made again at `input.target`, with a new
// number and range. The restored file is only read. Refused, with nothing
// changed, when `restored` is not a restored file of a clone of this master
// (another set, an earlier arming, a number retired), or the target exists.
// Run again after the master took the changes, it only makes the clone.
Outcome ReRegister(engine::Database& master, engine::Database& restored, const ReRegisterInput& input,
                   Reporter& reporter);

}  // namespace quorvel::clone

namespace quorvel::clone {

// "Re-register the master": `master` is the master's file restored from a
// backup, `clone` the file of the clone that read the master's newest fill
// (one made after the backup). After a confirmation, in one transaction the
// master's working tables become the clone's rows, its journal is emptied,
// its record codes and fill numbers go on above any the clone holds or read,
// the generation rises, and every registered clone is marked as of the
// master's earlier incarnation: each is then re-registered (ReRegister),
// which takes what only it holds. The clone's file is only read. Refused
// when the master's file was not restored, the clone is of another set or
// generation or restored itself, or it read no fill made after the backup
// (then, when no clone did, accept-restore is the remedy).
Outcome ReRegisterMaster(engine::Database& master, engine::Database& clone, Reporter& reporter);

}  // namespace quorvel::clone

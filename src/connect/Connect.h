#pragma once
// Connecting a database through an alias with a login, and what a connected
// local (master or clone) database says about itself. The front end asks for
// the alias and the login first (the window through its dialogs, the
// command line from its options), then calls.
#include <string>

#include "engine/Database.h"
#include "operation/Outcome.h"
#include "operation/Reporter.h"

namespace quorvel::connect {

// The alias chosen and the login typed for it.
// An empty user or password is the alias file's, if it has one (a user:
// SYSDBA otherwise).
struct Login {
    std::string alias, user, password;
    std::string role = {};  // an SQL role to work under; none when empty
};

// Disconnects `db`, binds it to the alias and login and connects it. Failed,
// saying what failed (the login, the file, the server), when the database
// cannot be reached; refused, and disconnected again, when it is neither a
// dialect-1 nor a dialect-3 database, or written by a newer Quorvel. A
// database of the tool's from an older Quorvel is upgraded (see
// replica/SchemaVersion.h). Whether its dialect matches the other
// databases' is asked by each operation that uses two of them.
Outcome Connect(engine::Database& db, const Login& login, Reporter& reporter);

// What a connected master or clone says about itself.
struct LocalFacts {
    bool prepared = false;          // the replication tables are there (R$CLONE)
    std::string identity;           // the R$CLONE row marked as this database ("" when none)
    bool triggerStateKnown = false; // R$Trig could be read: the exchange's buttons apply
    bool triggersInactive = false;  // the replication triggers are switched off (R$Trig set)
};

// Reads the facts of `local`; a database that is not connected, or not
// prepared for replication, is reported as unprepared.
LocalFacts ReadLocalFacts(engine::Database& local);

// Connect followed by ReadLocalFacts when it is done.
struct LocalConnection {
    Outcome outcome;
    LocalFacts facts;
};
LocalConnection ConnectLocal(engine::Database& local, const Login& login, Reporter& reporter);

// Disconnects `db` and connects it again with the alias and parameter lines
// it holds (used after creating or erasing the meta structures).
void Reconnect(engine::Database& db);

}  // namespace quorvel::connect

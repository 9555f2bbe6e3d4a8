#pragma once
// The synchro database of a send, made by the tool itself from the local
// database's own catalogue: no extract, no script, no isql.
//
// The definition is what "convert-ddl" derives from an extract, read from
// the system tables instead: each working table with its columns by name and
// type (a domain written as its type, a computed column as a plain column of
// its result type, which the fill writes and the read leaves alone), its
// NOT NULL columns and its primary key; then the synchro database's own
// tables from the replication catalogue. Same dialect and default character
// set as the local database, every text column with its own character set.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::package {

// The statements, in the order they run. In whatever transaction is open on
// `local`.
std::vector<std::string> synchroDefinition(engine::Database& local);

// Creates the database `path` (which must not exist) like `local` and runs
// the definition in it. Leaves it detached. Throws the server's error.
void makeSynchroDatabase(engine::Database& local, const std::string& path);

}  // namespace quorvel::package

#pragma once
// Whether a database has the tables the fill or the read is about to move rows
// between, each with every column of its table in the other database.
#include <string>
#include <vector>

#include "engine/Database.h"
#include "operation/Reporter.h"

namespace quorvel::synchro {

// Throws Refused naming the first of `tables` that `db` lacks, and the first
// of their columns that its table in `db` lacks (`reference` gives the
// expected columns). `role` names `db` in the message.
// A fill or read at a site whose table order names no working table (a
// clone made before convert-ddl ran at the master) would move no rows: the
// order is derived from the database's own foreign keys first, and said so.
// Refused when there is still none.
void ensureTableOrder(engine::Database& local, Reporter& reporter);

void requireTables(engine::Database& db, engine::Database& reference, const std::vector<std::string>& tables,
                   const std::string& role);

}  // namespace quorvel::synchro

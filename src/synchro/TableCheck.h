#pragma once
// Whether a database has the tables the fill or the read is about to move rows
// between, each with every column of its table in the other database.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::synchro {

// Throws Refused naming the first of `tables` that `db` lacks, and the first
// of their columns that its table in `db` lacks (`reference` gives the
// expected columns). `role` names `db` in the message.
void requireTables(engine::Database& db, engine::Database& reference, const std::vector<std::string>& tables,
                   const std::string& role);

}  // namespace quorvel::synchro

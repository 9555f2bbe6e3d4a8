#pragma once
// The two lists of tables the replication keeps in the database: the working
// tables (R$WORKINGTABLES) and the order a read applies them in
// (R$TABLEORDER). Read in whatever transaction is open on `db`.
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica {

// Names in R$WORKINGTABLES, in name order.
std::vector<std::string> workingTables(engine::Database& db);
// Names in R$TABLEORDER, by ascending Number.
std::vector<std::string> tableOrder(engine::Database& db);

}  // namespace quorvel::replica

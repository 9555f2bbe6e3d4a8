#pragma once
// The index on a working table's record code (R$Code1, R$Code2), through
// which the exchange finds and deletes rows by code.
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

// "R$CODES_" and the table's RDB$RELATION_ID: unique in the database (no two
// tables share an id) and at most 13 characters, well inside the server's 31.
std::string CodeIndexName(engine::Database& db, const std::string& table);

// Creates the index on (R$Code1, R$Code2) of `table`, whose columns must be
// committed already. Runs in the open transaction.
void CreateCodeIndex(engine::Database& db, const std::string& table);

// Drops every R$ index of `table`, as the catalogue shows them. Runs in the
// open transaction.
void DropToolIndexes(engine::Database& db, const std::string& table);

}  // namespace quorvel::replica

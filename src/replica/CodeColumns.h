#pragma once
// The record-code columns R$Code1 and R$Code2 of a working table.
#include <cstdint>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

// Adds R$Code1 and R$Code2 to `table`. Runs in the open transaction, which
// cannot use them before it commits.
void AddCodeColumns(engine::Database& db, const std::string& table);

// Gives rows of `table` their record codes, the low word drawn before the
// high word (a draw that rolls over gets the new high word): every row, or
// only those without a code. Returns how many. Runs in the open transaction.
int64_t NumberRows(engine::Database& db, const std::string& table, bool uncodedOnly);

// How many rows of `table` have no record code (inserted while the triggers
// were off): they can never travel. In the open transaction.
int64_t UncodedRows(engine::Database& db, const std::string& table);

// Drops the R$ indexes of `table`, then R$Code1 and R$Code2, each only where
// the catalogue shows it: a table listed since the last arming, or never armed, has neither, and
// the server refuses to drop a column that is not there. Runs in the open
// transaction.
void DropCodeColumns(engine::Database& db, const std::string& table);

// Drops every R$ index and every R$ column of the user's tables, wherever the
// catalogue shows them: on the listed tables and on those taken off the list
// since they were armed alike. The tool's own R$ tables are left to be
// dropped whole. Runs in the open transaction.
void DropEveryToolColumn(engine::Database& db);

}  // namespace quorvel::replica

#pragma once
// The record-code columns R$Code1 and R$Code2 of a working table.
#include <cstdint>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

// Adds R$Code1 and R$Code2 to `table` where they are missing. Runs in the
// open transaction, which cannot use them before it commits.
void AddCodeColumns(engine::Database& db, const std::string& table);

// Gives rows of `table` their record codes, the low word drawn before the
// high word (a draw that rolls over gets the new high word): every row, or
// only those without a code. Returns how many. Runs in the open transaction.
int64_t NumberRows(engine::Database& db, const std::string& table, bool uncodedOnly);

// How many rows of `table` have no record code (inserted while the triggers
// were off): they can never travel. In the open transaction.
int64_t UncodedRows(engine::Database& db, const std::string& table);
// The same for what every fill asks of every table, through the code index:
// a row inserted while the triggers were off has neither word (the insert
// trigger, when on, draws both where either is missing). Asking for either
// word missing would read the whole table on every fill.
int64_t RowsInsertedUncoded(engine::Database& db, const std::string& table);

// Before an arming numbers every row of `table`: drops its R$ indexes, and
// R$Code1 or R$Code2 only where it is there as anything but an INTEGER. The
// numbering writes every row's codes, so columns of the right type stay: no
// change of the table's format (the server allows a table 255), and no
// system rows for a kill to leave half-written. Runs in the open transaction.
void ClearForNumbering(engine::Database& db, const std::string& table);

// Drops every R$ index and every R$ column of the user's tables, wherever the
// catalogue shows them: on the listed tables and on those taken off the list
// since they were armed alike. The tool's own R$ tables are left to be
// dropped whole. Runs in the open transaction.
void DropEveryToolColumn(engine::Database& db);

}  // namespace quorvel::replica

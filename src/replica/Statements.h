#pragma once
// Statements run on a database the caller was given, each on a query of
// its own: in the transaction open on that database, or in one of their own
// when none is.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Database.h"

namespace quorvel::replica {

// Runs `sql` (which returns no rows). A text of several lines, such as a
// procedure's, is sent line by line as written.
void run(engine::Database& db, const std::string& sql);
// The first column of the first row, as an integer (0 when there is no row
// or it is NULL) or as text ("" when there is no row).
int64_t integerOf(engine::Database& db, const std::string& sql);
std::string textOf(engine::Database& db, const std::string& sql);
// The first column of every row, read completely before anything else runs.
std::vector<std::string> firstColumn(engine::Database& db, const std::string& sql);

}  // namespace quorvel::replica

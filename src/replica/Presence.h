#pragma once
// Presence checks in the catalogue of `db`, in whatever transaction is open.
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

bool TablePresent(engine::Database& db, const std::string& name);
bool ProcedurePresent(engine::Database& db, const std::string& name);
bool GeneratorPresent(engine::Database& db, const std::string& name);
// Whether the catalogue shows column `column` on table `table`.
bool ColumnPresent(engine::Database& db, const std::string& table, const std::string& column);

}  // namespace quorvel::replica

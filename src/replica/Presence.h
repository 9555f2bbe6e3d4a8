#pragma once
// Presence checks in the catalogue of `db`, in whatever transaction is open.
#include <optional>
#include <string>

#include "engine/Database.h"

namespace quorvel::replica {

bool TablePresent(engine::Database& db, const std::string& name);
bool ProcedurePresent(engine::Database& db, const std::string& name);
bool GeneratorPresent(engine::Database& db, const std::string& name);
// Whether the catalogue shows column `column` on table `table`.
bool ColumnPresent(engine::Database& db, const std::string& table, const std::string& column);

// How the catalogue stores a column: RDB$FIELDS.RDB$FIELD_TYPE (8 INTEGER,
// 12 a dialect-3 DATE, 35 TIMESTAMP...) and its scale (NUMERIC(9, 2) is an
// INTEGER of scale -2). None when the table has no such column.
struct ColumnStorage {
    int type = 0, scale = 0;
    bool isInteger() const { return type == 8 && scale == 0; }
};
std::optional<ColumnStorage> StorageOf(engine::Database& db, const std::string& table, const std::string& column);

}  // namespace quorvel::replica

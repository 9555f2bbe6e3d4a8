#pragma once
// Private to the engine: what data sets read from the system tables.
#include <string>
#include <vector>

namespace quorvel::engine {

class Database;

struct TableColumn {
    std::string name;
    bool computed = false;
};

// Columns of a table in position order.
std::vector<TableColumn> tableColumns(Database& db, const std::string& table);
// Primary-key columns in key order (empty when the table has none).
std::vector<std::string> primaryKeyColumns(Database& db, const std::string& table);

std::string upperName(std::string s);

}  // namespace quorvel::engine

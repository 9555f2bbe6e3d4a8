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
// A name given to a look-up in the catalogue of `db`: in dialect 1 names are
// kept in upper case, so it is upper-cased; in dialect 3 a name is exact
// (a quoted "OrderLine" is kept as typed) and is looked up as it is.
std::string catalogueName(const Database& db, const std::string& name);

}  // namespace quorvel::engine

#include "replica/TableLists.h"

#include "replica/Statements.h"

namespace quorvel::replica {

std::vector<std::string> workingTables(engine::Database& db) {
    return firstColumn(db, "select Name from R$WorkingTables order by Name");
}

std::vector<std::string> tableOrder(engine::Database& db) {
    return firstColumn(db, "select TableName from R$TableOrder order by Number");
}

}  // namespace quorvel::replica

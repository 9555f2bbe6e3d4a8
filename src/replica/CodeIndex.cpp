#include "replica/CodeIndex.h"

#include <vector>

#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {


std::string CodeIndexName(engine::Database& db, const std::string& table) {
    return "R$CODES_" + std::to_string(integerOf(db, 
                            "select RDB$Relation_ID from RDB$Relations where RDB$Relation_Name = " +
                            quoted(catalogueName(db, table))));
}

void CreateCodeIndex(engine::Database& db, const std::string& table) {
    run(db, "create index " + CodeIndexName(db, table) + " on " + db.identifier(table) + " (R$Code1, R$Code2)");
}

void DropToolIndexes(engine::Database& db, const std::string& table) {
    const std::vector<std::string> names = firstColumn(
        db, "select RDB$Index_Name from RDB$Indices where RDB$Relation_Name = " + quoted(catalogueName(db, table)) +
              " and RDB$Index_Name starting with 'R$'");
    for (const std::string& name : names) run(db, "drop index " + db.identifier(name));
}

}  // namespace quorvel::replica

#include "prepare/CodeIndex.h"

#include <vector>

#include "prepare/SqlText.h"

namespace quorvel::prepare {

std::string CodeIndexName(DM& dm, const std::string& table) {
    return "R$CODES_" + std::to_string(dm.Q6Integer(
                            "select RDB$Relation_ID from RDB$Relations where RDB$Relation_Name = " +
                            quoted(catalogueName(table))));
}

void CreateCodeIndex(DM& dm, const std::string& table) {
    dm.Q6Exec("create index " + CodeIndexName(dm, table) + " on " + table + " (R$Code1, R$Code2)");
}

void DropToolIndexes(DM& dm, const std::string& table) {
    std::vector<std::string> names;
    dm.Q6Show("select RDB$Index_Name from RDB$Indices where RDB$Relation_Name = " + quoted(catalogueName(table)) +
              " and RDB$Index_Name starting with \"R$\"");
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) names.push_back(dm.Q6.field(0).asString());
    dm.Q6.close();
    for (const std::string& name : names) dm.Q7Exec("drop index " + name);
}

}  // namespace quorvel::prepare

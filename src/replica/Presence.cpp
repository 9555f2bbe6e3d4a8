#include "replica/Presence.h"

#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {

bool TablePresent(engine::Database& db, const std::string& name) {
    return integerOf(db, "select count(*) from rdb$relations where rdb$relation_name = " + quoted(name)) != 0;
}

bool ProcedurePresent(engine::Database& db, const std::string& name) {
    return integerOf(db, "select count(*) from rdb$procedures where rdb$procedure_name = " + quoted(name)) != 0;
}

bool GeneratorPresent(engine::Database& db, const std::string& name) {
    return integerOf(db, "select count(*) from rdb$generators where rdb$generator_name = " + quoted(name)) != 0;
}

bool ColumnPresent(engine::Database& db, const std::string& table, const std::string& column) {
    return integerOf(db, "select count(*) from RDB$Relation_Fields where RDB$Relation_Name = " +
                        quoted(catalogueName(db, table)) + " and RDB$Field_Name = " +
                        quoted(catalogueName(db, column))) != 0;
}

}  // namespace quorvel::replica

#include "replica/Presence.h"

#include "engine/Query.h"
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

std::optional<ColumnStorage> StorageOf(engine::Database& db, const std::string& table, const std::string& column) {
    engine::Query q(db);
    q.setSql("select F.RDB$Field_Type, coalesce(F.RDB$Field_Scale, 0) from RDB$Relation_Fields RF join RDB$Fields F "
             "on F.RDB$Field_Name = RF.RDB$Field_Source where RF.RDB$Relation_Name = " +
             quoted(catalogueName(db, table)) + " and RF.RDB$Field_Name = " + quoted(catalogueName(db, column)));
    q.open();
    if (q.eof()) return std::nullopt;
    return ColumnStorage{static_cast<int>(q.field(0).asInteger()), static_cast<int>(q.field(1).asInteger())};
}

}  // namespace quorvel::replica

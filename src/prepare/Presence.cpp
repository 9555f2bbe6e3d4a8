#include "prepare/Presence.h"

#include "prepare/SqlText.h"

namespace quorvel::prepare {

bool TablePresent(DM& dm, const std::string& name) {
    return dm.Q6Integer("select count(*) from rdb$relations where rdb$relation_name = " + quoted(name)) != 0;
}

bool ProcedurePresent(DM& dm, const std::string& name) {
    return dm.Q6Integer("select count(*) from rdb$procedures where rdb$procedure_name = " + quoted(name)) != 0;
}

bool GeneratorPresent(DM& dm, const std::string& name) {
    return dm.Q6Integer("select count(*) from rdb$generators where rdb$generator_name = " + quoted(name)) != 0;
}

bool ColumnPresent(DM& dm, const std::string& table, const std::string& column) {
    return dm.Q6Integer("select count(*) from RDB$Relation_Fields where RDB$Relation_Name = " +
                        quoted(catalogueName(table)) + " and RDB$Field_Name = " +
                        quoted(catalogueName(column))) != 0;
}

}  // namespace quorvel::prepare

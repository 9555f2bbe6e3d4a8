#include "Catalog.h"

#include <algorithm>

#include "Database.h"
#include "Query.h"

namespace quorvel::engine {

std::string upperName(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string catalogueName(const Database& db, const std::string& name) {
    return db.sqlDialect() >= 3 ? name : upperName(name);
}

std::vector<TableColumn> tableColumns(Database& db, const std::string& table) {
    Query q(db);
    q.setSql(
        "select RF.RDB$FIELD_NAME, F.RDB$COMPUTED_BLR from RDB$RELATION_FIELDS RF "
        "join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "where RF.RDB$RELATION_NAME = :T order by RF.RDB$FIELD_POSITION");
    q.setParam("T", catalogueName(db, table));
    q.open();
    std::vector<TableColumn> out;
    for (; !q.eof(); q.next()) out.push_back({q.field(0).asString(), !q.field(1).isNull()});
    return out;
}

std::vector<std::string> primaryKeyColumns(Database& db, const std::string& table) {
    Query q(db);
    q.setSql(
        "select S.RDB$FIELD_NAME from RDB$RELATION_CONSTRAINTS C "
        "join RDB$INDEX_SEGMENTS S on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME "
        "where C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' and C.RDB$RELATION_NAME = :T "
        "order by S.RDB$FIELD_POSITION");
    q.setParam("T", catalogueName(db, table));
    q.open();
    std::vector<std::string> out;
    for (; !q.eof(); q.next()) out.push_back(q.field(0).asString());
    return out;
}

}  // namespace quorvel::engine

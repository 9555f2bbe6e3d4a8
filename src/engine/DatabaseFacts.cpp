#include "engine/DatabaseFacts.h"

#include "engine/Query.h"

namespace quorvel::engine {

DatabaseFacts readDatabaseFacts(Database& db) {
    Query q(db);
    q.setSql("select MON$DATABASE_NAME, MON$SQL_DIALECT from MON$DATABASE");
    q.open();
    DatabaseFacts facts;
    facts.fileName = q.field(0).asString();
    facts.sqlDialect = static_cast<int>(q.field(1).asInteger());
    q.close();
    q.setSql("select RDB$Character_Set_Name from RDB$Database");
    q.open();
    facts.defaultCharset = q.field(0).isNull() ? "NONE" : q.field(0).asString();
    q.close();
    return facts;
}

}  // namespace quorvel::engine

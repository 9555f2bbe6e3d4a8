#include "replica/Statements.h"

#include "engine/Query.h"
#include "replica/SqlText.h"

namespace quorvel::replica {

namespace {

void open(engine::Query& q, const std::string& sql) {
    q.setSql(sql);
    q.open();
}

}  // namespace

void run(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    for (const std::string& line : linesOf(sql)) q.addSql(line);
    q.execSql();
}

int64_t integerOf(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    open(q, sql);
    if (q.isEmpty() || q.field(0).isNull()) return 0;
    return q.field(0).asInteger();
}

std::string textOf(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    open(q, sql);
    return q.isEmpty() ? std::string() : q.field(0).asString();
}

std::vector<std::string> firstColumn(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    open(q, sql);
    std::vector<std::string> values;
    for (q.first(); !q.eof(); q.next()) values.push_back(q.field(0).asString());
    return values;
}

}  // namespace quorvel::replica

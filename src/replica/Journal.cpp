#include "replica/Journal.h"

#include "engine/Query.h"

namespace quorvel::replica {

Journal Journal::read(engine::Database& db) {
    Journal j;
    engine::Query q(db);
    q.setSql("select R$Code1, R$Code2, Operation from R$DeletedUpdated");
    q.setUnidirectional(true);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        const RecordCode code{q.field(0).asInteger(), q.field(1).asInteger()};
        const std::string op = q.field(2).asString();
        if (op == "U") j.updated_.insert(code);
        else if (op == "D") j.deleted_.insert(code);
    }
    q.close();
    return j;
}

}  // namespace quorvel::replica

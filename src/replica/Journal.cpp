#include "replica/Journal.h"

#include "engine/Query.h"
#include "replica/Presence.h"

namespace quorvel::replica {

namespace {

std::optional<int64_t> optional(const engine::Field& f) {
    if (f.isNull()) return std::nullopt;
    return f.asInteger();
}

}  // namespace

Journal Journal::read(engine::Database& db) {
    Journal j;
    const bool full = ColumnPresent(db, "R$DELETEDUPDATED", "FIRSTFILL");
    engine::Query q(db);
    q.setSql(full ? "select R$Code1, R$Code2, Operation, Origin, FirstFill, Seen from R$DeletedUpdated"
                  : "select R$Code1, R$Code2, Operation from R$DeletedUpdated");
    q.setUnidirectional(true);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        const RecordCode code{q.field(0).asInteger(), q.field(1).asInteger()};
        const std::string op = q.field(2).asString();
        JournalEntry e;
        if (full) e = {optional(q.field(3)), optional(q.field(4)), optional(q.field(5))};
        if (op == "U") j.updated_[code] = e;
        else if (op == "D") j.deleted_[code] = e;
    }
    q.close();
    return j;
}


}  // namespace quorvel::replica

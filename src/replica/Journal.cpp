#include "replica/Journal.h"

#include <cstdint>

#include "engine/Query.h"
#include "replica/Presence.h"

namespace quorvel::replica {

namespace {

std::optional<int64_t> optional(const engine::Field& f) {
    if (f.isNull()) return std::nullopt;
    return f.asInteger();
}

// Whether `a` is a later entry of the same row and operation than `b`: a
// row changed twice has two entries (users' transactions only add). One made
// here is later than one passed on from a clone (passing on removes what was
// there), then the one carried by the newer fill (not carried yet is
// newest), then the one made having seen more.
bool later(const JournalEntry& a, const JournalEntry& b) {
    if (!a.origin != !b.origin) return !a.origin;
    const int64_t never = INT64_MAX;
    if (a.first.value_or(never) != b.first.value_or(never)) return a.first.value_or(never) > b.first.value_or(never);
    return a.seen.value_or(-1) > b.seen.value_or(-1);
}

void keepLatest(std::unordered_map<RecordCode, JournalEntry, RecordCodeHash>& entries, const RecordCode& code,
                const JournalEntry& e) {
    const auto [it, added] = entries.emplace(code, e);
    if (!added && later(e, it->second)) it->second = e;
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
        if (op == "U") keepLatest(j.updated_, code, e);
        else if (op == "D") keepLatest(j.deleted_, code, e);
        else if (op == "K") keepLatest(j.kept_, code, e);
    }
    q.close();
    return j;
}


}  // namespace quorvel::replica

#include "replica/Journal.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>

#include "engine/Query.h"
#include "replica/Presence.h"

namespace quorvel::replica {

namespace {

bool fitsWord(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

bool laterEntry(const JournalEntry& a, const JournalEntry& b) {
    if (!a.origin != !b.origin) return !a.origin;
    const int64_t never = INT64_MAX;
    if (a.first.value_or(never) != b.first.value_or(never)) return a.first.value_or(never) > b.first.value_or(never);
    return a.seen.value_or(-1) > b.seen.value_or(-1);
}

const JournalEntry* Journal::find(const Slots& slots, const RecordCode& c) const {
    if (!fitsWord(c.high) || !fitsWord(c.low)) return nullptr;
    const auto it = std::lower_bound(slots.begin(), slots.end(), c, [](const Slot& s, const RecordCode& code) {
        return std::tie(s.high, s.low) < std::tie(code.high, code.low);
    });
    if (it == slots.end() || it->high != c.high || it->low != c.low) return nullptr;
    return &entries_[it->entry];
}

// Sorts the slots by code, the latest entry of a code first (of two equally
// late, the one read first), and keeps that one.
void Journal::keepLatest(Slots& slots) {
    std::stable_sort(slots.begin(), slots.end(), [this](const Slot& a, const Slot& b) {
        if (a.high != b.high || a.low != b.low) return std::tie(a.high, a.low) < std::tie(b.high, b.low);
        return laterEntry(entries_[a.entry], entries_[b.entry]);
    });
    slots.erase(std::unique(slots.begin(), slots.end(),
                            [](const Slot& a, const Slot& b) { return a.high == b.high && a.low == b.low; }),
                slots.end());
    slots.shrink_to_fit();
}

Journal Journal::read(engine::Database& db) {
    using engine::optionalInteger;
    Journal j;
    const bool full = ColumnPresent(db, "R$DELETEDUPDATED", "FIRSTFILL");
    using Key = std::tuple<std::optional<int64_t>, std::optional<int64_t>, std::optional<int64_t>>;
    std::map<Key, uint32_t> known;
    engine::Query q(db);
    q.setSql(full ? "select R$Code1, R$Code2, Operation, Origin, FirstFill, Seen from R$DeletedUpdated"
                  : "select R$Code1, R$Code2, Operation from R$DeletedUpdated");
    q.setUnidirectional(true);
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        const std::string op = q.field(2).asString();
        Slots* slots = op == "U" ? &j.updated_ : op == "D" ? &j.deleted_ : op == "K" ? &j.kept_ : nullptr;
        if (!slots) continue;
        JournalEntry e;
        if (full) e = {optionalInteger(q.field(3)), optionalInteger(q.field(4)), optionalInteger(q.field(5))};
        const auto [it, added] = known.emplace(Key{e.origin, e.first, e.seen}, static_cast<uint32_t>(j.entries_.size()));
        if (added) j.entries_.push_back(e);
        // The code columns are INTEGER: both words fit.
        slots->push_back({static_cast<int32_t>(q.field(0).asInteger()), static_cast<int32_t>(q.field(1).asInteger()),
                          it->second});
    }
    q.close();
    for (Slots* slots : {&j.updated_, &j.deleted_, &j.kept_}) j.keepLatest(*slots);
    return j;
}

}  // namespace quorvel::replica

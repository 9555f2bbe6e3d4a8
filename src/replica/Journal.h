#pragma once
// A journal (R$DELETEDUPDATED) read once into memory: which record codes a
// database updated ("U"), deleted ("D") and kept against a delete ("K") and has not yet seen acknowledged
// by every peer, with where each change was made and what its site had seen.
// The read asks it for every row it applies, so it is looked up in memory
// rather than asked of the server row by row.
//
// A fill may carry a million entries, so each is held in twelve bytes: its
// code in two 32-bit words (the journal's columns are INTEGER) and the index
// of its origin, first fill and seen among the distinct ones, which are few
// (a handful of sites and the fills since the last acknowledgement).
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::replica {

struct JournalEntry {
    std::optional<int64_t> origin;  // the site that made the change; none: made where the journal is
    std::optional<int64_t> first;   // the number of the first fill that carried it; none: not sent yet
    std::optional<int64_t> seen;    // at a clone: the last master fill it had read when it made the change
};

// Whether `a` is a later entry of the same row and operation than `b`: a
// row changed twice has two entries (users' transactions only add). One made
// here is later than one passed on from a clone (passing on removes what was
// there), then the one carried by the newer fill (not carried yet is
// newest), then the one made having seen more. The fill and the read rank
// entries by it alike.
bool laterEntry(const JournalEntry& a, const JournalEntry& b);

class Journal {
public:
    // Reads the whole journal of `db` (in its current transaction). A journal
    // of an earlier definition has no origin, first fill or seen.
    static Journal read(engine::Database& db);

    const JournalEntry* update(const RecordCode& c) const { return find(updated_, c); }
    const JournalEntry* deletion(const RecordCode& c) const { return find(deleted_, c); }
    // A "K" entry: the row was kept against a delete (and travels with an
    // update entry): a site that deleted it takes it back.
    const JournalEntry* keeping(const RecordCode& c) const { return find(kept_, c); }
    bool updated(const RecordCode& c) const { return update(c) != nullptr; }
    bool deleted(const RecordCode& c) const { return deletion(c) != nullptr; }
    std::size_t size() const { return updated_.size() + deleted_.size(); }

private:
    struct Slot {
        int32_t high, low;
        uint32_t entry;  // in `entries_`
    };
    // Sorted by code, one slot per code: the latest entry of it.
    using Slots = std::vector<Slot>;

    const JournalEntry* find(const Slots& slots, const RecordCode& c) const;
    void keepLatest(Slots& slots);

    std::vector<JournalEntry> entries_;  // the distinct ones
    Slots updated_, deleted_, kept_;
};

}  // namespace quorvel::replica

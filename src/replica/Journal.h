#pragma once
// A journal (R$DELETEDUPDATED) read once into memory: which record codes a
// database updated ("U"), deleted ("D") and kept against a delete ("K") and has not yet seen acknowledged
// by every peer, with where each change was made and what its site had seen.
// The read asks it for every row it applies, so it is looked up in memory
// rather than asked of the server row by row.
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::replica {

struct JournalEntry {
    std::optional<int64_t> origin;  // the site that made the change; none: made where the journal is
    std::optional<int64_t> first;   // the number of the first fill that carried it; none: not sent yet
    std::optional<int64_t> seen;    // at a clone: the last master fill it had read when it made the change
};

class Journal {
public:
    // Reads the whole journal of `db` (in its current transaction). A journal
    // of an earlier definition has no origin, first fill or seen.
    static Journal read(engine::Database& db);

    const JournalEntry* update(const RecordCode& c) const {
        const auto it = updated_.find(c);
        return it == updated_.end() ? nullptr : &it->second;
    }
    const JournalEntry* deletion(const RecordCode& c) const {
        const auto it = deleted_.find(c);
        return it == deleted_.end() ? nullptr : &it->second;
    }
    // A "K" entry: the row was kept against a delete (and travels with an
    // update entry): a site that deleted it takes it back.
    const JournalEntry* keeping(const RecordCode& c) const {
        const auto it = kept_.find(c);
        return it == kept_.end() ? nullptr : &it->second;
    }
    bool updated(const RecordCode& c) const { return updated_.count(c) != 0; }
    bool deleted(const RecordCode& c) const { return deleted_.count(c) != 0; }
    std::size_t size() const { return updated_.size() + deleted_.size(); }


private:
    std::unordered_map<RecordCode, JournalEntry, RecordCodeHash> updated_;
    std::unordered_map<RecordCode, JournalEntry, RecordCodeHash> deleted_;
    std::unordered_map<RecordCode, JournalEntry, RecordCodeHash> kept_;
};

}  // namespace quorvel::replica

#pragma once
// A journal (R$DELETEDUPDATED) read once into memory: which record codes a
// database updated ("U") and deleted ("D") since its journal was last
// emptied. The read asks it for every row it applies, so it is looked up in
// memory rather than asked of the server row by row.
#include <unordered_set>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::replica {

class Journal {
public:
    // Reads the whole journal of `db` (in its current transaction).
    static Journal read(engine::Database& db);

    bool updated(const RecordCode& c) const { return updated_.count(c) != 0; }
    bool deleted(const RecordCode& c) const { return deleted_.count(c) != 0; }
    std::size_t size() const { return updated_.size() + deleted_.size(); }

private:
    std::unordered_set<RecordCode, RecordCodeHash> updated_;
    std::unordered_set<RecordCode, RecordCodeHash> deleted_;
};

}  // namespace quorvel::replica

#pragma once
// Asks the local journal (R$DeletedUpdated) whether it holds a "U" entry for
// a record code, i.e. whether this database itself has updated that record
// since its journal was last emptied. For transfers that have not read the
// journal into memory.
//
// The journal's update entries are read once, on first use, and kept: a
// transfer of many rows asks the database once, not once per row.
#include <optional>
#include <unordered_set>

#include "engine/Database.h"
#include "engine/Query.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

class JournalLookup {
public:
    explicit JournalLookup(engine::Database& local);
    ~JournalLookup();

    bool updatedHere(const replica::RecordCode& code);

private:
    engine::Database& local_;
    std::optional<std::unordered_set<replica::RecordCode, replica::RecordCodeHash>> updated_;
};

}  // namespace quorvel::synchro

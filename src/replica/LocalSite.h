#pragma once
// What the fill and the read need to know of the local database before they
// move a row, as its replication objects record it: its identity, the upper
// bound of its own record codes, and the newest mark of its synchronization
// history.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::replica {

struct LocalSite {
    std::string identity;  // NAME of the R$CLONE row marked ME = "Y"
    RecordCode bound;      // its MaxValue1, MaxValue2
    int64_t lastNumber = 0;
    RecordCode mark;       // codes of the history row numbered lastNumber

    bool isMaster() const { return identity == "MASTER"; }

    // Reads it in the current transaction of `db`; throws Refused with a
    // message the operator can act on when the identity row or the history
    // is missing.
    static LocalSite read(engine::Database& db);
};

// The NAME of the R$CLONE row marked ME = "Y": the database's own identity,
// "" when no row is marked.
std::string identityOf(engine::Database& db);

// Where the range of the site numbered one below this one ends: this site's
// range starts after it. nullopt at the master, or when that row has no bound.
std::optional<RecordCode> boundBelow(engine::Database& db);

// The last record code the site drew (its code generators), in the open
// transaction.
RecordCode codesDrawn(engine::Database& db);

// A warning naming the site when its record codes are used up, or from 90 %
// of its range on: no row can be inserted past the bound. nullopt while
// there is room.
std::optional<std::string> codesPastBound(engine::Database& db, const LocalSite& site);

}  // namespace quorvel::replica

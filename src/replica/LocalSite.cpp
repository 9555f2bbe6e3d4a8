#include "replica/LocalSite.h"

#include "engine/Query.h"
#include "operation/Refused.h"
#include "replica/Statements.h"

namespace quorvel::replica {

LocalSite LocalSite::read(engine::Database& db) {
    LocalSite s;
    engine::Query q(db);
    q.setSql("select Name, MaxValue1, MaxValue2 from R$Clone where ME = 'Y'");
    q.open();
    if (q.eof())
        throw Refused("This database has no identity: no row of R$CLONE is marked ME = \"Y\". "
                      "Create the meta structures (or update the clone) first.");
    s.identity = q.field(0).asString();
    if (q.field(1).isNull() || q.field(2).isNull())
        throw Refused("The identity row " + s.identity + " of R$CLONE has no upper bound (MaxValue1, MaxValue2).");
    s.bound = {q.field(1).asInteger(), q.field(2).asInteger()};
    q.close();

    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro order by SynchroNumber desc");
    q.open();
    if (q.eof() || q.field(1).isNull() || q.field(2).isNull())
        throw Refused("No synchronization mark: the history (R$SYNCHRO) is empty. "
                      "Recreate the triggers first, which numbers the rows and writes the first mark.");
    s.lastNumber = q.field(0).asInteger();
    s.mark = {q.field(1).asInteger(), q.field(2).asInteger()};
    q.close();
    return s;
}

std::string identityOf(engine::Database& db) { return textOf(db, "select Name from R$CLONE where ME = 'Y'"); }

std::optional<RecordCode> boundBelow(engine::Database& db) {
    const int64_t number = integerOf(db, "select Number from R$Clone where ME = 'Y'");
    if (number <= 0) return std::nullopt;
    engine::Query q(db);
    q.setSql("select MaxValue1, MaxValue2 from R$Clone where Number = " + std::to_string(number - 1));
    q.open();
    if (q.eof() || q.field(0).isNull() || q.field(1).isNull()) return std::nullopt;
    return RecordCode{q.field(0).asInteger(), q.field(1).asInteger()};
}

RecordCode codesDrawn(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select gen_id(R$Gen1, 0), gen_id(R$Gen2, 0) from RDB$Database");
    q.open();
    return {q.field(0).asInteger(), q.field(1).asInteger()};
}

std::optional<std::string> codesPastBound(engine::Database& db, const LocalSite& site) {
    const RecordCode drawn = codesDrawn(db);
    if (drawn < site.bound) {
        // From 90 % of the range on, while there is time to act. The range
        // starts after the bound of the site numbered one below (the master's
        // at (0, 0)); codes count 2000000001 to a high word.
        const auto linear = [](const RecordCode& c) { return c.high * 2000000001LL + c.low; };
        const std::optional<RecordCode> below = boundBelow(db);
        const RecordCode start = below.value_or(RecordCode{0, 0});
        const bool clone = site.identity != "MASTER";
        const int64_t size = linear(site.bound) - linear(start), used = linear(drawn) - linear(start);
        if (size <= 0 || used * 10 < size * 9) return std::nullopt;
        return "Warning: " + std::to_string(used * 100 / size) + "% of the record codes of " + site.identity +
               " are used: its range ends at " + site.bound.text() + " and its code generator stands at " +
               drawn.text() + ". When they are used up, no row can be inserted there" +
               (clone ? ": make the clone again with a new range before (delete-clone, make-clone)."
                           : ".");
    }
    return "Warning: the record codes of " + site.identity + " are used up: its range ends at " +
           site.bound.text() + " and its code generator stands at " + drawn.text() +
           ". No row can be inserted there any more; a row an earlier version gave a code beyond the end is "
           "never sent by a fill.";
}

}  // namespace quorvel::replica

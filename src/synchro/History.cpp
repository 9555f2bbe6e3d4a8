// The synchronization history's delete and "Success", which ends a cycle by
// emptying the local journal.
#include <optional>
#include <string>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "synchro/Operations.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {

int64_t integerOf(engine::Database& db, const std::string& select) {
    engine::Query q(db);
    q.setSql(select);
    q.open();
    return q.eof() || q.field(0).isNull() ? 0 : q.field(0).asInteger();
}

// The number of this site's first mark, from which its fills count: the
// oldest history row whose mark lies above the range of the database
// numbered one below this site. A clone's copy keeps the master's rows from
// its backup below its own first mark; on the master it is the oldest row.
std::optional<int64_t> firstOwnMark(engine::Database& db) {
    engine::Query q(db);
    std::optional<RecordCode> below;
    q.setSql("select Number from R$Clone where ME = \"Y\"");
    q.open();
    const int64_t number = q.eof() || q.field(0).isNull() ? 0 : q.field(0).asInteger();
    q.close();
    if (number > 0) {
        q.setSql("select MaxValue1, MaxValue2 from R$Clone where Number = " + std::to_string(number - 1));
        q.open();
        if (!q.eof() && !q.field(0).isNull() && !q.field(1).isNull())
            below = RecordCode{q.field(0).asInteger(), q.field(1).asInteger()};
        q.close();
    }
    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro order by SynchroNumber");
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        if (q.field(1).isNull() || q.field(2).isNull()) continue;
        if (!below || RecordCode{q.field(1).asInteger(), q.field(2).asInteger()} > *below)
            return q.field(0).asInteger();
    }
    return std::nullopt;
}

// Why history row `number` may not be deleted; nullopt when it may. Only the
// newest row goes, so that the next fill counts from the row below it and
// sends again what that fill sent; an older row would change no mark.
std::optional<std::string> undeletable(engine::Database& local, int64_t number) {
    engine::Transaction tx(local);
    const std::string n = std::to_string(number);
    const bool held = integerOf(local, "select count(*) from R$SYNCHRO where SynchroNumber = " + n) != 0;
    const int64_t newest = integerOf(local, "select max(SynchroNumber) from R$SYNCHRO");
    if (!held) return "There is no history row " + n + ".";
    if (number != newest)
        return "Only the newest history row, " + std::to_string(newest) +
               ", may be deleted: the history is deleted from the newest row down.";
    if (firstOwnMark(local) == number)
        return "History row " + n + " is this site's first mark, from which its fills count: it cannot be deleted.";
    return std::nullopt;
}

}  // namespace

Outcome DelSynchro(engine::Database& local, Reporter& reporter, std::optional<int64_t> synchroNumber) {
    return runOperation(reporter, [&]() -> Outcome {
        if (!local.connected() || !synchroNumber) throw Refused("List is empty!");
        if (auto why = undeletable(local, *synchroNumber)) throw Refused(*why);
        if (!reporter.confirm("Delete now?")) return Outcome::cancelled();
        engine::Transaction tx(local);
        local.execute("delete from R$SYNCHRO where SynchroNumber = " + std::to_string(*synchroNumber));
        tx.commit();
        reporter.notice("The next fill sends again what fill " + std::to_string(*synchroNumber) + " sent.");
        return Outcome::done();
    });
}

Outcome Success(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        // Only the first mark, written when the triggers were made: this
        // database has never filled, and its journal holds changes no site
        // has received.
        if (integerOf(local, "select count(*) from R$SYNCHRO") < 2)
            throw Refused("This database has not filled a synchro database yet: \"Success\" would "
                          "drop changes that no site has received.");
        if (!reporter.confirm("Are you sure?")) return Outcome::cancelled();
        engine::Transaction tx(local);
        local.execute("delete from R$DeletedUpdated");
        tx.commit();
        return Outcome::done();
    });
}

}  // namespace quorvel::synchro

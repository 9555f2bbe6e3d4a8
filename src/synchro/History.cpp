// The synchronization history's delete, and "Success", which prunes from the
// local journal what every peer has acknowledged (a fill prunes the same).
#include <optional>
#include <string>

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "synchro/Operations.h"
#include "replica/Acknowledgements.h"
#include "replica/ExchangeLog.h"
#include "replica/SchemaVersion.h"
#include "replica/RecordCode.h"
#include "synchro/SynchroIdentity.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {

int64_t integerOf(engine::Database& db, const std::string& select) {
    engine::Query q(db);
    q.setSql(select);
    q.open();
    return q.eof() || q.field(0).isNull() ? 0 : q.field(0).asInteger();
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
    if (replica::firstOwnMark(local) == number)
        return "History row " + n + " is this site's first mark, from which its fills count: it cannot be deleted.";
    return std::nullopt;
}

}  // namespace

Outcome DelSynchro(engine::Database& local, Reporter& reporter, std::optional<int64_t> synchroNumber) {
    const replica::LogEntry entry{"delete-history", {}, synchroNumber, {}, false};
    return replica::logged(local, entry, runOperation(reporter, [&]() -> Outcome {
        if (!local.connected() || !synchroNumber) throw Refused("List is empty!");
        if (auto why = undeletable(local, *synchroNumber)) throw Refused(*why);
        const std::string n = std::to_string(*synchroNumber);
        if (!reporter.confirm("Delete history row " + n + " (the mark of fill " + n +
                              ")? The next fill sends again what fill " + n + " sent.\n\nDelete now?"))
            return Outcome::cancelled();
        engine::Transaction tx(local);
        local.execute("delete from R$SYNCHRO where SynchroNumber = " + n);
        tx.commit();
        reporter.notice("The next fill sends again what fill " + std::to_string(*synchroNumber) + " sent.");
        return Outcome::done();
    }));
}

Outcome Success(engine::Database& local, Reporter& reporter) {
    return replica::logged(local, "success", runOperation(reporter, [&]() -> Outcome {
        // Only the first mark, written when the triggers were made: this
        // database has never filled, and its journal holds changes no site
        // has received.
        if (integerOf(local, "select count(*) from R$SYNCHRO") < 2)
            throw Refused("This database has not filled a synchro database yet: \"Success\" would "
                          "drop changes that no site has received.");
        replica::requireCurrentVersion(local);
        if (!reporter.confirm("Are you sure?")) return Outcome::cancelled();
        engine::Transaction tx(local);
        // Only what every peer has read goes: an entry a peer has not
        // acknowledged is still on its way there.
        const std::vector<replica::Peer> peers = replica::readPeers(local);
        const int64_t last = replica::lastFillNumber(local);
        const int64_t all = replica::acknowledgedByAll(peers, last);
        for (const replica::Peer& p : peers)
            if (p.acknowledged < last)
                reporter.notice(siteText(p.name) + " has not read fill no. " + std::to_string(last) + " yet (" +
                                (p.acknowledged ? "it has read no. " + std::to_string(p.acknowledged)
                                                : std::string("it has read none")) +
                                "): what it has not read stays in the journal.");
        const int64_t before = integerOf(local, "select count(*) from R$DeletedUpdated");
        local.execute("delete from R$DeletedUpdated where FirstFill <= " + std::to_string(all));
        const int64_t after = integerOf(local, "select count(*) from R$DeletedUpdated");
        tx.commit();
        reporter.notice("Journal entries removed: " + std::to_string(before - after) + "; kept: " +
                        std::to_string(after) + ".");
        return Outcome::done();
    }));
}

}  // namespace quorvel::synchro

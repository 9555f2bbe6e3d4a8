#include "synchro/TakeUnsent.h"

#include <optional>

#include "engine/Query.h"
#include "engine/Table.h"
#include "engine/Transaction.h"
#include "replica/ReplicationSchema.h"
#include "replica/Acknowledgements.h"
#include "replica/Captured.h"
#include "replica/Journal.h"
#include "replica/LocalSite.h"
#include "replica/RecordCode.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"
#include "replica/TableLists.h"
#include "synchro/ArrivalJournal.h"
#include "synchro/ArrivalRules.h"
#include "synchro/ColumnFit.h"
#include "synchro/ReadPasses.h"
#include "synchro/TableCheck.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {

std::string inRange(const RecordCode& above, const RecordCode& upTo) {
    return "(" + replica::codeAbove(above) + " and not " + replica::codeAbove(upTo) + ")";
}

}  // namespace

UnsentWork takeUnsentWork(engine::Database& master, engine::Database& restored, int64_t clone, int64_t lastRead,
                          Reporter& reporter, const std::function<void()>& inTransaction) {
    UnsentWork work;
    const std::vector<std::string> order = replica::tableOrder(master);
    requireTables(restored, master, order, "the restored clone's database");
    requireColumnsFit({restored, "the restored clone's database"}, {master, "the master"}, order);

    // The restored file's transaction is never committed: what it leaves
    // out of its journal here is only for this run to see.
    engine::Transaction restoredTx(restored, engine::Database::Isolation::Snapshot);
    engine::Transaction masterTx(master, engine::Database::Isolation::Snapshot);
    master.execute(replica::schema::kPassOverTriggers);

    const int64_t ownLast = replica::lastFillNumber(restored);
    const bool madeLastRead = lastRead <= ownLast;
    const RecordCode bound = replica::LocalSite::read(restored).bound;
    const RecordCode mark = replica::markOfFill(restored, madeLastRead ? lastRead : ownLast).code;
    // Both journals whole: what their triggers captured joins them first.
    const std::vector<replica::Peer> restoredPeers = replica::readPeers(restored);
    replica::absorbCaptured(restored, {std::nullopt, replica::seenAtClone(restoredPeers)});
    replica::absorbCaptured(master);
    replica::stampSeen(restored, restoredPeers);
    replica::run(restored, "delete from R$DeletedUpdated where FirstFill <= " + std::to_string(lastRead));
    if (!madeLastRead) {
        replica::run(restored, "delete from R$DeletedUpdated where " + inRange(mark, bound));
        for (const std::string& table : order) {
            const int64_t n = replica::integerOf(
                restored, "select count(*) from " + restored.identifier(table) + " where " + inRange(mark, bound));
            if (n == 0) continue;
            work.leftBehind += n;
            work.leftIn.push_back(table);
        }
    }

    const replica::Journal local = replica::Journal::read(master);
    const replica::Journal sent = replica::Journal::read(restored);
    ArrivalRules rules(true, 0, clone, local, sent, std::nullopt);
    engine::Query rows(restored);
    engine::Table target(master);
    // Nothing above the mark is new when the file's later rows are left behind.
    ReadContext cx{master, reporter, true, madeLastRead ? mark : bound, rules, rows, target, {}, bound};
    for (const std::string& t : order) work.applied.tables.push_back({t});
    auto each = [&](const char* caption, bool forwards,
                    void (*run)(ReadContext&, const std::string&, ReadReport::Table&)) {
        reporter.step(caption);
        const int n = static_cast<int>(order.size());
        for (int i = 0; i < n; ++i) {
            const int k = forwards ? i : n - 1 - i;
            run(cx, order[k], work.applied.tables[k]);
        }
    };
    each("DELETE", false, deletePass);
    each("INSERT", true, insertPass);
    each("UPDATE", false, updatePass);
    journalArrivals(master, rules);
    inTransaction();
    masterTx.commit();
    return work;
}

}  // namespace quorvel::synchro

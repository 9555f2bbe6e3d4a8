#include "replica/Acknowledgements.h"

#include <algorithm>

#include "engine/Query.h"
#include "operation/Refused.h"
#include "replica/Captured.h"
#include "replica/LocalSite.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

std::string dateOrNull(const std::string& date) { return date.empty() ? "null" : quoted(date); }

void writePeer(engine::Database& db, const Peer& p) {
    run(db, "delete from R$Peers where SiteNumber = " + std::to_string(p.number));
    run(db, "insert into R$Peers values (" + std::to_string(p.number) + ", " + quoted(p.name) + ", " +
                std::to_string(p.lastRead) + ", " + dateOrNull(p.lastReadDate) + ", " +
                std::to_string(p.acknowledged) + ", " + dateOrNull(p.acknowledgedDate) + ")");
}

}  // namespace

std::vector<Peer> readPeers(engine::Database& db) {
    const bool master = textOf(db, "select Name from R$Clone where ME = 'Y'") == "MASTER";
    engine::Query q(db);
    q.setSql("select C.Number, C.Name, P.LastRead, P.LastReadDate, P.Acknowledged, P.AcknowledgedDate\n"
             "from R$Clone C left join R$Peers P on P.SiteNumber = C.Number\n"
             "where (C.ME is null or C.ME not in ('Y', 'R')) and C.Number " +
             std::string(master ? "> 0" : "= 0") + "\norder by C.Number");
    q.open();
    std::vector<Peer> peers;
    for (q.first(); !q.eof(); q.next()) {
        Peer p;
        p.number = q.field(0).asInteger();
        p.name = q.field(1).asString();
        p.lastRead = q.field(2).isNull() ? 0 : q.field(2).asInteger();
        p.lastReadDate = q.field(3).isNull() ? "" : q.field(3).asString();
        p.acknowledged = q.field(4).isNull() ? 0 : q.field(4).asInteger();
        p.acknowledgedDate = q.field(5).isNull() ? "" : q.field(5).asString();
        peers.push_back(p);
    }
    return peers;
}

int64_t acknowledgedByAll(const std::vector<Peer>& peers, int64_t lastFill) {
    int64_t low = lastFill;
    for (const Peer& p : peers) low = std::min(low, p.acknowledged);
    return low;
}

void markCarriedBy(engine::Database& db, int64_t fillNumber) {
    run(db, "update R$DeletedUpdated set FirstFill = " + std::to_string(fillNumber) + " where FirstFill is null");
}

std::optional<int64_t> seenAtClone(const std::vector<Peer>& peers) {
    for (const Peer& p : peers)
        if (p.number == 0) return p.lastRead;
    return std::nullopt;
}

void stampSeen(engine::Database& db, const std::vector<Peer>& peers) {
    if (const std::optional<int64_t> seen = seenAtClone(peers))
        run(db, "update R$DeletedUpdated set Seen = " + std::to_string(*seen) + " where Seen is null");
}

int64_t lastFillNumber(engine::Database& db) {
    return std::max(integerOf(db, "select gen_id(R$FillNumber, 0) from RDB$Database"),
                    integerOf(db, "select max(SynchroNumber) from R$Synchro"));
}

int64_t drawFillNumber(engine::Database& db) {
    const int64_t next = lastFillNumber(db) + 1;
    const int64_t now = integerOf(db, "select gen_id(R$FillNumber, 0) from RDB$Database");
    integerOf(db, "select gen_id(R$FillNumber, " + std::to_string(next - now) + ") from RDB$Database");
    return next;
}

void recordRead(engine::Database& db, const Peer& peer, int64_t fillNumber, int64_t ackOfOurs,
                const std::string& date) {
    Peer p = peer;
    p.lastRead = fillNumber;
    p.lastReadDate = date;
    if (ackOfOurs > p.acknowledged) {
        p.acknowledged = ackOfOurs;
        p.acknowledgedDate = date;
    }
    writePeer(db, p);
}

std::optional<int64_t> firstOwnMark(engine::Database& db) {
    // The oldest history row whose mark lies above the range of the database
    // numbered one below this site; on the master, the oldest row.
    const std::optional<RecordCode> below = boundBelow(db);
    engine::Query q(db);
    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro order by SynchroNumber");
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        if (q.field(1).isNull() || q.field(2).isNull()) continue;
        if (!below || RecordCode{q.field(1).asInteger(), q.field(2).asInteger()} > *below)
            return q.field(0).asInteger();
    }
    return std::nullopt;
}

HistoryMark markOfFill(engine::Database& db, int64_t acknowledged) {
    const std::optional<int64_t> first = firstOwnMark(db);
    if (!first)
        throw Refused("No synchronization mark: the history (R$SYNCHRO) is empty. "
                      "Recreate the triggers first, which numbers the rows and writes the first mark.");
    const int64_t upTo = std::max(acknowledged, *first);
    engine::Query q(db);
    q.setSql("select SynchroNumber, R$Code1, R$Code2 from R$Synchro where SynchroNumber = (select max(SynchroNumber) "
             "from R$Synchro where SynchroNumber between " + std::to_string(*first) + " and " +
             std::to_string(upTo) + ")");
    q.open();
    return {q.field(0).asInteger(), {q.field(1).asInteger(), q.field(2).asInteger()}};
}

int64_t registerPeer(engine::Database& master, int64_t number, const std::string& name, const std::string& date) {
    const int64_t fill = drawFillNumber(master);
    // Every change made here so far counts as read by the new clone, whose
    // copy holds it, those the triggers captured too: stamped later, the
    // master's change would outrank the clone's later edit of the same row.
    absorbCaptured(master, {fill, std::nullopt});
    markCarriedBy(master, fill);
    Peer p;
    p.number = number;
    p.name = name;
    p.acknowledged = fill;
    p.acknowledgedDate = date;
    writePeer(master, p);
    return fill;
}

void startClonePeers(engine::Database& clone, int64_t cloneNumber, const std::string& date) {
    // The copy holds the master's own acknowledgement of this clone: the
    // number its registration drew, which the backup's state has read.
    int64_t read = integerOf(clone, "select Acknowledged from R$Peers where SiteNumber = " +
                                        std::to_string(cloneNumber));
    if (read == 0) read = lastFillNumber(clone);
    run(clone, "delete from R$Peers");
    Peer master;
    master.number = 0;
    master.name = "MASTER";
    master.lastRead = read;
    master.lastReadDate = date;
    writePeer(clone, master);
}

}  // namespace quorvel::replica

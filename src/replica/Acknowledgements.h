#pragma once
// What the sites of one replication set know of each other. Every fill has a
// number that only rises (the generator R$FILLNUMBER: a number is never used
// twice, also when the newest history row is deleted). Each site keeps, per
// peer (at the master every registered clone, at a clone the master), in
// R$PEERS: the last fill it read from that peer, and the last of its own
// fills that the peer has acknowledged. A fill sends everything its peers
// have not all acknowledged, and prunes from the journal what all have.
//
// The journal entries carry three more columns: ORIGIN, the number of the
// site that made the change (NULL: made here; the master's read writes the
// clone's number when it passes a clone's change on), FIRSTFILL, the number
// of the first fill of this site that carries the entry (NULL: not sent yet),
// and SEEN, at a clone the number of the last master fill it had read when
// the change was made.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::replica {

struct Peer {
    int64_t number = 0;       // the peer's NUMBER in R$CLONE (0: the master)
    std::string name;         // its NAME in R$CLONE
    int64_t lastRead = 0;     // the number of its last fill read here (0: none)
    std::string lastReadDate;
    int64_t acknowledged = 0; // the number of this site's last fill it has read (0: none)
    std::string acknowledgedDate;
};

// The registered peers of the local site, with what each has read and
// acknowledged; a peer never heard from has 0 for both. In the current
// transaction. A clone deleted (retired) from the registry is no peer any more.
std::vector<Peer> readPeers(engine::Database& db);

// The lowest number of this site's fills that every peer has acknowledged
// (with no peer: the last fill number, for nothing is waited for).
int64_t acknowledgedByAll(const std::vector<Peer>& peers, int64_t lastFill);

// Stamps the journal entries no fill has carried yet as carried by fill
// `fillNumber`.
void markCarriedBy(engine::Database& db, int64_t fillNumber);
// At a clone (its one peer is the master, number 0): the changes made since
// its last read of the master had seen the master's fills up to that read.
// Stamped before a fill sends them and before a read compares them.
void stampSeen(engine::Database& db, const std::vector<Peer>& peers);
// What stampSeen stamps: at a clone the master's last fill read; none at the master.
std::optional<int64_t> seenAtClone(const std::vector<Peer>& peers);

// The number of this site's last fill (0: none yet) and a new one, higher
// than every number used before. Drawing is not undone by a rollback, so a
// number is used at most once.
int64_t lastFillNumber(engine::Database& db);
int64_t drawFillNumber(engine::Database& db);

// Records what the read of `peer`'s fill `fillNumber` learnt: that fill read
// here, and the peer's acknowledgement of this site's fills (it only rises).
void recordRead(engine::Database& db, const Peer& peer, int64_t fillNumber, int64_t ackOfOurs,
                const std::string& date);

// The mark from which a fill counts its new rows when every peer has
// acknowledged fill `acknowledged`: the newest own history row not above it,
// and never below the site's first own mark.
struct HistoryMark {
    int64_t number = 0;
    RecordCode code;
};
HistoryMark markOfFill(engine::Database& db, int64_t acknowledged);

// The number of this site's first own history row, from which its fills
// count (a clone's copy keeps the master's rows below it).
std::optional<int64_t> firstOwnMark(engine::Database& db);

// Registering a clone counts as a master fill that only the new clone reads,
// through the backup: the entries made so far are stamped as carried by it,
// and the clone's acknowledgement starts there. Returns the number; in the
// current transaction.
int64_t registerPeer(engine::Database& master, int64_t number, const std::string& name, const std::string& date);

// On a restored copy becoming clone `name`: the master is its one peer; what
// the backup held counts as read, up to the registration's number.
void startClonePeers(engine::Database& clone, int64_t cloneNumber, const std::string& date);

}  // namespace quorvel::replica

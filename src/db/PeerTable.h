#pragma once
// Who has read what: the local site's peers as `status` and the window show
// them, with this site's last fill. Read only: a database armed by an
// earlier version, without the peers' table yet, is shown as not recorded
// and left as it is.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "replica/Acknowledgements.h"

namespace quorvel {

struct PeerTable {
    bool recorded = false;  // false: the database has no table of peers yet
    int64_t lastFill = 0;   // this site's last fill (0: none yet)
    std::vector<replica::Peer> peers;
};

// In the current transaction, or in a read of its own that changes nothing.
PeerTable ReadPeerTable(engine::Database& local);

// A fill as the tables show it: "3 (2026-12-08)", or "none" for number 0.
std::string fillText(int64_t number, const std::string& date);

// The three columns of a peer's line: its name, the last of its fills read
// here, the last of this site's fills it has read.
std::vector<std::string> peerColumnTitles();
std::vector<std::string> peerLine(const replica::Peer& peer);

}  // namespace quorvel

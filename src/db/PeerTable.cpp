#include "db/PeerTable.h"

#include <optional>

#include "engine/Transaction.h"
#include "replica/SchemaVersion.h"

namespace quorvel {

namespace {

// A date-and-time column written as a date alone keeps a time of midnight,
// which says nothing.
std::string dateOnly(const std::string& date) {
    const std::string midnight = " 00:00:00";
    const auto at = date.find(midnight);
    return at == std::string::npos ? date : date.substr(0, at);
}

}  // namespace

PeerTable ReadPeerTable(engine::Database& local) {
    PeerTable table;
    std::optional<engine::Transaction> read;
    if (!local.inTransaction()) read.emplace(local);  // rolled back: a look changes nothing
    if (replica::localVersion(local) < 2) return table;  // an earlier version recorded no peers
    table.recorded = true;
    table.lastFill = replica::lastFillNumber(local);
    table.peers = replica::readPeers(local);
    return table;
}

std::string fillText(int64_t number, const std::string& date) {
    if (number == 0) return "none";
    const std::string day = dateOnly(date);
    return std::to_string(number) + (day.empty() ? "" : " (" + day + ")");
}

std::vector<std::string> peerColumnTitles() {
    return {"Site", "Its last fill read here", "Has read this site's fill"};
}

std::vector<std::string> peerLine(const replica::Peer& peer) {
    return {peer.name, fillText(peer.lastRead, peer.lastReadDate),
            fillText(peer.acknowledged, peer.acknowledgedDate)};
}

}  // namespace quorvel

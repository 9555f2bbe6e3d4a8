#pragma once
// The exchange log of a database: every fill, read, success, history
// deletion, settling and trigger switch, with its time to the second, the
// operating-system user and the database user, the peer and the fill number,
// the counts, how it ended and its message. Kept apart from the history, so
// deleting history rows leaves it; it prunes itself only by the age the
// administrator sets (R$SCHEMA.LOGDAYS; none: kept for ever).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/Database.h"
#include "operation/Outcome.h"

namespace quorvel::replica {

struct LogEntry {
    std::string action;                 // "fill", "read", "success", "delete-history", "settle", "triggers-off"...
    std::string peer;                   // the site a read's fill came from; "" when none
    std::optional<int64_t> fillNumber;  // the fill made or read
    std::string counts;                 // per table, as the operation tells them
    bool collision = false;             // a read that stopped on a row to settle
};

// Records how `outcome` ended `entry`, in a transaction of its own. Silent
// where the database has no log (not prepared, or not yet upgraded) or the
// write fails: the log never changes what an operation did or says.
void logOutcome(engine::Database& db, const LogEntry& entry, const Outcome& outcome);

// `outcome`, logged as the end of `entry`, or of `action` alone.
inline Outcome logged(engine::Database& db, const LogEntry& entry, Outcome outcome) {
    logOutcome(db, entry, outcome);
    return outcome;
}
inline Outcome logged(engine::Database& db, const char* action, Outcome outcome) {
    return logged(db, LogEntry{action, {}, std::nullopt, {}, false}, std::move(outcome));
}

struct LoggedEvent {
    std::string moment;  // "YYYY-MM-DD HH:MM:SS"
    std::string action, osUser, dbUser, peer;
    std::optional<int64_t> fillNumber;
    std::string outcome, counts, message;
};
// The entries from `since` on ("" for all; a date or a timestamp as the
// server reads it), oldest first. In a transaction of its own.
std::vector<LoggedEvent> readLog(engine::Database& db, const std::string& since);
// How many days the log keeps its entries; nullopt keeps them for ever.
void setLogDays(engine::Database& db, std::optional<int> days);
std::optional<int> logDays(engine::Database& db);

}  // namespace quorvel::replica

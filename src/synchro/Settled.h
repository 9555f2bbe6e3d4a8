#pragma once
// What an operator decided here about a peer's fill when a read stopped on a
// collision (R$SETTLED): that sender's "D" entry of a row kept here, or its
// row this site does not take, passed over by every later read of the same
// change. The synchro file is never edited: the master's one file is read by
// every clone, and what one of them decides is its own.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "engine/Database.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

// The sender of a file of an earlier format, which does not tell who filled it.
constexpr int64_t kUnknownSender = -1;

class Settled {
public:
    enum class What : char { Deletion = 'D', Row = 'R' };

    // The decisions about `sender`'s fills, in the current transaction (none
    // in a database of an earlier version).
    static Settled read(engine::Database& local, int64_t sender);
    // Records, in the current transaction, that the change of `code` the
    // sender's fill `fill` carries is passed over here.
    static void record(engine::Database& local, int64_t sender, int64_t fill, const std::string& table,
                       const replica::RecordCode& code, What what);

    // Whether the sender's change of `code`, first carried by its fill
    // `first` (unknown in an older file), is one decided on here: a later
    // change of the same row is not.
    bool passesOver(const replica::RecordCode& code, What what, std::optional<int64_t> first) const;

private:
    std::map<std::pair<replica::RecordCode, char>, int64_t> upTo_;
};

}  // namespace quorvel::synchro

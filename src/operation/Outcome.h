#pragma once
// How an operation ended, as a script and the window need to know it: done,
// refused before anything was changed (with the reason), cancelled by the
// user at a confirmation, or failed (with the server's message). Exit codes
// and the window's reactions are read from here, never guessed from what was
// shown on the way.
#include <string>
#include <utility>

#include "engine/Error.h"

namespace quorvel {

class Outcome {
public:
    enum class Kind { Done, Refused, Cancelled, Failed };

    static Outcome done() { return Outcome(Kind::Done, {}); }
    static Outcome refused(std::string why) { return Outcome(Kind::Refused, std::move(why)); }
    static Outcome cancelled() { return Outcome(Kind::Cancelled, "Cancelled: nothing was changed."); }
    static Outcome failed(std::string why, engine::Failure failure = engine::Failure::Other) {
        Outcome o(Kind::Failed, std::move(why));
        o.failure_ = failure;
        return o;
    }

    Kind kind() const { return kind_; }
    bool isDone() const { return kind_ == Kind::Done; }
    const std::string& message() const { return message_; }
    // What the server said a failure was: a caller tells a lock conflict or
    // a lost connection (read again later) from a fault of the data.
    engine::Failure failure() const { return failure_; }
    // A failure of the moment, not of the data: a row another user holds, a
    // file another process holds, a lost connection. The same work may
    // succeed when tried again later.
    bool retryLater() const {
        return kind_ == Kind::Failed &&
               (failure_ == engine::Failure::LockConflict || failure_ == engine::Failure::FileInUse ||
                failure_ == engine::Failure::ConnectionLost);
    }

    // 0 when done; 1 for every other ending (a declined confirmation is not
    // success for a script that asked for the work to be done).
    int exitCode() const { return isDone() ? 0 : 1; }

private:
    Outcome(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
    Kind kind_;
    std::string message_;
    engine::Failure failure_ = engine::Failure::Other;
};

}  // namespace quorvel

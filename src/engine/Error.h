#pragma once
// Every failure of the engine layer is a DbError carrying the text the user
// sees: for server failures it is the server's own status text, formatted the
// way Firebird's utilities format a status vector. A server failure also
// carries the server's codes, and what they say it was: the operations advise
// differently on a wrong password, a missing file or another user's lock.
#include <stdexcept>
#include <string>

namespace quorvel::engine {

// What went wrong, as the server's error codes tell it.
enum class Failure {
    Other,            // anything not below, and every failure of the tool itself
    LoginRefused,     // the user name or the password was refused
    FileMissing,      // there is no database file at that path
    FileNotDatabase,  // the file is truncated, empty or not a database at all
    FileNotWritable,  // the file may not be written (read-only, no permission)
    FileInUse,        // another process holds the file
    LockConflict,     // another transaction holds the row (lock conflict, deadlock, update conflict)
    ConnectionLost,   // the attachment is gone (server stopped, network, shutdown, killed)
    Damaged,          // the server met a damaged page or record (consistency check, corrupt database)
    Cancelled,        // the statement was cancelled (Cancel, Ctrl+C): nothing of the transaction stays
    KeyViolation,     // a PRIMARY KEY or UNIQUE value another row holds: the statement alone was undone
    ReferenceViolation,  // a FOREIGN KEY: a parent missing, or children present; the statement alone was undone
};

class DbError : public std::runtime_error {
public:
    explicit DbError(const std::string& message, int sqlCode = 0, long gdsCode = 0,
                     Failure failure = Failure::Other)
        : std::runtime_error(message), sqlCode_(sqlCode), gdsCode_(gdsCode), failure_(failure) {}
    int sqlCode() const { return sqlCode_; }
    // The server's first error code (isc_...); 0 for a failure of the tool.
    long gdsCode() const { return gdsCode_; }
    Failure failure() const { return failure_; }

private:
    int sqlCode_;
    long gdsCode_;
    Failure failure_;
};

// The failure of any exception: Other unless a DbError says more.
inline Failure failureOf(const std::exception& e) {
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db ? db->failure() : Failure::Other;
}

}  // namespace quorvel::engine

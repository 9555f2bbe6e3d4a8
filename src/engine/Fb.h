#pragma once
// Private to the engine: access to the Firebird client library (OO API) and
// the conversion of its status vectors into DbError.
#include <firebird/Interface.h>

#include <string>

#include "Error.h"

namespace quorvel::engine::fb {

using namespace Firebird;

IMaster* master();
IUtil* util();
IProvider* provider();

// Every statement of the tool is prepared in the first SQL dialect.
constexpr unsigned kDialect = 1;

// A status object of the client library that knows how to turn itself into
// a DbError. Reused for many calls (single-threaded engine), so a call never
// pays for allocating a status.
class Status : public CheckStatusWrapper {
public:
    Status();
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    bool failed() const { return (const_cast<Status*>(this)->getState() & IStatus::STATE_ERRORS) != 0; }
    // Throws DbError with the formatted status when the last call failed.
    void check() {
        if (failed()) raise();
    }
    [[noreturn]] void raise();
    // The formatted error text of the last call ("" when it did not fail).
    std::string text();
    int sqlCode();
};

// A status for cleanup calls whose errors are ignored (closing cursors,
// freeing statements), shared so that they cost no allocation.
Status& scratchStatus();

// The error text of a status vector as Firebird's utilities print it.
std::string formatStatus(IStatus* status);

}  // namespace quorvel::engine::fb

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
    // The DbError of the last call's failure: its text, its codes and what
    // they say it was. For callers that must clean up before they throw.
    DbError error();
    // The formatted error text of the last call ("" when it did not fail).
    std::string text();
    int sqlCode();
};

// A status for cleanup calls whose errors are ignored (closing cursors,
// freeing statements), shared so that they cost no allocation.
Status& scratchStatus();

// Builds the description of a message item by item. Every call is checked
// on its own: the next call on the same status clears it, so a failure
// checked only at the end would be lost. The builder is released on every
// path.
class MessageBuilder {
public:
    // A message of `count` items / one shaped like `like` to be changed.
    MessageBuilder(Status& st, unsigned count);
    MessageBuilder(Status& st, IMessageMetadata* like);
    ~MessageBuilder();
    MessageBuilder(const MessageBuilder&) = delete;
    MessageBuilder& operator=(const MessageBuilder&) = delete;

    // `charSet` < 0 leaves the item's character set as it is.
    void set(unsigned index, unsigned type, int subType, unsigned length, int scale, int charSet = -1);
    // The finished description (a reference the caller releases).
    IMessageMetadata* finish();

private:
    Status& st_;
    IMetadataBuilder* builder_ = nullptr;
};

// The error text of a status vector as Firebird's utilities print it.
std::string formatStatus(IStatus* status);

}  // namespace quorvel::engine::fb

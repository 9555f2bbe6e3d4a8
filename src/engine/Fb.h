#pragma once
// Private to the engine: access to the Firebird client library (OO API) and
// the conversion of its status vectors into DbError.
#include <firebird/Interface.h>

#include <exception>
#include <string>
#include <utility>

#include "Error.h"

namespace quorvel::engine::fb {

using namespace Firebird;

IMaster* master();
IUtil* util();
IProvider* provider();

// The status every call of the client library is given. The library's
// call wrappers ask the status after each call (checkException), as they do
// for the library's own ThrowStatusWrapper: this one throws DbError with the
// server's formatted text, its codes and what they say it was. A failure can
// therefore not pass unnoticed, and no call site checks by hand. Reused for
// many calls (single-threaded engine), so a call never pays for allocating
// a status.
class Status : public BaseStatusWrapper<Status> {
public:
    Status();
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    static void checkException(Status* st) {
        if (st->dirty && (st->getState() & IStatus::STATE_ERRORS)) st->raise();
    }

private:
    [[noreturn]] void raise();
};

// The status of a cleanup call whose failure is no error to report (closing
// a cursor, freeing a statement, rolling back on the way out, cancelling
// when nothing runs): it never throws, so it is safe in destructors and
// noexcept paths; failed() tells whether the object must be let go of by hand.
class QuietStatus : public CheckStatusWrapper {
public:
    QuietStatus();
    ~QuietStatus();
    QuietStatus(const QuietStatus&) = delete;
    QuietStatus& operator=(const QuietStatus&) = delete;

    bool failed() const { return (getState() & IStatus::STATE_ERRORS) != 0; }
};

// A quiet status for cleanup calls, shared so that they cost no allocation.
QuietStatus& scratchStatus();

// The DbError of a failed status vector: `text` (as the caller formats it),
// the SQL code, the first server code and what the codes say it was.
DbError errorOf(const intptr_t* vector, const std::string& text);

// Holds a reference-counted object of the client library (a message
// description) and releases it on every path.
template <typename T>
class Ref {
public:
    explicit Ref(T* p = nullptr) : p_(p) {}
    ~Ref() {
        if (p_) p_->release();
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }

private:
    T* p_;
};

// Runs `undo` when the scope is left by an exception: the cleanup a failed
// call needs before its error goes on up (a blob to cancel, a transaction to
// roll back), without catching the error.
template <typename F>
class OnFailure {
public:
    explicit OnFailure(F undo) : undo_(std::move(undo)) {}
    ~OnFailure() {
        if (std::uncaught_exceptions() > entered_) undo_();
    }
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;

private:
    F undo_;
    int entered_ = std::uncaught_exceptions();
};

// Builds the description of a message item by item. The builder is
// released on every path.
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

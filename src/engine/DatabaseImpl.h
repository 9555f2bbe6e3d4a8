#pragma once
// Private to the engine: the attachment of a named database and its
// transactions.
//
// A transaction is shared (TxRef) by whoever still needs it: the database
// while it is the explicit transaction, and every open cursor started in it.
// When the explicit transaction is committed or rolled back while cursors
// still hold it, it is ended "retaining" (its work is committed or undone,
// the cursors stay readable) and really ended when the last holder lets go.
// An autocommit transaction (no explicit one was active) is committed when
// its last holder lets go.
#include <memory>
#include <string>
#include <vector>

#include "Database.h"
#include "Fb.h"

namespace quorvel::engine {

struct DatabaseImpl;

struct Tx {
    Tx(DatabaseImpl& db, fb::ITransaction* t, bool autocommit);
    ~Tx();
    Tx(const Tx&) = delete;
    Tx& operator=(const Tx&) = delete;

    // Commits now (autocommit statements that completed); throws on failure.
    void commitNow();
    void rollbackNow() noexcept;

    DatabaseImpl& db;
    fb::ITransaction* tra;
    bool autocommit;
    bool ended = false;       // explicitly ended while retained for cursors
    bool endByCommit = true;  // how to end it finally
    uint64_t serial;          // tells transactions apart (rows remember where they were read)
};
using TxRef = std::shared_ptr<Tx>;

struct DatabaseImpl {
    explicit DatabaseImpl(Database& owner) : owner(owner) {}

    Database& owner;
    fb::IAttachment* att = nullptr;
    TxRef explicitTx;
    fb::Status st;
    std::vector<DataSet*> dataSets;
    // Set while disconnect() closes the data sets: statements kept prepared
    // between runs must go with the attachment.
    bool detaching = false;
    // The SQL dialect of the attached database, read once after attaching:
    // every statement is prepared in it (a dialect-1 statement on a dialect-3
    // database silently truncates 64-bit values and refuses DATE and BIGINT).
    int dialect = 1;

    void requireConnected() const;
    // The explicit transaction when one is active, else a new autocommit one
    // (read-only for rows that are only browsed).
    TxRef acquire(bool readOnly = false);
    TxRef start(bool autocommit, bool readOnly = false, bool snapshot = false);
    // Prepares `sql` in the database's dialect; throws DbError with the server's text.
    fb::IStatement* prepare(const std::string& sql, Tx& tx);
};

// Releases a reference-counted client object and clears the pointer.
template <typename T>
void releaseRef(T*& p) noexcept {
    if (p) {
        p->release();
        p = nullptr;
    }
}

// Frees a statement (dropping its existence locks) or closes a cursor,
// ignoring errors: used on the way out.
void freeStatement(fb::IStatement*& s) noexcept;
void closeResultSet(fb::IResultSet*& rs) noexcept;

}  // namespace quorvel::engine

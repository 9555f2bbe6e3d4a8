#pragma once
// A named database ("UserDB", "CloneDB", "SynchroDB") bound to an alias and
// two parameter lines "USER NAME=..." and "PASSWORD=...".
//
// Transactions: one explicit transaction at a time. A statement run while no
// explicit transaction is active runs in a transaction of its own that is
// committed when the statement completes (for a query returning rows: when
// the query is closed). Every statement is prepared in the database's own
// SQL dialect (1 or 3), read when it is connected.
//
// Results opened in a transaction stay readable after it commits or rolls
// back: the engine then retains the transaction context for the open results
// only, and ends it when the last of them closes.
//
// Transactions are read committed with record versions and NOWAIT: a reader
// never waits, and a write that meets another transaction's uncommitted
// change fails at once with the server's "update conflicts with concurrent
// update" message instead of hanging the window.
#include <memory>
#include <string>
#include <vector>

namespace quorvel::engine {

class DataSet;
struct DatabaseImpl;

// A name as a statement for a database of `dialect` must write it. Dialect 3
// has exact, case-sensitive names ("OrderLine"): the name goes in double
// quotes, a double quote inside it doubled. Dialect 1 has no quoted names:
// the name is written as it is. The tool's own names (R$...) are created
// unquoted and stay plain in both.
std::string quoteIdentifier(int dialect, const std::string& name);

class Database {
public:
    explicit Database(std::string name);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& name() const { return name_; }
    // How messages name this database to the operator ("the Master/Clone
    // database"); the internal name when none is set.
    void setDisplayName(const std::string& text) { displayName_ = text; }
    const std::string& displayName() const { return displayName_.empty() ? name_ : displayName_; }

    // A database from elsewhere (a synchro database another site filled) is
    // opened with its database triggers off: an ON CONNECT trigger in it
    // would otherwise run its SQL with this connection's rights (SYSDBA's)
    // the moment it is opened. Only its owner or SYSDBA may ask that.
    void setForeign(bool foreign) { foreign_ = foreign; }
    bool foreign() const { return foreign_; }

    void setAliasName(const std::string& alias);
    const std::string& aliasName() const { return alias_; }
    // Binds to a database name (a path, or host:path) that no alias names,
    // such as a copy just made; connect then opens that name.
    void setDatabaseName(const std::string& databaseName) { databaseName_ = databaseName; }
    // The name connect opens: the one set directly, else the alias's SERVER
    // NAME (throws DbError when the alias is unknown).
    std::string databaseName() const;
    void setParams(const std::vector<std::string>& lines);
    const std::vector<std::string>& params() const { return params_; }
    // The value of the parameter line `key` ("USER NAME", "PASSWORD"; the key
    // in any case), "" when there is none.
    std::string param(const std::string& key) const;

    // Connects to the alias's SERVER NAME with USER NAME / PASSWORD from the
    // parameter lines. Throws DbError with the server's message on failure.
    void connect();
    // Closes every data set bound to this database, rolls back an open
    // transaction and detaches. Never throws.
    void disconnect();
    bool connected() const;
    // The SQL dialect of the connected database (1 or 3); 1 when not connected.
    int sqlDialect() const;
    // `name` (a table, column, index, trigger or generator of the user's
    // schema, as the catalogue keeps it) written into a statement for this
    // database: see quoteIdentifier.
    std::string identifier(const std::string& name) const;

    // Read committed sees every commit as it happens; a snapshot sees the
    // database as it was when it began, and a row another user changed
    // since then fails as an update conflict instead of being overwritten.
    enum class Isolation { ReadCommitted, Snapshot };
    void startTransaction(Isolation isolation = Isolation::ReadCommitted);  // throws if one is active already
    void commit();
    void rollback();
    bool inTransaction() const;
    // Rolls back the explicit transaction when one is active, and never
    // throws: it runs after a failure, whose error is the one to report (a
    // lost connection fails the rollback as well).
    void rollbackQuietly() noexcept;

    // Runs one statement that returns no rows (convenience over Query).
    void execute(const std::string& sql);

    // Creates a new empty database (embedded path or server name) of
    // `dialect` with the default character set `defaultCharset` ("" leaves
    // the server's default, NONE) and detaches from it. Throws DbError on
    // failure.
    static void createDatabase(const std::string& databaseName,
                               const std::string& user = "SYSDBA",
                               const std::string& password = "",
                               int pageSize = 8192, int dialect = 1,
                               const std::string& defaultCharset = "");
    // Writes into the header of the database, which no one else has open,
    // how many pages its cache holds whoever opens it (0: the server's
    // default), as gfix -buffers does; gbak carries the number in a backup.
    static void setPageBuffers(const std::string& databaseName, int pages, const std::string& user = "SYSDBA",
                               const std::string& password = "");

    // Engine internals (used by data sets in the engine only).
    DatabaseImpl& impl() { return *impl_; }
    void registerDataSet(DataSet* ds);
    void unregisterDataSet(DataSet* ds);

private:
    std::string name_;
    std::string displayName_;
    std::string alias_;
    std::string databaseName_;
    std::vector<std::string> params_;
    bool foreign_ = false;
    std::unique_ptr<DatabaseImpl> impl_;
};

}  // namespace quorvel::engine

#pragma once
// A temporary folder per test with its own alias file (QUORVEL_ALIASES points
// to it while the Workspace lives) and helpers to make real dialect-1
// databases on the embedded engine.
#include <string>

namespace quorvel::engine { class Database; }

namespace quorvel::test {

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(const std::string& file) const { return dir_ + "/" + file; }

    // Creates an empty dialect-1 database `<alias>.fdb` (lower-cased file name)
    // and an alias for it; runs `script` (isql syntax, may be empty) on it
    // through isql-fb. Returns the database path. `dialect` 3 makes a
    // database of the other dialect, whose script then runs in dialect 3.
    std::string createDatabase(const std::string& alias, const std::string& script = "",
                               int dialect = 1);
    // Runs an isql script on an existing database file; fails the test with
    // isql's output when isql reports an error.
    static void runIsql(const std::string& database, const std::string& script);
    // Runs a dialect-3 script on a dialect-1 database that no connection of
    // this process holds: raises the database to dialect 3 with gfix, runs
    // it, lowers it again. Makes what a dialect-1 database can hold but not
    // create: NUMERIC(18,x) stored as BIGINT, TIME.
    static void runInDialect3(const std::string& database, const std::string& script);
    // Output of an isql script (e.g. "select ... ;" with SET LIST ON).
    static std::string isqlOutput(const std::string& database, const std::string& script,
                                  const std::string& user = "SYSDBA");

    // Binds `db` to `alias` with SYSDBA and an empty password and connects.
    static void connect(engine::Database& db, const std::string& alias);
    // What `gfix -v -full -n` counts as errors in `database` ("" when none).
    static std::string validationErrors(const std::string& database);

private:
    std::string dir_;
    std::string previousAliases_;
    bool hadPreviousAliases_ = false;
};

}  // namespace quorvel::test

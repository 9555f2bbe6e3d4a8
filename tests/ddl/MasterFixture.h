#pragma once
// A real dialect-1 master armed for replication by plain SQL, its extract as
// `isql-fb -x` writes it, and a look at the tables of a database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "operation/Outcome.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

namespace quorvel::test {

// The replication tables, generators and procedure the preparation adds, and
// the given working tables (named as the catalogue keeps them: a mixed-case
// name is quoted in the statements) listed. The working tables carry
// R$Code1/R$Code2.
std::string armingScript(const std::vector<std::string>& workingTables, int dialect = 1);

// Runs `isql-fb -x` on `database` into `file`; fails the test on an error.
void extractMetadata(const std::string& database, const std::string& file);

// Runs the script `file` with `isql-fb -i` on `database`, as the operator
// does; returns isql's output (empty when every statement went through).
std::string runScriptFile(const std::string& database, const std::string& file);

// Each user table (no views) with its columns in order, each column as
// "NAME TYPE LENGTH SCALE SUBTYPE NULLFLAG", one string per table.
std::vector<std::string> describeTables(const std::string& database);

// Rows of "select TABLENAME from R$TABLEORDER order by NUMBER", trimmed.
std::vector<std::string> tableOrder(const std::string& database);

class MasterFixture : public ::testing::Test {
protected:
    Workspace ws;
    DM dm;
    FakeFrontend ui;
    std::string master;

    // Creates and arms the master (alias "MASTER", of `dialect`) from
    // `schema`, runs `afterArming`, extracts it into master.ddl and connects
    // UserDB (isql cannot open it then). Returns the extract's path.
    std::string prepareMaster(const std::string& schema, const std::vector<std::string>& workingTables,
                              const std::string& afterArming = "", int dialect = 1);
    // "Convert to SYNCHRO ddl" through the fake window; the outcome is kept.
    void convert(const std::string& source, const std::string& target);
    Outcome outcome = Outcome::done();
};

}  // namespace quorvel::test

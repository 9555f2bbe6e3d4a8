#pragma once
// A master armed and a synchro database made from its converted definition,
// the way an operator makes them with quorvel-cli (run in-process), and a
// clone restored from the master's backup when a test asks for one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Workspace.h"

namespace quorvel::test {

struct CliResult {
    int status;
    std::string out, err;
};

// quorvel-cli in-process, without a terminal.
CliResult runCli(const std::vector<std::string>& args);

class ExchangeSites : public ::testing::Test {
public:
    // First column of the first row of `sql` on `database`, trimmed.
    static std::string value(const std::string& database, const std::string& sql);

protected:
    // The master "Master" with CUSTOMER (ID, NAME, CITY; GEN_CUSTOMER),
    // STOCK (ID, TITLE, QTY INTEGER[4]) and ORDERS (ID, CUSTOMER_ID), every
    // table working, triggers made;
    // the synchro database "Synchro", empty.
    void SetUp() override;

    // Registers the clone NAME at the master, restores a backup of the master
    // as "Clone" and gives it its own data.
    void makeClone();
    // A gbak copy of the master as `file` in the workspace, under `alias`.
    std::string copyOfMaster(const std::string& file, const std::string& alias);

    // Runs quorvel-cli and fails the test unless it exits with 0.
    static CliResult mustRun(const std::vector<std::string>& args);
    // Everything a test may check is unchanged: the rows of the user tables
    // and of the replication tables, as isql lists them.
    static std::string contents(const std::string& database);

    Workspace ws;
    std::string master, clone, synchro;
};

}  // namespace quorvel::test

#pragma once
// A local database and a synchro database as the exchange meets them, made
// from scripts so that every record code is the test's own choice: the
// replication tables and R$FILL, one working table CUSTOMER (with a text
// BLOB) in the table order, and no triggers (the read runs with them
// switched off; the tests write codes and journal entries themselves).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/DM.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

namespace quorvel::test {

class ExchangeTest : public ::testing::Test {
protected:
    // `identity` names the local database ("MASTER" or a clone's name) with
    // the bound (bound1, bound2); its history ends with (3, mark1, mark2);
    // R$Gen1/R$Gen2 stand at (gen1, gen2). `trig` is R$Trig (1: switched off).
    struct Local {
        std::string identity = "MASTER";
        long bound1 = 0, bound2 = 2000000000;
        long mark1 = 0, mark2 = 5000;
        long gen1 = 0, gen2 = 5010;
        int trig = 1;
    };
    void makeDatabases(const Local& local, const std::string& localExtra = "",
                       const std::string& synchroExtra = "");
    void connectBoth();

    // Runs SQL on a database outside the DM (committed at once).
    void local(const std::string& sql);
    void synchro(const std::string& sql);
    // Rows of a query, each as its columns' text joined by "|".
    std::vector<std::string> localRows(const std::string& sql);
    std::vector<std::string> synchroRows(const std::string& sql);

    static std::string customer(long id, const std::string& name, long code1, long code2);

    Workspace ws;
    DM dm;
    FakeFrontend ui;
    std::string localPath, synchroPath;
    std::string localAlias, synchroAlias;

private:
    int pairs_ = 0;
};

}  // namespace quorvel::test

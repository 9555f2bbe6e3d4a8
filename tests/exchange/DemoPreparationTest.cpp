// The demo's own scripts, run as a user runs them (without the build part):
// the preparation leaves an armed master, a clone and an empty synchro
// database behind their aliases, and the exchange script carries a clone's
// changes to the master.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "OperatorSites.h"

using namespace quorvel;
using quorvel::test::ExchangeSites;

namespace {

int runScript(const std::string& script, const std::string& folder, const std::string& log,
              const std::string& options = "") {
    const std::string command = "QUORVEL_CLI='" QUORVEL_CLI_PATH "' bash '" QUORVEL_SOURCE_DIR "/scripts/demo/" +
                                script + "' '" + folder + "' " + options + " >'" + log + "' 2>&1";
    return std::system(command.c_str());
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The default workspace is dialect 1; asked for, the same in dialect 3.
class DemoPreparationTest : public ::testing::TestWithParam<int> {};

TEST_P(DemoPreparationTest, PreparesMasterCloneAndSynchroAndCarriesOneExchange) {
    test::Workspace ws;
    const std::string demo = ws.path("demo");
    const std::string dialect = std::to_string(GetParam());
    ASSERT_EQ(runScript("prepare.sh", demo, ws.path("prepare.out"), GetParam() == 1 ? "" : "--dialect " + dialect), 0)
        << fileText(ws.path("prepare.out"));
    const std::string master = demo + "/master.fdb", clone = demo + "/clone.fdb", synchro = demo + "/synchro.fdb";

    // The aliases of the workspace, in its own file.
    ::setenv("QUORVEL_ALIASES", (demo + "/aliases.conf").c_str(), 1);
    EXPECT_EQ(test::runCli({"aliases"}).out, "DemoClone\nDemoEast\nDemoMaster\nDemoSynchro\n");
    test::CliResult status = test::runCli({"--local", "DemoMaster", "status"});
    EXPECT_NE(status.out.find("Prepare completed"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("GEN_ORDER_LINE"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("Dialect: " + dialect), std::string::npos) << status.out;
    EXPECT_NE(test::runCli({"--local", "DemoSynchro", "status"}).out.find("Dialect: " + dialect), std::string::npos);

    // The clone knows itself and holds the master's rows; the synchro
    // database has the tables of the order and nothing in them.
    EXPECT_EQ(ExchangeSites::value(clone, "select NAME from R$CLONE where ME = 'Y';"), "WEST");
    EXPECT_EQ(ExchangeSites::value(clone, "select count(*) from ORDER_LINE;"),
              ExchangeSites::value(master, "select count(*) from ORDER_LINE;"));
    EXPECT_EQ(ExchangeSites::value(clone, "select count(*) from R$TABLEORDER;"), "4");
    EXPECT_EQ(ExchangeSites::value(synchro, "select count(*) from CUSTOMER;"), "0");
    EXPECT_EQ(ExchangeSites::value(synchro, "select count(*) from R$SYNCHRO;"), "0");

    const std::string out = ws.path("exchange.out");
    ASSERT_EQ(runScript("exchange.sh", demo, out), 0) << fileText(out);
    EXPECT_NE(fileText(out).find("CUSTOMER: 2 rows sent"), std::string::npos) << fileText(out);
    EXPECT_EQ(ExchangeSites::value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
    EXPECT_EQ(ExchangeSites::value(master, "select count(*) from CUSTOMER where NAME = 'Added at WEST';"), "1");
    // Passed on by the master's fill to the other clone.
    const std::string east = demo + "/east.fdb";
    EXPECT_EQ(ExchangeSites::value(east, "select CITY from CUSTOMER where ID = 1;"), "Westville");
    EXPECT_EQ(ExchangeSites::value(east, "select count(*) from CUSTOMER where NAME = 'Added at WEST';"), "1");
    // And by a package, through the master's exchange.
    EXPECT_EQ(ExchangeSites::value(east, "select CITY from CUSTOMER where ID = 2;"), "Packville");
    EXPECT_EQ(ExchangeSites::value(master, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME starting with "
                                           "'R$' and RDB$TRIGGER_INACTIVE = 1;"),
              "0")
        << "the read switched the master's triggers back on";
}

INSTANTIATE_TEST_SUITE_P(Dialects, DemoPreparationTest, ::testing::Values(1, 3));

}  // namespace

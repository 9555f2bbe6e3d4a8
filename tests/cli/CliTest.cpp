// quorvel-cli run in-process on real databases: exit statuses, where the
// messages go, and the alias and status commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Cli.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

struct Result {
    int status;
    std::string out, err;
};

Result runCli(std::vector<std::string> args, const std::string& input = "", bool interactive = false) {
    std::istringstream in(input);
    std::ostringstream out, err;
    int rc = cli::run(args, in, out, err, interactive);
    return {rc, out.str(), err.str()};
}

TEST(CliTest, WrongUsageExitsWithTwoAndTheUsageText) {
    test::Workspace ws;
    for (auto args : std::vector<std::vector<std::string>>{
             {}, {"no-such-command"}, {"status", "extra"}, {"--bogus", "aliases"}, {"aliases", "--local"},
             {"aliases", "add", "A"}, {"aliases", "add", "A", "/x.fdb", "NOEQUALS"}}) {
        Result r = runCli(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage: quorvel-cli"), std::string::npos);
    }
    Result help = runCli({"aliases", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* cmd : {"create-meta", "add-gen", "recreate-triggers", "new-clone", "update-clone", "convert-ddl"})
        EXPECT_NE(help.out.find(cmd), std::string::npos) << cmd;
}

TEST(CliTest, AliasesAreAddedListedShownAndRemoved) {
    test::Workspace ws;
    EXPECT_EQ(runCli({"aliases"}).out, "") << "a missing file means no aliases";
    EXPECT_EQ(runCli({"aliases", "add", "Zeta", "/data/z.fdb"}).status, 0);
    EXPECT_EQ(runCli({"aliases", "add", "Alpha", "localhost:/data/a.fdb", "ROLE=ADMIN"}).status, 0);
    EXPECT_EQ(runCli({"aliases"}).out, "Alpha\nZeta\n");
    EXPECT_EQ(runCli({"aliases", "show", "Alpha"}).out, "SERVER NAME=localhost:/data/a.fdb\nROLE=ADMIN\n");

    // Adding again replaces.
    runCli({"aliases", "add", "Zeta", "/data/z2.fdb"});
    EXPECT_EQ(runCli({"aliases", "show", "Zeta"}).out, "SERVER NAME=/data/z2.fdb\n");

    EXPECT_EQ(runCli({"aliases", "remove", "Zeta"}).status, 0);
    EXPECT_EQ(runCli({"aliases"}).out, "Alpha\n");
    Result gone = runCli({"aliases", "remove", "Zeta"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.err.find("Zeta"), std::string::npos);
    EXPECT_EQ(runCli({"aliases", "show", "Zeta"}).status, 1);
}

TEST(CliTest, CreatedDatabaseReportsItNeedsMetaStructures) {
    test::Workspace ws;
    std::string path = ws.path("new.fdb");
    Result created = runCli({"create-database", path});
    ASSERT_EQ(created.status, 0) << created.err;
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_NE(test::Workspace::isqlOutput(path, "show sql dialect;").find("1"), std::string::npos);

    runCli({"aliases", "add", "Fresh", path});
    Result st = runCli({"status", "--local", "Fresh"});
    EXPECT_EQ(st.status, 0) << st.err;
    EXPECT_NE(st.out.find("Alias: Fresh"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Create additional meta structures first."), std::string::npos) << st.out;

    // Creating over an existing file fails with the server's message.
    Result again = runCli({"create-database", path});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(again.err.empty());
}

TEST(CliTest, StatusOfAPreparedMasterListsItsReplicationTables) {
    test::Workspace ws;
    ws.createDatabase("Shop",
                      "CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY, NUMBER INTEGER,"
                      " MAXVALUE1 INTEGER, MAXVALUE2 INTEGER, ME CHAR(1));\n"
                      "CREATE TABLE R$WORKINGTABLES (NAME CHAR(31) NOT NULL PRIMARY KEY);\n"
                      "CREATE TABLE R$PKGENS (GENERATORNAME CHAR(31) NOT NULL PRIMARY KEY, GENOFFSET INTEGER);\n"
                      "create table R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE,"
                      " R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
                      "COMMIT;\n"
                      "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
                      "insert into R$WORKINGTABLES values ('CUSTOMER');\n"
                      "insert into R$PKGENS values ('GEN_CUSTOMER', 100000);\nCOMMIT;");
    Result st = runCli({"--local", "Shop", "status"});
    ASSERT_EQ(st.status, 0) << st.err;
    EXPECT_NE(st.out.find("Master/Clone: MASTER"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Prepare completed"), std::string::npos);
    EXPECT_NE(st.out.find("CUSTOMER"), std::string::npos);
    EXPECT_NE(st.out.find("GEN_CUSTOMER"), std::string::npos);
    EXPECT_NE(st.out.find("100000"), std::string::npos);
}

TEST(CliTest, ConnectionFailureGoesToStandardErrorWithStatusOne) {
    test::Workspace ws;
    Result r = runCli({"status", "--local", "Nowhere"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Incorrect User Name or Password: "), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    Result needsLocal = runCli({"erase-meta"});
    EXPECT_EQ(needsLocal.status, 2) << "a missing --local is wrong usage";
    EXPECT_NE(needsLocal.err.find("--local"), std::string::npos);
}

}  // namespace

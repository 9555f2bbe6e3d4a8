// An application user with rights on its own tables only: arming takes
// nothing from it, and gives it no way into the journal. An operator who is
// not the owner fills and reads under the role grant-operator makes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "OperatorSites.h"
#include "support/Workspace.h"
#include "support/ToolObjects.h"

namespace quorvel::test {
namespace {

using ApplicationUser = ExchangeSites;

TEST_F(ApplicationUser, KeepsWorkingAfterArmingAndCannotWriteTheJournal) {
    makeClone();
    for (const std::string& db : {master, clone}) {
        SCOPED_TRACE(db);
        Workspace::runIsql(db, "GRANT ALL ON CUSTOMER TO CLERK; COMMIT;");
        const std::string work = Workspace::isqlOutput(
            db,
            "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (500, 'Ola', 'Oslo');"
            " UPDATE CUSTOMER SET CITY = 'Bergen' WHERE ID = 500; UPDATE CUSTOMER SET CITY = 'Nice' WHERE ID = 1;"
            " DELETE FROM CUSTOMER WHERE ID = 2; COMMIT;",
            "CLERK");
        EXPECT_EQ(work.find("Statement failed"), std::string::npos) << work;
        const std::string journal = "select count(*) || ' ' || sum(R$CODE2) from " + test::kWholeJournal + " J;";
        const std::string journaled = value(db, journal);
        EXPECT_EQ(journaled.substr(0, journaled.find(' ')), "3") << "two updates and a delete, journaled";

        const std::string forged = Workspace::isqlOutput(
            db,
            "INSERT INTO R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) VALUES (0, 3, 'D', 'CUSTOMER');"
            " DELETE FROM R$DELETEDUPDATED; UPDATE R$PEERS SET LASTREAD = 99;"
            " INSERT INTO R$CAPTURED (R$CODE1, R$CODE2, OPERATION, TABLENAME) VALUES (0, 3, 'D', 'CUSTOMER'); COMMIT;",
            "CLERK");
        EXPECT_NE(forged.find("no permission for INSERT access to TABLE R$DELETEDUPDATED"), std::string::npos) << forged;
        EXPECT_NE(forged.find("no permission for DELETE access to TABLE R$DELETEDUPDATED"), std::string::npos) << forged;
        EXPECT_NE(forged.find("no permission for UPDATE access to TABLE R$PEERS"), std::string::npos) << forged;
        EXPECT_NE(forged.find("no permission for INSERT access to TABLE R$CAPTURED"), std::string::npos) << forged;
        EXPECT_EQ(value(db, journal), journaled);
    }
}

TEST_F(ApplicationUser, AnOperatorFillsAndReadsUnderTheRoleGrantedForIt) {
    makeClone();
    for (const char* site : {"Master", "Clone"})
        mustRun({"--local", site, "grant-operator", "quorvel_operator", "OPER", "--yes"});
    // The synchro database is the operator's own file, made by the operator.
    const std::string own = ws.path("own.fdb");
    mustRun({"--user", "OPER", "create-database", own});
    std::ifstream ddl(ws.path("synchro.ddl"));
    const std::string made = Workspace::isqlOutput(own, std::string(std::istreambuf_iterator<char>(ddl), {}), "OPER");
    ASSERT_EQ(made.find("Statement failed"), std::string::npos) << made;
    mustRun({"aliases", "add", "Own", own});
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Rome' WHERE ID = 1; COMMIT;");
    const std::vector<std::string> fill = {"--user", "OPER", "--local", "Master", "--synchro", "Own", "fill", "--yes"};
    EXPECT_NE(runCli(fill).status, 0) << "without the role";
    std::vector<std::string> withRole = fill;
    withRole.insert(withRole.begin(), {"--role", "QUORVEL_OPERATOR"});
    const CliResult filled = runCli(withRole);
    ASSERT_EQ(filled.status, 0) << filled.err;
    // The user from ISC_USER, as isql takes it, and the role from the alias
    // file: the clone's read under OPER fails without the role.
    ::setenv("ISC_USER", "OPER", 1);
    const std::vector<std::string> read = {"--local", "Clone", "--synchro", "Own", "read", "--yes"};
    const CliResult refused = runCli(read);
    mustRun({"aliases", "add", "Clone", clone, "ROLE NAME=QUORVEL_OPERATOR"});
    const CliResult done = runCli(read);
    ::unsetenv("ISC_USER");
    EXPECT_NE(refused.status, 0);
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 1;"), "Rome");
}

}  // namespace
}  // namespace quorvel::test

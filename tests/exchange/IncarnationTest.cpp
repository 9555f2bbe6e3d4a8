// A clone number and its range of record codes are given out once: a clone
// deleted and made again, or a second copy of the master under a name that
// has one, never draws the codes another database drew.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using Incarnation = ExchangeSites;

TEST_F(Incarnation, ACloneMadeAgainGetsANewNumberAndRangeAndItsRowsArrive) {
    makeClone();
    Workspace::runIsql(clone, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Old West', 'Vigo'); COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});

    mustRun({"--local", "Master", "delete-clone", "WEST", "--yes"});
    const std::string again = ws.path("west2.fdb");
    const CliResult sameRange =
        runCli({"--local", "Master", "make-clone", "WEST", "--max1", "1", "--max2", "1000000000", again, "--yes"});
    EXPECT_EQ(sameRange.status, quorvel::cli::kExitRefused) << sameRange.out << sameRange.err;
    EXPECT_NE(sameRange.err.find("where the range of ~1 WEST ends"), std::string::npos) << sameRange.err;
    mustRun({"--local", "Master", "make-clone", "WEST", "--max1", "2", "--max2", "1000000000", again, "--yes"});
    mustRun({"aliases", "add", "West2", again});
    EXPECT_EQ(value(master, "select NUMBER from R$CLONE where NAME = 'WEST';"), "2");

    Workspace::runIsql(again, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'New West', 'Faro'); COMMIT;");
    mustRun({"--local", "West2", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select count(*) from CUSTOMER where NAME in ('Old West', 'New West');"), "2");
    EXPECT_EQ(value(master, "select count(distinct R$CODE1 || '/' || R$CODE2) from CUSTOMER;"),
              value(master, "select count(*) from CUSTOMER;"));

    // The deleted clone's fills are no peer's any more.
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Gone' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    const CliResult old = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(old.status, quorvel::cli::kExitRefused) << old.out << old.err;
    EXPECT_NE(value(master, "select CITY from CUSTOMER where ID = 1;"), "Gone");
}

// A change the master made before the clone's copy, still waiting for its
// fill, is one the clone has seen: the clone's later edit of that row wins.
TEST_F(Incarnation, TheClonesEditOutranksWhatTheMasterChangedBeforeItsCopy) {
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Before the copy' WHERE ID = 1; COMMIT;");
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Edited at WEST' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Edited at WEST");
}

TEST_F(Incarnation, ASecondCopyUnderANameWithACopyIsRefused) {
    makeClone();
    const std::string second = copyOfMaster("second.fdb", "Second");
    const std::string masterBefore = contents(master), secondBefore = contents(second);
    const CliResult r = runCli({"--local", "Master", "--clone", "Second", "update-clone", "WEST", "--yes"});
    EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
    EXPECT_NE(r.err.find("A copy has been updated as WEST already"), std::string::npos) << r.err;
    EXPECT_EQ(contents(master), masterBefore);
    EXPECT_EQ(contents(second), secondBefore);
}

}  // namespace
}  // namespace quorvel::test

// A save that writes a row back as it was is no change: journaled, it would
// win over a clone's real edit of that row by the master's priority.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/Workspace.h"
#include "support/ToolObjects.h"

namespace quorvel::test {
namespace {

using NoOpSave = ExchangeSites;

TEST_F(NoOpSave, IsNotJournaledAndLosesNoClonesEdit) {
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    // The master's form saves row 1 with nothing edited, then a real edit of row 2.
    Workspace::runIsql(master, "UPDATE CUSTOMER SET NAME = NAME, CITY = CITY WHERE ID = 1;"
                               " UPDATE CUSTOMER SET CITY = 'Lisbon' WHERE ID = 2; COMMIT;");
    EXPECT_EQ(value(master, "select count(*) from " + test::kWholeJournal + " J;"), "1");

    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    const char* const customers = "select * from CUSTOMER order by ID;";
    EXPECT_EQ(Workspace::isqlOutput(master, customers), Workspace::isqlOutput(clone, customers));
}

// A column added after the triggers were made is not compared by them: the
// fill says so until the triggers are renewed.
TEST_F(NoOpSave, AColumnAddedAfterTheTriggersStopsTheFillUntilTheyAreRenewed) {
    Workspace::runIsql(master, "ALTER TABLE CUSTOMER ADD EMAIL VARCHAR(40); COMMIT;");
    const std::string before = contents(master);
    const CliResult r = runCli({"--local", "Master", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
    EXPECT_NE(r.err.find("The update trigger of CUSTOMER does not compare EMAIL (added after the triggers were "
                         "made): an update of them alone would not be sent. Run renew-triggers first."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(contents(master), before);

    mustRun({"--local", "Master", "renew-triggers"});
    Workspace::runIsql(master, "UPDATE CUSTOMER SET EMAIL = 'a@b.c' WHERE ID = 1; COMMIT;");
    EXPECT_EQ(value(master, "select count(*) from " + test::kWholeJournal + " J;"), "1");
}

}  // namespace
}  // namespace quorvel::test

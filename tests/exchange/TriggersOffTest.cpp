// Replication triggers left off (a read with --switch-triggers killed) stop
// recording users' work: the fill refuses to say "sent" over it, and making
// them active gives the rows inserted meanwhile their codes. Triggers that
// skip the read's own changes are never switched off for a read.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using TriggersOff = ExchangeSites;

TEST_F(TriggersOff, AReadNeverSwitchesTriggersThatSkipIt) {
    makeClone();
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Lille' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill"});
    const CliResult r = mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    EXPECT_NE(r.err.find("--switch-triggers is not needed, and they stay on."), std::string::npos) << r.err;
    EXPECT_NE(mustRun({"--local", "Clone", "status"}).out.find("Triggers switched off for a read: no"),
              std::string::npos);
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 1;"), "Lille");
}

TEST_F(TriggersOff, RowsInsertedWhileTheTriggersWereOffGetCodesAndTravel) {
    makeClone();
    // What a killed read leaves: the triggers off, and users working on.
    mustRun({"--local", "Master", "triggers-inactive"});
    Workspace::runIsql(master, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (50, 'Unseen', 'Oslo'); COMMIT;");
    const std::string before = contents(master);
    const CliResult fill = runCli({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(fill.status, quorvel::cli::kExitRefused) << fill.out << fill.err;
    EXPECT_NE(fill.err.find("The replication triggers of this database are off"), std::string::npos) << fill.err;
    EXPECT_EQ(contents(master), before);
    EXPECT_NE(runCli({"--local", "Master", "history"}).err.find("Note: the replication triggers of Master are off"),
              std::string::npos);

    const CliResult on = mustRun({"--local", "Master", "triggers-active"});
    EXPECT_NE(on.err.find("1 row inserted while the triggers were off got record codes"), std::string::npos) << on.err;
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Bergen' WHERE ID = 50; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 50;"), "Bergen");
}

}  // namespace
}  // namespace quorvel::test

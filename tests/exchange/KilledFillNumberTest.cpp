// A fill killed between its two commits (the synchro database committed,
// the local one not) leaves a complete file: its number is used up, so the
// next fill is another number, and a clone that read the killed file reads
// the real one too.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "ExchangeSites.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using KilledFill = ExchangeSites;

TEST_F(KilledFill, BetweenItsTwoCommitsUsesItsNumberUp) {
    makeClone();
    // The master's local commit waits four seconds once the journal is
    // stamped: the synchro database has committed by then.
    Workspace::runIsql(master, "CREATE TABLE SLOW_COMMIT (X INTEGER); COMMIT; INSERT INTO SLOW_COMMIT VALUES (1);"
                               " COMMIT; SET TERM ^ ; CREATE TRIGGER SLOW ON TRANSACTION COMMIT AS"
                               " DECLARE T TIMESTAMP; BEGIN"
                               " IF (EXISTS(SELECT 1 FROM SLOW_COMMIT) AND EXISTS(SELECT 1 FROM R$DELETEDUPDATED"
                               " WHERE FIRSTFILL IS NOT NULL)) THEN BEGIN T = CAST('NOW' AS TIMESTAMP);"
                               " WHILE (DATEDIFF(MILLISECOND FROM T TO CAST('NOW' AS TIMESTAMP)) < 4000) DO T = T;"
                               " END END ^ SET TERM ; ^ COMMIT;");
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Killed' WHERE ID = 1; COMMIT;");
    const pid_t pid = exchange::spawnCli({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"},
                                         ws.path("killed.log"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ::kill(pid, SIGKILL);
    exchange::reap(pid);
    const std::string killed = value(synchro, "select FILLNUMBER from R$SENDER;");
    ASSERT_FALSE(killed.empty()) << "the synchro database had not committed";
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 1;"), "Killed");

    Workspace::runIsql(master, "DELETE FROM SLOW_COMMIT; UPDATE CUSTOMER SET CITY = 'Real' WHERE ID = 2; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_GT(std::stoll(value(synchro, "select FILLNUMBER from R$SENDER;")), std::stoll(killed));
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 2;"), "Real");
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 1;"), "Killed");
}

}  // namespace
}  // namespace quorvel::test

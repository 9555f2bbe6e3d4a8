// Numbers in a synchro file that no site wrote: a fill number raised by hand
// is repaired by going back to the last fill truly read; an acknowledgement
// of a fill the reading site never made is refused.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using ForgedNumbers = ExchangeSites;

TEST_F(ForgedNumbers, ARaisedFillNumberIsRepairedByGoingBack) {
    makeClone();
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const std::string real = value(synchro, "select FILLNUMBER from R$SENDER;");
    Workspace::runIsql(synchro, "UPDATE R$SENDER SET FILLNUMBER = 1000; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});

    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Real' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(runCli({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"}).status, quorvel::cli::kExitRefused) << "not newer";
    const CliResult up = runCli({"--local", "Clone", "forget-peer-fill", "MASTER", "1000", "--yes"});
    EXPECT_EQ(up.status, quorvel::cli::kExitRefused) << up.err;
    EXPECT_EQ(runCli({"--local", "Clone", "forget-peer-fill", "EAST", "1", "--yes"}).status, quorvel::cli::kExitRefused) << "no peer";
    mustRun({"--local", "Clone", "forget-peer-fill", "MASTER", real, "--yes"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(clone, "select CITY from CUSTOMER where ID = 1;"), "Real");
}

TEST_F(ForgedNumbers, AnAcknowledgementOfAFillNeverMadeIsRefused) {
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'West' WHERE ID = 2; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    Workspace::runIsql(synchro, "UPDATE R$ACKNOWLEDGED SET FILLNUMBER = 999 WHERE SITENUMBER = 0; COMMIT;");
    const std::string before = contents(master);
    const CliResult r = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
    EXPECT_NE(r.err.find("read this site's fill no. 999"), std::string::npos) << r.err;
    EXPECT_EQ(contents(master), before);
}

}  // namespace
}  // namespace quorvel::test

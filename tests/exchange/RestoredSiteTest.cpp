// A site restored from a backup would draw again the record codes and fill
// numbers it drew after the backup: it is refused until it is made again, or
// until the operator says the restore lost nothing.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "clone/Gbak.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using RestoredSite = ExchangeSites;

TEST_F(RestoredSite, IsRefusedUntilMadeAgainOrItsRestoreIsAccepted) {
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
    const std::string backup = ws.path("west.fbk"), restored = ws.path("restored.fdb");
    ASSERT_NO_THROW(clone::backUpDatabase(clone, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    mustRun({"aliases", "add", "Restored", restored});

    const std::string before = contents(restored), synchroBefore = contents(synchro);
    for (const char* command : {"fill", "read"}) {
        const CliResult r = runCli({"--local", "Restored", "--synchro", "Synchro", command, "--yes"});
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_NE(r.err.find("This database was restored from a backup or copied: the file of WEST was made "),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("Make the clone again from the master (delete-clone WEST, make-clone WEST)"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(contents(restored), before);
    EXPECT_EQ(contents(synchro), synchroBefore);

    // A maintenance backup and restore, nothing done in between: accepted.
    EXPECT_EQ(runCli({"--local", "Clone", "accept-restore", "--yes"}).status, 1) << "no restore to accept";
    mustRun({"--local", "Restored", "accept-restore", "--yes"});
    mustRun({"--local", "Restored", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
}

TEST_F(RestoredSite, ARestoredMasterIsRefusedToo) {
    copyOfMaster("restored-master.fdb", "RestoredMaster");
    const CliResult r = runCli({"--local", "RestoredMaster", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("the file of the master was made"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("run accept-restore"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quorvel::test

// A fill is read only within its replication set and its arming: another
// shop's master is "MASTER" number 0 too, and a clone made before the
// master's triggers were recreated holds codes that now name other rows.
#include <gtest/gtest.h>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class SetIdentity : public ExchangeSites {
protected:
    // Runs `args`; it must be refused, saying `said`, with nothing changed at
    // `local` and in the synchro database.
    void refused(const std::vector<std::string>& args, const std::string& local, const std::string& said) {
        const std::string before = contents(local), synchroBefore = contents(synchro);
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
        EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        EXPECT_EQ(contents(local), before);
        EXPECT_EQ(contents(synchro), synchroBefore);
    }
};

TEST_F(SetIdentity, AFillOfAnotherSetIsRefused) {
    makeClone();
    // Another shop: the same schema, prepared on its own.
    const std::string other = copyOfMaster("other.fdb", "Other");
    mustRun({"--local", "Other", "erase-meta", "--yes"});
    mustRun({"--local", "Other", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    mustRun({"--local", "Other", "select-all-tables", "--yes"});
    mustRun({"--local", "Other", "recreate-triggers", "--yes"});
    // Its fill numbers pass the clone's last read of its own master.
    for (int i = 0; i < 4; ++i) {
        Workspace::runIsql(other, "UPDATE CUSTOMER SET CITY = 'Elsewhere' WHERE ID = 1; COMMIT;");
        mustRun({"--local", "Other", "--synchro", "Synchro", "fill", "--yes"});
    }
    refused({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"}, clone,
            "Synchro holds a fill of another replication set (the master of set ");
    refused({"--local", "Master", "--synchro", "Synchro", "read", "--yes"}, master, "of another replication set");
}

TEST_F(SetIdentity, AfterTheMastersTriggersAreRecreatedAnOlderCloneIsToldToBeMadeAgain) {
    makeClone();
    mustRun({"--local", "Master", "recreate-triggers", "--yes"});
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    refused({"--local", "Master", "--synchro", "Synchro", "read", "--yes"}, master,
            "Make the clone WEST again (delete-clone, make-clone). Nothing was changed.");

    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Masterton' WHERE ID = 3; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    refused({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"}, clone,
            "Make this clone again from the master. Nothing was changed.");

    // Made again, the clone exchanges as before.
    mustRun({"--local", "Master", "delete-clone", "WEST", "--yes"});
    const std::string again = ws.path("west2.fdb");
    mustRun({"--local", "Master", "make-clone", "WEST", "--max1", "2", "--max2", "1000000000", again, "--yes"});
    mustRun({"aliases", "add", "West2", again});
    Workspace::runIsql(again, "UPDATE CUSTOMER SET CITY = 'Newton' WHERE ID = 2; COMMIT;");
    mustRun({"--local", "West2", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 2;"), "Newton");
}

}  // namespace
}  // namespace quorvel::test

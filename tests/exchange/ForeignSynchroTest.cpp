// A synchro database comes from another site: its database triggers never
// run when the tool opens it.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using ForeignSynchro = ExchangeSites;

TEST_F(ForeignSynchro, ItsOnConnectTriggerNeverRuns) {
    makeClone();
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    // What a crafted file would do to the reading site; here it only counts.
    Workspace::runIsql(synchro, "CREATE TABLE OPENED (N INTEGER); COMMIT; SET TERM ^ ;"
                                " CREATE TRIGGER ON_OPEN ON CONNECT AS BEGIN INSERT INTO OPENED VALUES (1); END ^"
                                " SET TERM ; ^ COMMIT;");
    const std::string count = "select count(*) from OPENED;";
    const int before = std::stoi(value(synchro, count));
    for (const char* command : {"read", "history"})
        runCli({"--local", command == std::string("read") ? "Master" : "Clone", "--synchro", "Synchro", command,
                "--yes"});
    EXPECT_EQ(std::stoi(value(synchro, count)), before + 1) << "only the count's own connection";
}

}  // namespace
}  // namespace quorvel::test

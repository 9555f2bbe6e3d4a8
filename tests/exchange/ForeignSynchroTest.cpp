// A synchro database comes from another site: its database triggers never
// run when the tool opens it, and the commands that settle a collision in it
// touch nothing but a working table, and only for a synchro database.
#include <gtest/gtest.h>

#include <filesystem>

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
    const CliResult read = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(read.status, 1);
    EXPECT_NE(read.err.find("holds a trigger ON_OPEN"), std::string::npos) << read.err;
    runCli({"--local", "Clone", "--synchro", "Synchro", "history", "--yes"});
    EXPECT_EQ(std::stoi(value(synchro, count)), before + 1) << "only the count's own connection";
}

TEST_F(ForeignSynchro, OneWithCodeInItIsRefusedByNameBeforeAnythingChanges) {
    makeClone();
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    const struct {
        const char* script;
        const char* named;
    } cases[] = {
        {"CREATE PROCEDURE P1 AS BEGIN END ^", "procedure P1"},
        {"CREATE FUNCTION F1 RETURNS INTEGER AS BEGIN RETURN 1; END ^", "function F1"},
        {"CREATE VIEW V1 AS SELECT * FROM CUSTOMER ^", "view V1"},
    };
    const std::string masterBefore = contents(master);
    for (const auto& c : cases) {
        const std::string crafted = ws.path("crafted.fdb");
        std::filesystem::copy_file(synchro, crafted, std::filesystem::copy_options::overwrite_existing);
        Workspace::runIsql(crafted, std::string("SET TERM ^ ; ") + c.script + " SET TERM ; ^ COMMIT;");
        mustRun({"aliases", "add", "Crafted", crafted});
        const CliResult r = runCli({"--local", "Master", "--synchro", "Crafted", "read", "--yes"});
        EXPECT_EQ(r.status, 1) << c.named;
        EXPECT_NE(r.err.find(std::string("holds a ") + c.named), std::string::npos) << r.err;
    }
    EXPECT_EQ(contents(master), masterBefore);
}

TEST_F(ForeignSynchro, SettlingRefusesWhatIsNoSynchroDatabaseOrNoWorkingTable) {
    makeClone();
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"--local", "Clone", "--synchro", "Master", "delete-synchro-row", "CUSTOMER", "1"}, "replicated database"},
        {{"--local", "Clone", "--synchro", "Synchro", "copy-from-synchro", "R$CLONE", "WEST"}, "no working table"},
        {{"--local", "Clone", "--synchro", "Synchro", "drop-delete-entry", "R$CLONE", "0", "1"}, "no working table"},
    };
    const std::string masterBefore = contents(master), cloneBefore = contents(clone), synchroBefore = contents(synchro);
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--yes");
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, 1) << c.args[4];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_EQ(contents(master), masterBefore);
    EXPECT_EQ(contents(clone), cloneBefore);
    EXPECT_EQ(contents(synchro), synchroBefore);
}

}  // namespace
}  // namespace quorvel::test

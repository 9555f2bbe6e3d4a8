// Every exchange leaves a line in the database's own log, refusals and
// collisions included; deleting history leaves the log, and only the age the
// administrator sets prunes it.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using ExchangeLog = ExchangeSites;

TEST_F(ExchangeLog, EveryExchangeIsLoggedAndOnlyItsAgePrunesIt) {
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Logtown' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_NE(runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"}).status, 0) << "read twice";
    Workspace::runIsql(master, "INSERT INTO R$EXCHANGELOG (MOMENT, ACTION) VALUES ('2020-01-01 10:00:00', 'fill');"
                               " COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "delete-history", value(master, "select max(SYNCHRONUMBER) from R$SYNCHRO;"),
             "--yes"});

    const std::string log = mustRun({"--local", "Master", "log", "--json"}).out;
    for (const char* entry : {R"("action":"read","osUser":)", R"("dbUser":"SYSDBA","peer":"WEST","fillNumber":2,"outcome":"done","counts":"CUSTOMER 0 inserted 1 updated 0 deleted")",
                              R"("outcome":"refused")", R"("action":"fill")", R"("action":"delete-history")", R"("moment":"2020-01-01 10:00:00")"})
        EXPECT_NE(log.find(entry), std::string::npos) << entry << " in " << log;
    EXPECT_NE(mustRun({"--local", "Clone", "log"}).out.find("fill"), std::string::npos);

    mustRun({"--local", "Master", "log-keep", "30"});
    mustRun({"--local", "Master", "triggers-inactive", "--yes"});
    const std::string kept = mustRun({"--local", "Master", "log", "--since", "2019-01-01"}).out;
    EXPECT_EQ(kept.find("2020-01-01"), std::string::npos) << "older than 30 days: pruned\n" << kept;
    EXPECT_NE(kept.find("triggers-off"), std::string::npos) << kept;
}

}  // namespace
}  // namespace quorvel::test

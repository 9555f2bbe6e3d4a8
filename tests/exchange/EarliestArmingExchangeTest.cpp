// A master armed by the first version (four-column journal keyed on code and
// operation, triggers that journal everything, no peers, no version) meets
// this Quorvel: connected once, it is upgraded, and it exchanges both ways
// with a clone made now, through a synchro database of the current format.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "engine/Database.h"
#include "support/EarlierTriggers.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class EarliestArmingExchange : public ExchangeSites {
protected:
    // Not the fixture's fresh master: the first version's.
    void SetUp() override {}

    void makeEarliestMaster() {
        master = ws.createDatabase("Master", localObjectsScript(1) + R"(
CREATE GENERATOR GEN_CUSTOMER;
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30),
R$CODE1 INTEGER, R$CODE2 INTEGER);
CREATE TABLE STOCK (ID INTEGER NOT NULL PRIMARY KEY, TITLE VARCHAR(20), QTY INTEGER [4],
R$CODE1 INTEGER, R$CODE2 INTEGER);
COMMIT;
INSERT INTO R$CLONE VALUES ('MASTER', 0, 0, 2000000000, 'Y');
INSERT INTO R$WORKINGTABLES VALUES ('CUSTOMER');
INSERT INTO R$WORKINGTABLES VALUES ('STOCK');
INSERT INTO R$TABLEORDER VALUES (1, 'CUSTOMER');
INSERT INTO R$TABLEORDER VALUES (2, 'STOCK');
INSERT INTO R$PKGENS VALUES ('GEN_CUSTOMER', 100000);
INSERT INTO CUSTOMER VALUES (1, 'Anna', 'Lyon', 0, 1);
INSERT INTO CUSTOMER VALUES (2, 'Bruno', 'Porto', 0, 2);
INSERT INTO STOCK (ID, TITLE, R$CODE1, R$CODE2) VALUES (1, 'Bolts', 0, 3);
INSERT INTO R$SYNCHRO VALUES (0, '2026-01-01', 0, 4);
COMMIT;
SET GENERATOR R$GEN2 TO 4;
SET GENERATOR GEN_CUSTOMER TO 2;
COMMIT;
)");
        engine::Database db("Master");
        Workspace::connect(db, "Master");
        for (const std::string& trigger : earlierTriggerStatements(
                 {"R$1|CUSTOMER|1", "R$2|CUSTOMER|6", "R$3|CUSTOMER|4", "R$4|STOCK|1", "R$5|STOCK|6", "R$6|STOCK|4"}))
            db.execute(trigger);
    }
};

TEST_F(EarliestArmingExchange, IsUpgradedOnceAndExchangesWithACloneMadeNow) {
    makeEarliestMaster();
    const CliResult status = mustRun({"--local", "Master", "status"});
    EXPECT_NE(status.err.find("The replication objects of Master were upgraded from version 1 to version 14."),
              std::string::npos)
        << status.err;
    EXPECT_NE(status.out.find("Replication triggers: of an earlier version"), std::string::npos) << status.out;
    EXPECT_EQ(mustRun({"--local", "Master", "status"}).err.find("upgraded"), std::string::npos);

    // A synchro database from the master's definition, a clone in one command.
    const std::string ddl = ws.path("master.ddl"), synchroDdl = ws.path("synchro.ddl");
    ASSERT_EQ(std::system(("isql-fb -x -user SYSDBA -o '" + ddl + "' '" + master + "' >/dev/null 2>&1").c_str()), 0);
    mustRun({"--local", "Master", "convert-ddl", ddl, synchroDdl, "--yes"});
    synchro = ws.path("synchro.fdb");
    mustRun({"create-database", synchro});
    ASSERT_EQ(std::system(("isql-fb -q -user SYSDBA -i '" + synchroDdl + "' '" + synchro + "' >/dev/null 2>&1").c_str()),
              0);
    mustRun({"aliases", "add", "Synchro", synchro});
    clone = ws.path("clone.fdb");
    mustRun({"--local", "Master", "make-clone", "WEST", "--max1", "1", "--max2", "1000000000", clone, "--yes"});
    mustRun({"aliases", "add", "Clone", clone});

    // Each way once: the triggers (the clone has the master's) journal
    // everything, so each read switches them off around it.
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Lille' WHERE ID = 1; COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    Workspace::runIsql(clone, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Westa', 'Vigo');"
                              " UPDATE CUSTOMER SET CITY = 'Faro' WHERE ID = 2; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});

    const char* const customers = "select ID, NAME, CITY, R$CODE1, R$CODE2 from CUSTOMER order by ID;";
    EXPECT_EQ(Workspace::isqlOutput(master, customers), Workspace::isqlOutput(clone, customers));
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Lille");
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 2;"), "Faro");
    EXPECT_EQ(value(master, "select count(*) from CUSTOMER where NAME = 'Westa';"), "1");
}

}  // namespace
}  // namespace quorvel::test

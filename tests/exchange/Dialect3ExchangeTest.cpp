// A dialect-3 replication set the operator's way with quorvel-cli: a master
// with 64-bit keys, an exact NUMERIC(18,4) key, DATE, TIME, TIMESTAMP,
// BOOLEAN, a quoted mixed-case table and generator and a user trigger is
// prepared, converted and cloned; the clone's changes travel to the master
// exactly. A synchro database of the other dialect is refused untouched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "OperatorSites.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

const char* const kSchema = R"(
CREATE GENERATOR "GenOrder";
SET GENERATOR "GenOrder" TO 5000000000;
CREATE TABLE ITEM (ID BIGINT NOT NULL PRIMARY KEY, TITLE VARCHAR(40), MADE DATE, AT_TIME TIME,
  STAMP TIMESTAMP, OK BOOLEAN);
CREATE TABLE KEYED (PRICE NUMERIC(18,4) NOT NULL PRIMARY KEY, NOTE VARCHAR(20), "Note" VARCHAR(20));
CREATE TABLE "OrderLine" ("Id" BIGINT NOT NULL PRIMARY KEY, "Item" BIGINT REFERENCES ITEM (ID),
  "Unit price" NUMERIC(18,4), "Qty" INTEGER, "Touched" INTEGER);
SET TERM ^ ;
CREATE TRIGGER "OrderLine_Touch" FOR "OrderLine" BEFORE UPDATE AS
BEGIN
  NEW."Touched" = COALESCE(OLD."Touched", 0) + 1;
END^
SET TERM ; ^
COMMIT;
INSERT INTO ITEM VALUES (9007199254740993, 'Above 2^53', '2026-12-07', '13:14:15.0001',
  '2026-12-07 13:14:15.9999', TRUE);
INSERT INTO ITEM VALUES (1, 'Small', '1999-01-31', '00:00:00', '2000-02-29 23:59:59.5000', FALSE);
INSERT INTO KEYED VALUES (12.3456, 'to move', 'Its own column');
INSERT INTO KEYED VALUES (-0.0001, 'stays', NULL);
INSERT INTO "OrderLine" ("Id", "Item", "Unit price", "Qty") VALUES (GEN_ID("GenOrder", 1), 1, 1.5, 2);
COMMIT;
)";

// What the clone does between two exchanges: inserts at the limits of every
// type, updates (one fires the user trigger), a delete and a change of the
// NUMERIC primary key.
const char* const kCloneWork = R"(
SET SQL DIALECT 3;
INSERT INTO ITEM (ID, TITLE, MADE, AT_TIME, STAMP, OK) VALUES (9223372036854775807, 'Largest', '9999-12-31', '23:59:59.9999',
  '9999-12-31 23:59:59.9999', TRUE);
INSERT INTO ITEM (ID, TITLE, MADE, AT_TIME, STAMP, OK) VALUES (-9223372036854775808, 'Smallest', '0001-01-01', '00:00:00.0001',
  '0001-01-01 00:00:00.0001', NULL);
UPDATE ITEM SET TITLE = 'Changed', OK = FALSE, STAMP = '2027-01-01 00:00:00.0001' WHERE ID = 9007199254740993;
DELETE FROM "OrderLine";
DELETE FROM ITEM WHERE ID = 1;
UPDATE KEYED SET PRICE = 99999999999999.9999, NOTE = 'moved', "Note" = 'Moved apart' WHERE PRICE = 12.3456;
INSERT INTO KEYED (PRICE, NOTE) VALUES (-99999999999999.9999, 'lowest');
INSERT INTO "OrderLine" ("Id", "Item", "Unit price", "Qty")
  VALUES (GEN_ID("GenOrder", 1), 9223372036854775807, 922337203685477.5807, 7);
UPDATE "OrderLine" SET "Qty" = 8;
COMMIT;
)";

const char* const kRows =
    "SET SQL DIALECT 3;\n"
    "select * from ITEM order by ID;\n"
    "select * from KEYED order by PRICE;\n"
    "select \"Id\", \"Item\", \"Unit price\", \"Qty\", \"Touched\" from \"OrderLine\" order by \"Id\";\n";

void shell(const std::string& command, const std::string& log) {
    const int rc = std::system(("(" + command + ") >'" + log + "' 2>&1").c_str());
    std::ifstream in(log);
    std::stringstream said;
    said << in.rdbuf();
    ASSERT_EQ(rc, 0) << command << "\n" << said.str();
    ASSERT_EQ(said.str().find("Statement failed"), std::string::npos) << command << "\n" << said.str();
}

// Statements on a dialect-3 database through isql, whose client speaks dialect 1.
std::string in3(const std::string& sql) { return "SET SQL DIALECT 3;\n" + sql; }

class Dialect3Exchange : public ExchangeSites {
protected:
    void SetUp() override {}
};

TEST_F(Dialect3Exchange, CloneChangesReachTheMasterValueForValue) {
    master = ws.createDatabase("Master", kSchema, 3);
    mustRun({"--local", "Master", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    mustRun({"--local", "Master", "select-all-tables", "--yes"});
    mustRun({"--local", "Master", "add-gen", "GenOrder", "--offset", "10000000000", "--yes"});
    mustRun({"--local", "Master", "recreate-triggers", "--yes"});
    EXPECT_NE(mustRun({"--local", "Master", "status"}).out.find("Dialect: 3"), std::string::npos);
    ASSERT_FALSE(HasFailure());

    const std::string ddl = ws.path("master.ddl"), synchroDdl = ws.path("synchro.ddl");
    shell("isql-fb -x -user SYSDBA -o '" + ddl + "' '" + master + "'", ws.path("isql.log"));
    mustRun({"--local", "Master", "convert-ddl", ddl, synchroDdl, "--yes"});
    EXPECT_EQ(value(master, in3("select cast(list(trim(TableName), ',') as varchar(100)) from (select TableName from R$TABLEORDER order by Number);")),
              "ITEM,KEYED,OrderLine");
    synchro = ws.path("synchro.fdb");
    EXPECT_NE(mustRun({"create-database", synchro, "--dialect", "3"}).out.find("(dialect 3)"), std::string::npos);
    shell("isql-fb -q -user SYSDBA -i '" + synchroDdl + "' '" + synchro + "'", ws.path("isql.log"));
    mustRun({"aliases", "add", "Synchro", synchro});

    clone = ws.path("clone.fdb");
    mustRun({"--local", "Master", "make-clone", "WEST", "--max1", "1", "--max2", "1000000000", clone, "--yes"});
    mustRun({"aliases", "add", "Clone", clone});
    ASSERT_FALSE(HasFailure());
    // Moved once by its offset, 64-bit all the way.
    EXPECT_EQ(value(clone, in3("select gen_id(\"GenOrder\", 0) from RDB$DATABASE;")), "15000000001");

    Workspace::runIsql(clone, kCloneWork);
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    ASSERT_FALSE(HasFailure());

    const std::string atMaster = Workspace::isqlOutput(master, kRows);
    EXPECT_EQ(atMaster, Workspace::isqlOutput(clone, kRows));
    for (const char* expected : {"9223372036854775807", "-9223372036854775808", "9007199254740993",
                                 "99999999999999.9999", "922337203685477.5807", "23:59:59.9999",
                                 "2027-01-01 00:00:00.0001", "0001-01-01", "Moved apart"})
        EXPECT_NE(atMaster.find(expected), std::string::npos) << expected << "\n" << atMaster;
    EXPECT_EQ(atMaster.find("12.3456"), std::string::npos) << atMaster;
}

// Also what a master moved to dialect 3 with gfix meets at its clones and
// synchro databases left in dialect 1.
TEST_F(Dialect3Exchange, DatabasesOfTheOtherDialectAreRefusedUntouched) {
    ws.createDatabase("Three", "CREATE TABLE ITEM (ID BIGINT NOT NULL PRIMARY KEY);", 3);
    mustRun({"--local", "Three", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    mustRun({"--local", "Three", "select-all-tables", "--yes"});
    mustRun({"--local", "Three", "recreate-triggers", "--yes"});
    mustRun({"--local", "Three", "new-clone", "WEST", "--max1", "1", "--max2", "1000000000", "--yes"});
    const std::string one = ws.createDatabase(
        "One", synchroObjectsScript() + "INSERT INTO R$SYNCHRO (SYNCHRONUMBER, SYNCHRODATE) VALUES (1, '2026-12-07');\n"
               "COMMIT;");
    const char* const look = "show tables;\nselect * from R$SYNCHRO;";
    const std::string before = Workspace::isqlOutput(one, look);
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"--local", "Three", "--synchro", "One", "fill", "--yes"}, "and the synchro database a dialect 1 one"},
        {{"--local", "Three", "--synchro", "One", "read", "--yes"}, "and the synchro database a dialect 1 one"},
        {{"--local", "Three", "--clone", "One", "update-clone", "WEST", "--yes"}, "and the Clone database a dialect 1 one"},
    };
    for (const auto& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_NE(r.status, 0) << c.args[4];
        EXPECT_NE((r.out + r.err).find(std::string("dialect 3 database ") + c.said), std::string::npos)
            << c.args[4] << "\n" << r.out << r.err;
    }
    EXPECT_EQ(Workspace::isqlOutput(one, look), before);
}

}  // namespace
}  // namespace quorvel::test

// An application's schema as real ones are: a BEFORE INSERT trigger that
// always sets the key from a generator, a LAST_UPDATE stamp, a UNIQUE
// position per order, a parent key that cascades, a reference cycle
// (a customer's best order) and parents merged. Set up in the README's
// order: both clones made before convert-ddl. Ordinary work at every site,
// and after each round every site holds the same rows.
#include <gtest/gtest.h>

#include <filesystem>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

const char* const kShop = R"(
CREATE GENERATOR GEN_CUSTOMER;
CREATE GENERATOR GEN_ORDERS;
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), BEST_ORDER INTEGER,
  LAST_UPDATE TIMESTAMP);
CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY,
  CUSTOMER_ID INTEGER NOT NULL REFERENCES CUSTOMER (ID) ON UPDATE CASCADE, NOTE VARCHAR(40));
ALTER TABLE CUSTOMER ADD CONSTRAINT FK_BEST FOREIGN KEY (BEST_ORDER) REFERENCES ORDERS (ID);
CREATE TABLE LINE (ID INTEGER NOT NULL PRIMARY KEY, ORDER_ID INTEGER NOT NULL REFERENCES ORDERS (ID),
  POS INTEGER NOT NULL, ITEM VARCHAR(20), CONSTRAINT UQ_LINE_POS UNIQUE (ORDER_ID, POS));
CREATE TABLE LABEL (NAME VARCHAR(20) NOT NULL UNIQUE, NOTE VARCHAR(20));
SET TERM ^ ;
CREATE TRIGGER CUSTOMER_KEY FOR CUSTOMER BEFORE INSERT AS
  DECLARE VARIABLE drawn INTEGER;
BEGIN
  drawn = GEN_ID(GEN_CUSTOMER, 1);
  NEW.ID = drawn;
END^
CREATE TRIGGER CUSTOMER_STAMP FOR CUSTOMER BEFORE INSERT OR UPDATE AS
BEGIN
  NEW.LAST_UPDATE = CAST('NOW' AS TIMESTAMP) + GEN_ID(GEN_ORDERS, 0) / 86400.0;
END^
SET TERM ; ^
)";

class ApplicationSchema : public ExchangeSites {
protected:
    void SetUp() override {
        // ExchangeSites's own schema is not used: this one is set up here, in
        // the order the README gives.
        master = ws.createDatabase("Master", kShop);
        mustRun({"--local", "Master", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
        mustRun({"--local", "Master", "select-all-tables", "--yes"});
        mustRun({"--local", "Master", "add-gen", "GEN_CUSTOMER", "--offset", "100000", "--yes"});
        mustRun({"--local", "Master", "add-gen", "GEN_ORDERS", "--offset", "100000", "--yes"});
        mustRun({"--local", "Master", "recreate-triggers", "--yes"});
        const CliResult status = mustRun({"--local", "Master", "status"});
        EXPECT_NE(status.out.find("Unguarded trigger: CUSTOMER_KEY on CUSTOMER sets NEW.ID"), std::string::npos)
            << status.out;
        mustRun({"--local", "Master", "guard-triggers", "--yes"});
        EXPECT_EQ(mustRun({"--local", "Master", "status"}).out.find("Unguarded"), std::string::npos);
        for (const char* name : {"EAST", "WEST"}) {
            const std::string file = ws.path(std::string(name) + ".fdb");
            mustRun({"--local", "Master", "make-clone", name, "--max1", name[0] == 'E' ? "1" : "2", "--max2",
                     "1000000000", file, "--yes"});
            mustRun({"aliases", "add", name, file});
            sites.push_back(file);
        }
        const std::string ddl = ws.path("master.ddl"), synchroDdl = ws.path("synchro.ddl");
        ASSERT_EQ(std::system(("isql-fb -x -user SYSDBA -o '" + ddl + "' '" + master + "'").c_str()), 0);
        mustRun({"--local", "Master", "convert-ddl", ddl, synchroDdl, "--yes"});
        synchro = ws.path("synchro.fdb");
        mustRun({"create-database", synchro});
        ASSERT_EQ(std::system(("isql-fb -q -user SYSDBA -i '" + synchroDdl + "' '" + synchro + "'").c_str()), 0);
        sites.insert(sites.begin(), master);
    }

    std::string file() {
        const std::string alias = "S" + std::to_string(files_++);
        std::filesystem::copy_file(synchro, ws.path(alias + ".fdb"));
        mustRun({"aliases", "add", alias, ws.path(alias + ".fdb")});
        return alias;
    }
    // Each clone to the master, then the master to each clone; every site
    // then holds what the master holds.
    void roundAndCompare(const std::string& what) {
        SCOPED_TRACE(what);
        std::vector<std::string> fromClones;
        for (const char* clone : {"EAST", "WEST"}) {
            fromClones.push_back(file());
            mustRun({"--local", clone, "--synchro", fromClones.back(), "fill", "--yes"});
        }
        for (const std::string& f : fromClones) mustRun({"--local", "Master", "--synchro", f, "read", "--yes"});
        const std::string fromMaster = file();
        mustRun({"--local", "Master", "--synchro", fromMaster, "fill", "--yes"});
        for (const char* clone : {"EAST", "WEST"}) mustRun({"--local", clone, "--synchro", fromMaster, "read", "--yes"});
        const std::string expected = contents(master);
        for (const std::string& site : sites) EXPECT_EQ(contents(site), expected) << site;
    }
    static std::string contents(const std::string& db) {
        return Workspace::isqlOutput(db, "select * from CUSTOMER order by ID;\nselect * from ORDERS order by ID;\n"
                                         "select * from LINE order by ID;\nselect * from LABEL order by NAME;\n");
    }

    std::vector<std::string> sites;  // the master first
    int files_ = 0;
};

TEST_F(ApplicationSchema, OrdinaryWorkAtEverySiteLeavesEverySiteAlike) {
    // New rows everywhere: keys from each site's own range, stamps of the
    // site that wrote them, a customer whose best order arrives with it.
    Workspace::runIsql(master,
                       "INSERT INTO CUSTOMER (NAME) VALUES ('Ada'); INSERT INTO CUSTOMER (NAME) VALUES ('Bob');"
                       " INSERT INTO ORDERS (ID, CUSTOMER_ID, NOTE) VALUES (1, 1, 'first'); INSERT INTO ORDERS (ID, CUSTOMER_ID, NOTE) VALUES (2, 2, 'second');"
                       " INSERT INTO LINE (ID, ORDER_ID, POS, ITEM) VALUES (1, 1, 1, 'pen'); INSERT INTO LINE (ID, ORDER_ID, POS, ITEM) VALUES (2, 1, 2, 'ink');"
                       " INSERT INTO LINE (ID, ORDER_ID, POS, ITEM) VALUES (3, 1, 3, 'nib'); UPDATE CUSTOMER SET BEST_ORDER = 1 WHERE ID = 1;"
                       " COMMIT;");
    Workspace::runIsql(sites[1], "INSERT INTO CUSTOMER (NAME) VALUES ('Eve'); INSERT INTO ORDERS (ID, CUSTOMER_ID, NOTE)"
                                 " VALUES (GEN_ID(GEN_ORDERS, 1), (SELECT MAX(ID) FROM CUSTOMER), 'east'); COMMIT;");
    roundAndCompare("new rows");

    // Lines renumbered and two of them swapping their keys; a customer's key
    // changed (its orders follow by cascade); the customers merged.
    Workspace::runIsql(master,
                       "UPDATE LINE SET POS = -POS WHERE ORDER_ID = 1; UPDATE LINE SET POS = 5 + POS WHERE ORDER_ID = 1;"
                       " INSERT INTO LINE (ID, ORDER_ID, POS, ITEM) VALUES (4, 1, 1, 'cap');"
                       " UPDATE LINE SET ID = 100 WHERE ID = 1; UPDATE LINE SET ID = 1 WHERE ID = 2;"
                       " UPDATE LINE SET ID = 2 WHERE ID = 100; COMMIT;");
    Workspace::runIsql(sites[2], "UPDATE CUSTOMER SET ID = 50 WHERE ID = 2; COMMIT;");
    roundAndCompare("renumbered, swapped, cascaded");

    Workspace::runIsql(master, "UPDATE ORDERS SET CUSTOMER_ID = 1 WHERE CUSTOMER_ID = 50;"
                               " DELETE FROM CUSTOMER WHERE ID = 50; COMMIT;");
    roundAndCompare("merged");
    EXPECT_EQ(value(sites[2], "select count(*) from CUSTOMER where ID = 50;"), "0");

    // The same unique value taken at two sites, in a table without a primary
    // key: the read says which way out there is, and that way converges.
    Workspace::runIsql(master, "INSERT INTO LABEL (NAME, NOTE) VALUES ('red', 'master'); COMMIT;");
    Workspace::runIsql(sites[1], "INSERT INTO LABEL (NAME, NOTE) VALUES ('red', 'east'); COMMIT;");
    const std::string fromEast = file();
    mustRun({"--local", "EAST", "--synchro", fromEast, "fill", "--yes"});
    const CliResult stopped = runCli({"--local", "Master", "--synchro", fromEast, "read", "--yes"});
    EXPECT_NE(stopped.err.find("Table LABEL has no primary key, so no settle command can name its rows"),
              std::string::npos)
        << stopped.err;
    Workspace::runIsql(master, "UPDATE LABEL SET NAME = 'crimson' WHERE NAME = 'red'; COMMIT;");
    mustRun({"--local", "Master", "--synchro", fromEast, "read", "--yes"});
    roundAndCompare("a unique value taken twice, settled");
}

}  // namespace
}  // namespace quorvel::test

#include "support/ExchangeFixture.h"

#include "support/Rows.h"
#include "support/ToolObjects.h"

namespace quorvel::test {

namespace {

const char* const kCustomer = R"(
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40),
NOTE BLOB SUB_TYPE TEXT SEGMENT SIZE 80, R$CODE1 INTEGER, R$CODE2 INTEGER);
CREATE INDEX R$CUSTOMER_CODES ON CUSTOMER (R$CODE1, R$CODE2);
)";

std::string n(long v) { return std::to_string(v); }

}  // namespace

void ExchangeTest::makeDatabases(const Local& l, const std::string& localExtra, const std::string& synchroExtra) {
    // The other site: a clone WEST (number 1) of a master, or the master of a
    // clone; it has read this site's fills up to the last history row, 3.
    const bool master = l.identity == "MASTER";
    const std::string peer = master ? "insert into R$CLONE values (\"WEST\", 1, 1, 1000000000, null);\n"
                                      "insert into R$PEERS values (1, \"WEST\", 0, null, 3, null);\n"
                                    : "insert into R$CLONE values (\"MASTER\", 0, 0, 0, null);\n"
                                      "insert into R$PEERS values (0, \"MASTER\", 0, null, 3, null);\n";
    std::string script = localObjectsScript() + kCustomer +
                         "insert into R$CLONE values (\"" + l.identity + "\", " + (master ? "0" : "1") + ", " +
                         n(l.bound1) + ", " + n(l.bound2) + ", \"Y\");\n" + peer +
                         "insert into R$WORKINGTABLES values (\"CUSTOMER\");\n"
                         "insert into R$TABLEORDER values (1, \"CUSTOMER\");\n"
                         "insert into R$SYNCHRO values (0, \"2026-01-01\", 0, 10);\n"
                         "insert into R$SYNCHRO values (3, \"2026-02-01\", " + n(l.mark1) + ", " + n(l.mark2) + ");\n"
                         "commit;\nset generator R$Gen1 to " + n(l.gen1) + ";\nset generator R$Gen2 to " +
                         n(l.gen2) + ";\nset generator R$Trig to " + n(l.trig) + ";\ncommit;\n" + localExtra;
    // A test may make several pairs in turn; each pair has aliases of its own.
    dm.UserDB().disconnect();
    dm.SynchroDB().disconnect();
    ++pairs_;
    localAlias = "Local" + n(pairs_);
    synchroAlias = "Synchro" + n(pairs_);
    localPath = ws.createDatabase(localAlias, script);
    synchroPath = ws.createDatabase(synchroAlias, synchroObjectsScript() + kCustomer + synchroExtra);
    connectBoth();
}

void ExchangeTest::connectBoth() {
    Workspace::connect(dm.UserDB(), localAlias);
    Workspace::connect(dm.SynchroDB(), synchroAlias);
}

void ExchangeTest::local(const std::string& sql) { dm.UserDB().execute(sql); }
void ExchangeTest::synchro(const std::string& sql) { dm.SynchroDB().execute(sql); }
std::vector<std::string> ExchangeTest::localRows(const std::string& sql) { return rowsOf(dm.UserDB(), sql); }
std::vector<std::string> ExchangeTest::synchroRows(const std::string& sql) { return rowsOf(dm.SynchroDB(), sql); }

std::string ExchangeTest::customer(long id, const std::string& name, long code1, long code2) {
    return "insert into CUSTOMER (ID, NAME, R$CODE1, R$CODE2) values (" + n(id) + ", \"" + name + "\", " +
           n(code1) + ", " + n(code2) + ")";
}

}  // namespace quorvel::test

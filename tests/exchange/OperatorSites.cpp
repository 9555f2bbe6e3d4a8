#include "OperatorSites.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "clone/Gbak.h"

namespace quorvel::test {

namespace {

const char* const kSchema = R"(
CREATE GENERATOR GEN_CUSTOMER;
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30));
CREATE TABLE STOCK (ID INTEGER NOT NULL PRIMARY KEY, TITLE VARCHAR(20), QTY INTEGER [4]);
CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER REFERENCES CUSTOMER (ID));
COMMIT;
INSERT INTO CUSTOMER VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Anna', 'Lyon');
INSERT INTO CUSTOMER VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Bruno', 'Porto');
INSERT INTO CUSTOMER VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Clara', 'Graz');
INSERT INTO STOCK (ID, TITLE) VALUES (1, 'Bolts');
INSERT INTO STOCK (ID, TITLE) VALUES (2, 'Nuts');
COMMIT;
)";

// A tool of the server's (isql-fb) in a process of its own; its
// output is shown when it fails.
void run(const std::string& command, const std::string& log) {
    const int rc = std::system(("(" + command + ") >'" + log + "' 2>&1").c_str());
    std::ifstream in(log);
    std::stringstream said;
    said << in.rdbuf();
    ASSERT_EQ(rc, 0) << command << "\n" << said.str();
    ASSERT_EQ(said.str().find("Statement failed"), std::string::npos) << command << "\n" << said.str();
}

}  // namespace

CliResult runCli(const std::vector<std::string>& args) {
    std::istringstream in;
    std::ostringstream out, err;
    const int rc = cli::run(args, in, out, err, false);
    return {rc, out.str(), err.str()};
}

CliResult ExchangeSites::mustRun(const std::vector<std::string>& args) {
    CliResult r = runCli(args);
    EXPECT_EQ(r.status, 0) << ::testing::PrintToString(args) << "\n" << r.out << r.err;
    return r;
}

std::string ExchangeSites::value(const std::string& database, const std::string& sql) {
    std::istringstream out(Workspace::isqlOutput(database, "SET HEADING OFF;\n" + sql));
    for (std::string line; std::getline(out, line);) {
        const auto start = line.find_first_not_of(' ');
        // isql's note that its client speaks dialect 1 to a dialect-3 database.
        if (start == std::string::npos || line.rfind("WARNING: Client SQL dialect", 0) == 0) continue;
        return line.substr(start, line.find_last_not_of(' ') - start + 1);
    }
    return {};
}

std::string ExchangeSites::contents(const std::string& database) {
    return Workspace::isqlOutput(database,
                                 "select * from CUSTOMER order by ID;\n"
                                 "select ID, TITLE, R$CODE1, R$CODE2 from STOCK order by ID;\n"
                                 "select * from R$DELETEDUPDATED order by 1, 2, 3;\n"
                                 "select * from R$SYNCHRO order by 1;\n");
}

void ExchangeSites::SetUp() {
    master = ws.createDatabase("Master", kSchema);
    mustRun({"--local", "Master", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    mustRun({"--local", "Master", "select-all-tables", "--yes"});
    mustRun({"--local", "Master", "add-gen", "GEN_CUSTOMER", "--offset", "100000", "--yes"});
    mustRun({"--local", "Master", "recreate-triggers", "--yes"});
    ASSERT_FALSE(HasFailure());

    const std::string ddl = ws.path("master.ddl"), synchroDdl = ws.path("synchro.ddl");
    run("isql-fb -x -user SYSDBA -o '" + ddl + "' '" + master + "'", ws.path("isql.log"));
    mustRun({"--local", "Master", "convert-ddl", ddl, synchroDdl, "--yes"});
    synchro = ws.path("synchro.fdb");
    mustRun({"create-database", synchro});
    run("isql-fb -q -user SYSDBA -i '" + synchroDdl + "' '" + synchro + "'", ws.path("isql.log"));
    mustRun({"aliases", "add", "Synchro", synchro});
}

std::string ExchangeSites::copyOfMaster(const std::string& file, const std::string& alias) {
    const std::string copy = ws.path(file), backup = ws.path(file + ".fbk");
    EXPECT_NO_THROW(clone::backUpDatabase(master, backup, {}));
    EXPECT_NO_THROW(clone::restoreDatabase(backup, copy, {}));
    mustRun({"aliases", "add", alias, copy});
    return copy;
}

void ExchangeSites::makeClone() {
    mustRun({"--local", "Master", "new-clone", "WEST", "--max1", "1", "--max2", "1000000000", "--yes"});
    clone = ws.path("clone.fdb");
    const std::string backup = ws.path("master.fbk");
    ASSERT_NO_THROW(clone::backUpDatabase(master, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, clone, {}));
    mustRun({"aliases", "add", "Clone", clone});
    mustRun({"--local", "Master", "--clone", "Clone", "update-clone", "WEST", "--yes"});
}

}  // namespace quorvel::test

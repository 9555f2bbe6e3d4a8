// A master whose default character set is not NONE: the synchro database
// made from its converted definition, or made "like" it, measures texts as
// the master does, so a full VARCHAR of umlauts travels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "OperatorSites.h"

using quorvel::test::CliResult;
using quorvel::test::ExchangeSites;
using quorvel::test::runCli;
using quorvel::test::Workspace;

namespace {

// 15 umlauts: 30 bytes in UTF8, 15 characters.
const std::string kUmlauts = "ÄÖÜäöüÄÖÜäöüÄÖÜ";

void mustRun(const std::vector<std::string>& args) {
    const CliResult r = runCli(args);
    ASSERT_EQ(r.status, 0) << ::testing::PrintToString(args) << "\n" << r.out << r.err;
}

// "dialect|character set" of a database, the last line isql prints (isql
// warns first of a dialect-3 database).
std::string facts(const std::string& database) {
    std::string out = Workspace::isqlOutput(database, "SET HEADING OFF;\n"
                                                      "select MON$SQL_DIALECT || '|' || trim(RDB$CHARACTER_SET_NAME) "
                                                      "from MON$DATABASE cross join RDB$DATABASE;");
    out.erase(out.find_last_not_of(" \n") + 1);
    return out.substr(out.find_last_of(" \n") + 1);
}

TEST(CharacterSet, AUtf8MastersTextsFitItsSynchroDatabase) {
    Workspace ws;
    const std::string master =
        ws.createDatabase("Master", "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8; COMMIT;\n"
                                    "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
                                    "COMMIT;\nINSERT INTO CUSTOMER VALUES (1, 'Anna');\nCOMMIT;\n");
    mustRun({"--local", "Master", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    mustRun({"--local", "Master", "select-all-tables", "--yes"});
    mustRun({"--local", "Master", "recreate-triggers", "--yes"});
    Workspace::runIsql(master, "INSERT INTO CUSTOMER (ID, NAME) VALUES (2, '" + kUmlauts + "'); COMMIT;");

    const std::string ddl = ws.path("master.ddl"), synchroDdl = ws.path("synchro.ddl");
    ASSERT_EQ(std::system(("isql-fb -x -user SYSDBA -o '" + ddl + "' '" + master + "'").c_str()), 0);
    mustRun({"--local", "Master", "convert-ddl", ddl, synchroDdl, "--yes"});
    // A database made the plain way takes the default from the script.
    const std::string synchro = ws.path("synchro.fdb");
    mustRun({"create-database", synchro});
    Workspace::runIsql(synchro, "INPUT '" + synchroDdl + "';");
    mustRun({"aliases", "add", "Synchro", synchro});

    mustRun({"--local", "Master", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(ExchangeSites::value(synchro, "select NAME from CUSTOMER where ID = 2;"), kUmlauts);
}

TEST(CharacterSet, CreateDatabaseLikeAnAliasTakesItsDialectAndCharacterSet) {
    Workspace ws;
    ws.createDatabase("Utf", "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8; COMMIT;");
    ws.createDatabase("Win", "ALTER DATABASE SET DEFAULT CHARACTER SET WIN1252; COMMIT;", 3);
    ws.createDatabase("None");
    const struct {
        std::string like, facts;
    } cases[] = {{"Utf", "1|UTF8"}, {"Win", "3|WIN1252"}, {"None", "1|NONE"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.like);
        const std::string made = ws.path("like-" + c.like + ".fdb");
        mustRun({"create-database", made, "--like", c.like});
        EXPECT_EQ(facts(made), c.facts);
    }
    const CliResult unknown = runCli({"create-database", ws.path("x.fdb"), "--like", "NoSuchAlias"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("Nothing was created"), std::string::npos) << unknown.err;
}

}  // namespace

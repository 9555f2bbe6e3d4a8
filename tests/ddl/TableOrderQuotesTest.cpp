// The table order written back to the master holds names as the catalogue
// gives them, a double quote included. Dialect 1 cannot create such a name,
// so the master here is a dialect-3 database, which the tool's dialect-1
// statements still read and write.
#include <gtest/gtest.h>

#include "db/DM.h"
#include "ddl/MakeTableOrder.h"
#include "engine/Aliases.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

TEST(TableOrderWriting, KeepsADoubleQuoteInATableName) {
    Workspace ws;
    const std::string master = ws.path("quoted.fdb");
    Workspace::runIsql("",
                       "SET SQL DIALECT 3;\n"
                       "CREATE DATABASE '" + master + "' PAGE_SIZE 8192;\n"
                       "CREATE TABLE \"QUOTE\"\"D\" (ID INTEGER NOT NULL PRIMARY KEY);\n"
                       "CREATE TABLE PLAIN (ID INTEGER NOT NULL PRIMARY KEY);\n"
                       "CREATE TABLE R$TABLEORDER (NUMBER INTEGER NOT NULL PRIMARY KEY, TABLENAME CHAR(31));\n"
                       "CREATE TABLE R$WORKINGTABLES (NAME CHAR(31) NOT NULL PRIMARY KEY);\n"
                       "INSERT INTO R$WORKINGTABLES VALUES ('QUOTE\"D');\n"
                       "INSERT INTO R$WORKINGTABLES VALUES ('PLAIN');\n"
                       "COMMIT;\n");
    engine::Aliases::add("MASTER", master);
    DM dm;
    Workspace::connect(dm.UserDB(), "MASTER");

    ddl::TMyStream noReferences;
    noReferences.LoadFromString("CREATE TABLE PLAIN (ID INTEGER);\n");
    ASSERT_NO_THROW(ddl::MakeTableOrder(dm.UserDB(), noReferences));

    dm.Q6Show("select TABLENAME from R$TABLEORDER order by NUMBER");
    std::vector<std::string> names;
    for (dm.Q6.first(); !dm.Q6.eof(); dm.Q6.next()) names.push_back(dm.Q6.field(0).asString());
    dm.Q6.close();
    EXPECT_EQ(names, (std::vector<std::string>{"PLAIN", "QUOTE\"D"}));
}

}  // namespace
}  // namespace quorvel::test

// Quoted names, as a dialect-3 database has them: spelt once as the
// catalogue keeps them, matched exactly, written back into the order and
// kept quoted in the synchro script.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "MasterFixture.h"
#include "db/DM.h"
#include "ddl/MakeTableOrder.h"
#include "ddl/Names.h"
#include "engine/Aliases.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

TEST(TableNames, AreSpeltAsTheCatalogueKeepsThem) {
    const struct {
        const char* written;
        const char* normal;
    } cases[] = {
        {"ORDERLINE", "ORDERLINE"},     {"OrderLine", "ORDERLINE"},   {"r$code1", "R$CODE1"},
        {"\"OrderLine\"", "OrderLine"}, {"\"QUOTE\"\"D\"", "QUOTE\"D"}, {"\"Line No\"", "Line No"},
        {"\"\"\"\"", "\""},             {"\"Trail  \"", "Trail"},     {"\"cut", "cut"},
    };
    for (const auto& c : cases) EXPECT_EQ(ddl::NormalName(c.written), c.normal) << c.written;
}

TEST(TableOrderWriting, KeepsADoubleQuoteInATableName) {
    Workspace ws;
    const std::string master = ws.path("quoted.fdb");
    Workspace::runIsql("",
                       "SET SQL DIALECT 3;\n"
                       "CREATE DATABASE '" + master + "' PAGE_SIZE 8192;\n"
                       "CREATE TABLE \"QUOTE\"\"D\" (ID INTEGER NOT NULL PRIMARY KEY);\n"
                       "CREATE TABLE PLAIN (ID INTEGER NOT NULL PRIMARY KEY);\n"
                       + toolTableScript("R$TABLEORDER") + toolTableScript("R$WORKINGTABLES") +
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

// ORDERLINE is a table of its own beside "OrderLine" and no working table.
// ITEM references "QUOTE""D", which the table list puts last by name.
const char* const kQuotedShop =
    "CREATE GENERATOR \"ItemGen\";\n"
    "CREATE TABLE \"QUOTE\"\"D\" (Q INTEGER NOT NULL PRIMARY KEY, \"Said \"\"so\"\"\" VARCHAR(10));\n"
    "CREATE TABLE ITEM (ID BIGINT NOT NULL PRIMARY KEY, NAME VARCHAR(20),"
    " Q INTEGER REFERENCES \"QUOTE\"\"D\" (Q));\n"
    "CREATE TABLE KEYED (K NUMERIC(18,4) NOT NULL PRIMARY KEY, ITEM_ID BIGINT REFERENCES ITEM (ID),"
    " D DATE, T TIME, TS TIMESTAMP, OK BOOLEAN);\n"
    "CREATE TABLE \"OrderLine\" (\"LineNo\" INTEGER NOT NULL PRIMARY KEY,"
    " \"Item Id\" BIGINT REFERENCES ITEM (ID), \"Key\" NUMERIC(18,4) REFERENCES KEYED (K),"
    " \"Amount\" NUMERIC(15,2));\n"
    "CREATE TABLE ORDERLINE (ID INTEGER NOT NULL PRIMARY KEY, \"LineNo\" INTEGER REFERENCES \"OrderLine\");\n";

class QuotedNames : public MasterFixture {};

TEST_F(QuotedNames, ADialect3ExtractConvertsToAScriptTheServerRunsAndOrdersItsTables) {
    const Names working{"ITEM", "KEYED", "OrderLine", "QUOTE\"D"};
    std::string extract = prepareMaster(kQuotedShop, working, "", 3);
    std::string target = ws.path("synchro.ddl");
    convert(extract, target);
    ASSERT_TRUE(outcome.isDone()) << outcome.message();

    std::ifstream in(target, std::ios::binary);
    std::stringstream script;
    script << in.rdbuf();
    EXPECT_NE(script.str().find("\r\n\"QUOTE\"\"D\"\r\n"), std::string::npos) << script.str();

    dm.UserDB().disconnect();
    std::string synchro = ws.createDatabase("SYNCHRO", "", 3);
    EXPECT_EQ(runScriptFile(synchro, target), "");
    Names expected;
    for (const std::string& t : describeTables(master))
        for (const std::string& w : working)
            if (t.rfind(w + ":", 0) == 0) expected.push_back(t);
    ASSERT_EQ(expected.size(), working.size());
    Names made = describeTables(synchro);
    made.erase(std::remove_if(made.begin(), made.end(), [](const std::string& t) { return t.rfind("R$", 0) == 0; }),
               made.end());
    EXPECT_EQ(made, expected);

    EXPECT_EQ(tableOrder(master), (Names{"QUOTE\"D", "ITEM", "KEYED", "OrderLine"}));
}

}  // namespace
}  // namespace quorvel::test

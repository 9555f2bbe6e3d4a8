// The data module on a real database: catalog list contents, the colon rule
// through the statement helpers, and the generator list's value column.
#include <gtest/gtest.h>

#include "db/DM.h"
#include "engine/Error.h"
#include "replica/Catalogue.h"
#include "replica/SchemaVersion.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

class DataModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ws.createDatabase("Db",
                          "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
                          "CREATE TABLE MY_R$LOG (ID INTEGER);\n"
                          "CREATE TABLE OLDMETA$X (ID INTEGER);\n"
                          "CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUST INTEGER);\n"
                          "CREATE VIEW V_CUST AS SELECT ID, NAME FROM CUSTOMER;\n"
                          "CREATE GENERATOR GEN_A;\nCREATE GENERATOR GEN_B;\nCREATE GENERATOR X_META$Y;\n"
                          "COMMIT;\nSET GENERATOR GEN_A TO 41;\nSET GENERATOR GEN_B TO 7;\nCOMMIT;");
        test::Workspace::connect(dm.UserDB(), "Db");
    }
    test::Workspace ws;
    DM dm;
};

std::vector<std::string> column(engine::DataSet& ds, int c) {
    std::vector<std::string> v;
    for (ds.first(); !ds.eof(); ds.next()) v.push_back(ds.field(c).asString());
    return v;
}

TEST_F(DataModuleTest, TableListLeavesOutViewsAndReplicationOrMetadataNames) {
    dm.QTables.open();
    EXPECT_EQ(column(dm.QTables, 0), (std::vector<std::string>{"CUSTOMER", "ORDERS"}));
    EXPECT_EQ(dm.QTables.field(0).displayLabel, "Table Name");

    // The columns list follows the current table.
    dm.QColumns.open();
    dm.QTables.first();
    EXPECT_EQ(column(dm.QColumns, 0), (std::vector<std::string>{"ID", "NAME"}));
    dm.QTables.next();
    EXPECT_EQ(column(dm.QColumns, 0), (std::vector<std::string>{"ID", "CUST"}));
}

TEST_F(DataModuleTest, GeneratorListShowsEachValueThroughTheSharedStatementQuery) {
    dm.QGenerator.open();
    std::vector<std::string> names, values;
    for (dm.QGenerator.first(); !dm.QGenerator.eof(); dm.QGenerator.next()) {
        names.push_back(dm.QGenerator.field(0).asString());
        values.push_back(dm.QGenerator.fieldByName("GenValue").asString());
    }
    // Firebird 3 lists its own SQL$DEFAULT after the users' generators.
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 2), (std::vector<std::string>{"GEN_A", "GEN_B"}));
    EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + 2), (std::vector<std::string>{"41", "7"}));
    // Q6 holds the value query of the last generator fetched.
    EXPECT_EQ(dm.Q6.sql(), "select distinct gen_id(" + names.back() + ", 0)  from rdb$relations");
}

TEST_F(DataModuleTest, StatementHelpersFollowTheColonRule) {
    dm.Q6Exec("create table NOTES (ID INTEGER, TXT VARCHAR(40))");
    dm.Q6Exec("insert into NOTES values (1, \"at 10:30 :late\")");
    EXPECT_EQ(dm.Q6Text("select TXT from NOTES"), "at 10:30 :late");
    dm.Q6Exec("create procedure ONE returns (C integer) as begin select ID from NOTES into ::C; suspend; end");
    EXPECT_EQ(dm.Q6Integer("select C from ONE"), 1);
    try {
        dm.Q6Show("select * from NOTES where ID = :Wanted");
        FAIL() << "a parameter without a value must fail";
    } catch (const engine::DbError& e) {
        EXPECT_STREQ(e.what(), "No value for parameter 'Wanted'");
    }
}

TEST_F(DataModuleTest, ReopenSynchroEndsOnTheNewestRow) {
    dm.Q6Exec(replica::catalogue::createStatement(replica::catalogue::localObject("R$SYNCHRO"), replica::kLocalVersion, 1));
    for (int i = 0; i < 3; ++i)
        dm.Q6Exec("insert into R$SYNCHRO values (" + std::to_string(i) + ", \"2026-12-07\", 0, " +
                  std::to_string(i * 10) + ")");
    dm.ReopenSynchro();
    EXPECT_EQ(dm.QSynchro.fieldByName("SYNCHRONUMBER").asInteger(), 2);
    EXPECT_FALSE(dm.QSynchro.controlsDisabled());
}

}  // namespace

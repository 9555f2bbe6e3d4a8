// The whole cloning workflow on a master prepared by the tool's own
// operations: arm, register, back up and restore, update, then work in both.
#include <gtest/gtest.h>

#include "db/CurrentRow.h"
#include "CloneFixture.h"
#include "engine/Aliases.h"
#include "engine/Query.h"
#include "clone/Gbak.h"
#include "clone/Operations.h"
#include "prepare/Operations.h"

using namespace quorvel;

namespace {

class CloneWorkflowTest : public ::testing::Test {
protected:
    test::Workspace ws;
    DM dm;
    test::FakeFrontend ui;

    void moveTo(engine::Query& list, const std::string& name) {
        if (!list.active()) list.open();
        for (list.first(); !list.eof(); list.next())
            if (list.field(0).asString() == name) return;
        FAIL() << name << " not in " << list.name();
    }
    int64_t integerOn(engine::Database& db, const std::string& sql) {
        engine::Query q(db);
        q.setSql(sql);
        q.open();
        return q.field(0).asInteger();
    }
};

TEST_F(CloneWorkflowTest, APreparedMasterBecomesAWorkingCloneAfterBackupAndRestore) {
    const std::string master = ws.createDatabase(
        "SHOP", "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40));\n"
                "CREATE GENERATOR GEN_CUST;\nCOMMIT;\nSET GENERATOR GEN_CUST TO 52;\n"
                "INSERT INTO CUSTOMER VALUES (1, 'First');\nCOMMIT;\n");
    test::Workspace::connect(dm.UserDB(), "SHOP");
    dm.QTables.open();
    dm.QGenerator.open();

    prepare::CreateMetaStructures(dm.UserDB(), {}, ui);
    // The creation connected afresh: the lists open again, as the window opens them.
    for (engine::Query* list : {&dm.QTables, &dm.QGenerator, &dm.QPKGens, &dm.QClone, &dm.QWorkingTables})
        list->open();
    prepare::AddWorkingTable(dm.UserDB(), std::string("CUSTOMER"), ui);
    prepare::AddKeyGenerator(dm.UserDB(), std::string("GEN_CUST"), "100", ui);
    prepare::RecreateTriggers(dm.UserDB(), ui);
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();

    ASSERT_TRUE(clone::RegisterClone(dm.UserDB(), {"EAST", "1", "2000000000"}, ui).outcome.isDone());
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();

    // The operator's backup and restore (the embedded engine lets one
    // process at a time open a file).
    dm.UserDB().disconnect();
    const std::string backup = ws.path("shop.fbk"), restored = ws.path("east.fdb");
    ASSERT_NO_THROW(clone::backUpDatabase(master, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    engine::Aliases::add("EAST_DB", restored);
    test::Workspace::connect(dm.UserDB(), "SHOP");
    test::Workspace::connect(dm.CloneDB(), "EAST_DB");
    dm.ReopenClone();
    dm.ReopenPKGens();
    moveTo(dm.QClone, "EAST");
    const clone::CloneRow east{dm.QClone.fieldByName("Number").asInteger(), "EAST"};
    const Outcome updated = clone::UpdateClone(dm.UserDB(), dm.CloneDB(), east, ui);
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_TRUE(updated.isDone()) << updated.message();

    // New rows of the two databases get codes from separate ranges and keys
    // that do not meet.
    for (engine::Database* db : {&dm.UserDB(), &dm.CloneDB()})
        db->execute("insert into CUSTOMER (ID, NAME) values (gen_id(GEN_CUST, 1), \"New\")");
    EXPECT_EQ(integerOn(dm.UserDB(), "select max(ID) from CUSTOMER"), 53);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select max(ID) from CUSTOMER"), 153);
    EXPECT_EQ(integerOn(dm.UserDB(), "select R$Code1 from CUSTOMER where ID = 53"), 0);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code1 from CUSTOMER where ID = 153"), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code2 from CUSTOMER where ID = 153"), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$CLONE where ME = \"Y\" and Name = \"EAST\""), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$CLONE where ME = \"Y\""), 1);
}

}  // namespace

// The tool's objects of every earlier version are brought to this one's when
// a database is connected, one step at a time, each step giving what a
// database made fresh at its version holds; a newer one is refused untouched.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "operation/Refused.h"
#include "replica/Catalogue.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "replica/ReplicationSchema.h"
#include "replica/ChangeTest.h"
#include "support/EarlierTriggers.h"
#include "support/FakeFrontend.h"
#include "support/Rows.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

namespace quorvel::test {

using replica::kLocalVersion;
using replica::TriggerGeneration;

TEST(SchemaUpgradeTest, EachStepGivesWhatAFreshDatabaseOfItsVersionHolds) {
    Workspace ws;
    for (int dialect : {1, 3})
        for (int version = 2; version <= kLocalVersion; ++version) {
            const std::string tag = std::to_string(dialect) + "v" + std::to_string(version);
            SCOPED_TRACE(tag);
            ws.createDatabase("Up" + tag, localObjectsScript(version - 1, TriggerGeneration::None, dialect), dialect);
            ws.createDatabase("Fresh" + tag, localObjectsScript(version, TriggerGeneration::None, dialect), dialect);
            engine::Database up("Up" + tag), fresh("Fresh" + tag);
            Workspace::connect(up, "Up" + tag);
            Workspace::connect(fresh, "Fresh" + tag);
            EXPECT_EQ(replica::upgradeLocal(up, version), version - 1);
            EXPECT_EQ(replica::localVersion(up), version);
            EXPECT_EQ(toolCatalogue(up), toolCatalogue(fresh));
        }
}

// The first arming: a four-column journal keyed on (code, operation) and the
// triggers that journal everything. Upgraded once, its triggers, compiled
// against four columns, go on journaling into seven.
TEST(SchemaUpgradeTest, TheFirstArmingIsUpgradedOnceAndItsTriggersGoOnJournaling) {
    Workspace ws;
    ws.createDatabase("Earliest", localObjectsScript(1) + R"(
CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10), R$CODE1 INTEGER, R$CODE2 INTEGER);
insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');
insert into R$SYNCHRO values (0, '2026-01-01', 0, 10);
insert into T values (1, 'a', 0, 5);
grant all on R$DELETEDUPDATED to public;
commit;
)");
    engine::Database db("Earliest");
    Workspace::connect(db, "Earliest");
    for (const std::string& trigger : earlierTriggerStatements({"R$1|T|1", "R$2|T|6", "R$3|T|4"}))
        db.execute(trigger);
    EXPECT_EQ(replica::localVersion(db), 1);
    EXPECT_THROW(replica::requireCurrentVersion(db), Refused) << "an operation never upgrades";

    FakeFrontend ui;
    replica::upgradeOnConnect(db, ui);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{
                               "The replication objects of Earliest were upgraded from version 1 to version 14."}));
    EXPECT_EQ(replica::localVersion(db), kLocalVersion);
    EXPECT_EQ(replica::triggerGeneration(db), TriggerGeneration::JournalsEverything);
    EXPECT_EQ(rowsOf(db, "select count(*) from RDB$User_Privileges where RDB$User = 'PUBLIC' and "
                         "RDB$Relation_Name starting with 'R$'"),
              std::vector<std::string>{"0"}) << "nobody but the tool's triggers writes the journal";
    const std::string upgraded = toolCatalogue(db);
    replica::upgradeOnConnect(db, ui);
    EXPECT_EQ(ui.messages.size(), 1u) << "a second connection finds nothing to do";
    EXPECT_EQ(toolCatalogue(db), upgraded);

    db.execute("update T set V = 'b' where ID = 1");
    db.execute("update T set V = 'c' where ID = 1");
    EXPECT_EQ(rowsOf(db, "select R$CODE1, R$CODE2, OPERATION, ORIGIN, FIRSTFILL, SEEN from R$DELETEDUPDATED"),
              (std::vector<std::string>{"0|5|U|<null>|<null>|<null>"}));
}

// A preparation cut short is no earlier version: "Create add. structures"
// finishes it.
// Version 14: the update and delete triggers of version 13 are renewed in
// place to write to R$CAPTURED, the update trigger keeping its test for a
// change (a save of the same values stays unjournaled).
TEST(SchemaUpgradeTest, TheUpdateAndDeleteTriggersAreRenewedToCapture) {
    Workspace ws;
    ws.createDatabase("Armed", localObjectsScript(13, TriggerGeneration::SkipsNoOps) +
                                   "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, R$CODE1 INTEGER, "
                                   "R$CODE2 INTEGER);\ninsert into T values (1, 1, 0, 5);\nCOMMIT;\n");
    engine::Database db("Armed");
    Workspace::connect(db, "Armed");
    const auto ofVersion13 = [](std::string text) {
        return text.replace(text.find("R$CAPTURED"), 10, "R$DELETEDUPDATED");
    };
    db.startTransaction();
    replica::run(db, ofVersion13(replica::schema::updateTrigger(2, "T", 1, replica::changeCondition(db, "T"))));
    replica::run(db, ofVersion13(replica::schema::deleteTrigger(3, "T")));
    db.commit();

    EXPECT_EQ(replica::upgradeLocal(db), 13);
    db.startTransaction();
    for (const char* change : {"update T set A = A", "update T set A = 2", "delete from T"}) db.execute(change);
    db.commit();
    EXPECT_EQ(rowsOf(db, "select R$CODE2 || OPERATION from R$CAPTURED order by OPERATION desc"),
              (std::vector<std::string>{"5U", "5D"}));
    EXPECT_EQ(rowsOf(db, "select count(*) from R$DELETEDUPDATED"), (std::vector<std::string>{"0"}));
}

// Version 14: whoever may empty the journal (an operator's role, a user) is
// granted R$CAPTURED too, which a fill or read now empties into it; one who
// may only look at the journal is not.
TEST(SchemaUpgradeTest, TheJournalsOperatorsAreGrantedWhatTheTriggersNowCapture) {
    Workspace ws;
    ws.createDatabase("Operated", localObjectsScript(13) +
                                      "CREATE ROLE QOPER; GRANT ALL ON R$DELETEDUPDATED TO ROLE QOPER;\n"
                                      "GRANT DELETE ON R$DELETEDUPDATED TO USER OPER;\n"
                                      "GRANT SELECT ON R$DELETEDUPDATED TO USER VIEWER; COMMIT;\n");
    engine::Database db("Operated");
    Workspace::connect(db, "Operated");
    EXPECT_EQ(replica::upgradeLocal(db), 13);
    EXPECT_EQ(rowsOf(db, "select trim(RDB$User) || count(*) from RDB$User_Privileges where RDB$Relation_Name = "
                         "'R$CAPTURED' and RDB$User in ('QOPER', 'OPER', 'VIEWER') group by RDB$User order by 1"),
              (std::vector<std::string>{"OPER5", "QOPER5"}));
}

TEST(SchemaUpgradeTest, APreparationCutShortIsLeftAsItIs) {
    Workspace ws;
    ws.createDatabase("Half", replica::catalogue::createStatement(replica::catalogue::localObject("R$CLONE"), 1, 1) +
                                  "; COMMIT;");
    engine::Database db("Half");
    Workspace::connect(db, "Half");
    FakeFrontend ui;
    replica::upgradeOnConnect(db, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(rowsOf(db, "select count(*) from RDB$Relations where RDB$Relation_Name starting with 'R$'"),
              (std::vector<std::string>{"1"}));
}

TEST(SchemaUpgradeTest, ANewerDatabaseOrSynchroFileIsRefusedUntouched) {
    Workspace ws;
    struct Case {
        std::string alias, script, message;
    };
    const Case cases[] = {
        {"NewerLocal", localObjectsScript() + "update R$SCHEMA set VERSION = 15; commit;",
         "This database's replication objects are of version 15; this Quorvel knows versions up to 14. "
         "Upgrade Quorvel at this site. Nothing was changed."},
        {"NewerSynchro",
         synchroObjectsScript() + "insert into R$SENDER (SITENAME, SITENUMBER, FILLNUMBER, FORMAT) "
                                  "values ('WEST', 1, 7, 9); commit;",
         "This synchro database was written by format 9; this Quorvel reads formats up to 4. "
         "Upgrade Quorvel at this site. Nothing was changed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        ws.createDatabase(c.alias, c.script);
        engine::Database db(c.alias);
        Workspace::connect(db, c.alias);
        const std::string before = toolCatalogue(db);
        FakeFrontend ui;
        try {
            replica::upgradeOnConnect(db, ui);
            ADD_FAILURE() << "not refused";
        } catch (const Refused& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(toolCatalogue(db), before);
    }
}

}  // namespace quorvel::test

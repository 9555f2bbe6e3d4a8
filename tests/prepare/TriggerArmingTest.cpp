// "Recreate triggers": record-code columns, numbering of existing rows, the
// three triggers per table and the first mark.
#include "PrepareFixture.h"

#include "prepare/Operations.h"
#include "prepare/PreparationState.h"
#include "replica/TriggerState.h"
#include "support/ToolObjects.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

const char* kTwoTables =
    "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10));\n"
    "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "COMMIT;\n"
    "INSERT INTO A VALUES (1, 'x');\nINSERT INTO A VALUES (2, 'y');\nINSERT INTO A VALUES (3, 'z');\n"
    "INSERT INTO B VALUES (1);\nINSERT INTO B VALUES (2);\n"
    "COMMIT;\n";

const char* kTriggersByTable =
    "select rdb$trigger_name, rdb$relation_name, rdb$trigger_type from rdb$triggers "
    "where rdb$trigger_name starting with \"R$\" order by rdb$relation_name, rdb$trigger_name";

class TriggerArmingTest : public test::PrepareTest {
protected:
    Rows codes(const std::string& table) {
        return rows("select ID, R$CODE1, R$CODE2 from " + table + " order by ID");
    }
    Rows marks() { return rows("select SYNCHRONUMBER, R$CODE1, R$CODE2 from R$SYNCHRO order by 1"); }
    Rows journal() {
        return rows("select R$CODE1, R$CODE2, OPERATION, TABLENAME from " + test::kWholeJournal + " J order by 1, 2, 3");
    }
};

TEST_F(TriggerArmingTest, TwoTablesAreNumberedAcrossAndArmed) {
    openMaster(kTwoTables);
    createMeta();
    ASSERT_TRUE(prepare::AddWorkingTable(db, "B", ui).isDone());
    ASSERT_TRUE(prepare::AddWorkingTable(db, "A", ui).isDone());
    resetUi();

    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_FALSE(db.inTransaction());

    EXPECT_EQ(codes("A"), (Rows{"1,0,1", "2,0,2", "3,0,3"}));
    EXPECT_EQ(codes("B"), (Rows{"1,0,4", "2,0,5"}));
    // Before insert (1), after delete (6), after update (4), per table.
    EXPECT_EQ(rows(kTriggersByTable), (Rows{"R$1,A,1", "R$2,A,6", "R$3,A,4", "R$4,B,1", "R$5,B,6", "R$6,B,4"}));
    EXPECT_EQ(marks(), Rows{"0,0,6"});
    EXPECT_EQ(scalar("select count(*) from R$SYNCHRO where SYNCHRODATE > cast(\"today\" as date)"), 1)
        << rows("select SYNCHRODATE from R$SYNCHRO")[0];

    // New rows take the next codes, whatever the insert supplies.
    exec("insert into B (ID) values (3)");
    exec("insert into A (ID, R$CODE1, R$CODE2) values (4, 99, 99)");
    EXPECT_EQ(codes("B").back(), "3,0,7");
    EXPECT_EQ(codes("A").back(), "4,0,8");
    EXPECT_TRUE(journal().empty()) << "inserts are not journaled";
}

TEST_F(TriggerArmingTest, TriggersAreNumberedInTableNameOrder) {
    openMaster("CREATE TABLE B (ID INTEGER);\nCREATE TABLE AB (ID INTEGER);\nCREATE TABLE A (ID INTEGER);\nCOMMIT;\n");
    createMeta();
    arm({"B", "AB", "A"});
    EXPECT_EQ(rows("select rdb$trigger_name, rdb$relation_name from rdb$triggers "
                   "where rdb$trigger_name starting with \"R$\" order by rdb$relation_name, rdb$trigger_name"),
              (Rows{"R$1,A", "R$2,A", "R$3,A", "R$4,AB", "R$5,AB", "R$6,AB", "R$7,B", "R$8,B", "R$9,B"}));
    // No rows anywhere: the mark takes the first code.
    EXPECT_EQ(marks(), Rows{"0,0,1"});
}

TEST_F(TriggerArmingTest, DeletesAndUpdatesAreJournaledWithTheOldCode) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});

    exec("update A set V = 'p' where ID = 1");
    exec("update A set V = 'q' where ID = 1");
    exec("update A set V = 'r' where ID = 2");
    exec("delete from A where ID = 2");
    // Users' transactions only add entries: a row updated twice has two.
    EXPECT_EQ(journal(), (Rows{"0,1,U,A", "0,1,U,A", "0,2,D,A", "0,2,U,A"}));

    // A changed code is journaled under the code the row had.
    exec("update A set R$CODE2 = 50 where ID = 3");
    EXPECT_EQ(journal().back(), "0,3,U,A");
}

TEST_F(TriggerArmingTest, RecordCodesRollOverIntoTheHighWord) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});
    // A range wide enough to roll over (the master's own ends at (0, 2000000000)).
    exec("update R$CLONE set MAXVALUE1 = 100 where ME = 'Y'");

    exec("set generator R$Gen2 to 1999999999");
    EXPECT_EQ(scalar("select C from R$FILL(2)"), 2000000000);
    EXPECT_EQ(scalar("select C from R$FILL(1)"), 0) << "reading the high word changes nothing";
    EXPECT_EQ(scalar("select C from R$FILL(2)"), 0);
    EXPECT_EQ(scalar("select C from R$FILL(1)"), 1);
    EXPECT_EQ(scalar("select C from R$FILL(0)"), 1);
    EXPECT_EQ(scalar("select C from R$FILL(3)"), 2);

    // The insert trigger draws the low word first: the row that rolls over
    // gets the new high word, never a code below the rows before it (which
    // a fill's mark may already have passed).
    exec("set generator R$Gen1 to 5");
    exec("set generator R$Gen2 to 2000000000");
    exec("insert into A (ID) values (10)");
    exec("insert into A (ID) values (11)");
    EXPECT_EQ(codes("A").back(), "11,6,1");
    EXPECT_EQ(codes("A")[3], "10,6,0");
}

TEST_F(TriggerArmingTest, ASecondArmingStartsAFreshHistory) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});
    exec("update A set V = 'u' where ID = 1");
    exec("delete from A where ID = 3");
    exec("insert into R$SYNCHRO values (1, \"2026-01-01\", 0, 9)");
    // B is listed only now: it has no record-code columns yet.
    ASSERT_TRUE(prepare::AddWorkingTable(db, "B", ui).isDone());
    resetUi();

    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(codes("A"), (Rows{"1,0,1", "2,0,2"}));
    EXPECT_EQ(codes("B"), (Rows{"1,0,3", "2,0,4"}));
    EXPECT_EQ(marks(), Rows{"0,0,5"});
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(rows("select count(*) from rdb$triggers where rdb$trigger_name starting with \"R$\""), Rows{"6"});

    // A table taken off the list loses its triggers and keeps its columns.
    ASSERT_TRUE(prepare::RemoveWorkingTable(db, "A", ui).isDone());
    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone());
    EXPECT_EQ(rows(kTriggersByTable), (Rows{"R$1,B,1", "R$2,B,6", "R$3,B,4"}));
    EXPECT_EQ(codes("A"), (Rows{"1,0,1", "2,0,2"}));
    EXPECT_EQ(codes("B"), (Rows{"1,0,1", "2,0,2"}));
}

TEST_F(TriggerArmingTest, AnEmptyListDropsEveryToolTrigger) {
    openMaster("CREATE TABLE N (ID INTEGER);\nCOMMIT;\n");
    createMeta();
    exec("create trigger R$OLD for N before insert as begin end");
    arm({});
    EXPECT_TRUE(rows(kTriggersByTable).empty());
    EXPECT_EQ(marks(), Rows{"0,0,1"});
    EXPECT_EQ(rows("select gen_id(R$Gen1, 0), gen_id(R$Gen2, 0) from rdb$database"), Rows{"0,1"});
}

TEST_F(TriggerArmingTest, AFailedDisarmingKeepsThePreviousArming) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});
    // A view on a record-code column: the arming keeps the column, so the
    // view does not stand in its way.
    exec("create view CODES_OF_A as select R$CODE1 from A");
    ASSERT_TRUE(prepare::RecreateTriggers(db, ui).isDone()) << ui.lastMessage();
    // A code column of another type must go, and the view keeps the server
    // from dropping it.
    exec("drop view CODES_OF_A");
    exec("alter table A alter R$CODE1 type numeric(9, 2)");
    exec("create view CODES_OF_A as select R$CODE1 from A");
    resetUi();
    EXPECT_EQ(prepare::RecreateTriggers(db, ui).kind(), Outcome::Kind::Failed);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(rows(kTriggersByTable), (Rows{"R$1,A,1", "R$2,A,6", "R$3,A,4"}));
    EXPECT_EQ(codes("A"), (Rows{"1,0.00,1", "2,0.00,2", "3,0.00,3"}));
}

TEST_F(TriggerArmingTest, ALaterRefusalRollsBackReportsAndLeavesTheWindowUsable) {
    openMaster(kTwoTables);
    createMeta();
    // A listed name whose table is gone: adding its columns is refused.
    ASSERT_TRUE(prepare::AddWorkingTable(db, "GONE", ui).isDone());
    resetUi();
    EXPECT_EQ(prepare::RecreateTriggers(db, ui).kind(), Outcome::Kind::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("GONE"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(db.inTransaction());

    // The next run, with the list mended, goes through.
    ASSERT_TRUE(prepare::RemoveWorkingTable(db, "GONE", ui).isDone());
    arm({"A"});
    EXPECT_EQ(marks(), Rows{"0,0,4"});
}

TEST_F(TriggerArmingTest, NumberingLeavesTheUsersDataAndTriggersAsTheyWere) {
    openMaster(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, VERSION INTEGER, STAMP VARCHAR(20));\n"
        "CREATE TABLE AUDIT (ID INTEGER, NOTE VARCHAR(20));\n"
        "COMMIT;\n"
        "INSERT INTO A VALUES (1, 1, 'made');\nINSERT INTO A VALUES (2, 5, 'made');\n"
        "COMMIT;\n"
        "SET TERM ^ ;\n"
        "CREATE TRIGGER A_VERSION FOR A ACTIVE BEFORE UPDATE AS BEGIN "
        "new.VERSION = old.VERSION + 1; new.STAMP = 'modified'; END ^\n"
        "CREATE TRIGGER A_AUDIT FOR A ACTIVE AFTER UPDATE AS BEGIN "
        "INSERT INTO AUDIT VALUES (old.ID, 'updated'); END ^\n"
        "CREATE TRIGGER A_SPARE FOR A INACTIVE AFTER UPDATE AS BEGIN "
        "INSERT INTO AUDIT VALUES (old.ID, 'spare'); END ^\n"
        "SET TERM ; ^\n"
        "COMMIT;\n");
    createMeta();
    arm({"A"});
    EXPECT_EQ(rows("select ID, VERSION, STAMP, R$CODE1, R$CODE2 from A order by ID"),
              (Rows{"1,1,made,0,1", "2,5,made,0,2"}));
    EXPECT_EQ(scalar("select count(*) from AUDIT"), 0);
    // The user's triggers as the user left them, the state "active".
    EXPECT_EQ(rows("select rdb$trigger_name, rdb$trigger_inactive from rdb$triggers "
                   "where rdb$trigger_name starting with \"A_\" order by 1"),
              (Rows{"A_AUDIT,0", "A_SPARE,1", "A_VERSION,0"}));
    EXPECT_EQ(scalar("select gen_id(R$Trig, 0) from rdb$database"), 0);
    exec("update A set ID = 3 where ID = 2");
    EXPECT_EQ(rows("select VERSION, STAMP from A where ID = 3"), Rows{"6,modified"});
}

TEST_F(TriggerArmingTest, ArmingWhileTheTriggersAreOffIsRefused) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});
    prepare::MakeTriggersInactive(db, ui);
    resetUi();
    exec("insert into R$CLONE values (\"WEST\", 1, 1, 0, \"N\")");
    EXPECT_EQ(prepare::RecreateTriggers(db, ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"Triggers are inactive: make them active first."});
    EXPECT_TRUE(ui.questions.empty()) << "refused before asking";
    EXPECT_EQ(scalar("select count(*) from rdb$triggers where rdb$trigger_name starting with \"R$\" "
                     "and rdb$trigger_inactive = 1"),
              3);
}

// Where a run stopped while it numbered the rows leaves the database: every
// tool trigger dropped, the code columns empty, the user's triggers switched
// off and recorded. The next run finishes the arming instead of refusing.
TEST_F(TriggerArmingTest, AnArmingStoppedWhileItNumberedIsFinishedByTheNextRun) {
    openMaster(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY);\nCREATE TABLE AUDIT (ID INTEGER);\nCOMMIT;\n"
        "INSERT INTO A VALUES (1);\nINSERT INTO A VALUES (2);\nCOMMIT;\nSET TERM ^ ;\n"
        "CREATE TRIGGER A_AUDIT FOR A ACTIVE AFTER UPDATE AS BEGIN INSERT INTO AUDIT VALUES (old.ID); END ^\n"
        "CREATE TRIGGER A_SPARE FOR A INACTIVE AFTER UPDATE AS BEGIN INSERT INTO AUDIT VALUES (0); END ^\n"
        "SET TERM ; ^\nCOMMIT;\n");
    createMeta();
    arm({"A"});
    for (const char* t : {"R$1", "R$2", "R$3"}) exec(std::string("drop trigger ") + t);
    replica::SwitchTriggersOff(db);
    exec("update A set R$CODE1 = null, R$CODE2 = null");
    EXPECT_TRUE(prepare::ReadPreparationState(db).armingInterrupted.value);
    resetUi();

    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone()) << ui.lastMessage();
    EXPECT_EQ(codes("A"), (Rows{"1,0,1", "2,0,2"}));
    EXPECT_EQ(rows("select rdb$trigger_name, rdb$trigger_inactive from rdb$triggers "
                   "where rdb$relation_name = \"A\" order by 1"),
              (Rows{"A_AUDIT,0", "A_SPARE,1", "R$1,0", "R$2,0", "R$3,0"}));
    EXPECT_EQ(scalar("select count(*) from AUDIT"), 0);
    EXPECT_EQ(scalar("select gen_id(R$Trig, 0) from rdb$database"), 0);
    EXPECT_EQ(marks(), Rows{"0,0,3"});
    EXPECT_FALSE(prepare::ReadPreparationState(db).armingInterrupted.value);
}

TEST_F(TriggerArmingTest, ReArmingWithRegisteredClonesAsksFirst) {
    openMaster(kTwoTables);
    createMeta();
    arm({"A"});
    exec("insert into R$CLONE values (\"WEST\", 1, 1, 0, \"N\")");
    exec("insert into R$CLONE values (\"EAST\", 2, 2, 0, \"N\")");
    exec("delete from A where ID = 1");

    // No scripted answer: No.
    EXPECT_EQ(prepare::RecreateTriggers(db, ui).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(ui.questions,
              Rows{"Clones are registered: WEST, EAST. Their copies will no longer match. Recreate triggers anyway?"});
    EXPECT_EQ(codes("A"), (Rows{"2,0,2", "3,0,3"}));
    EXPECT_EQ(journal(), Rows{"0,1,D,A"});

    resetUi();
    ui.confirmAnswers = {true};
    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone()) << ui.lastMessage();
    EXPECT_EQ(codes("A"), (Rows{"2,0,1", "3,0,2"}));
}

TEST_F(TriggerArmingTest, EveryArmedTableHasAnIndexOnItsCode) {
    openMaster(kTwoTables);
    createMeta();
    const char* kCodeIndexes =
        "select i.rdb$relation_name, i.rdb$index_name = \"R$CODES_\" || r.rdb$relation_id, "
        "s.rdb$field_position, s.rdb$field_name from rdb$indices i "
        "join rdb$relations r on r.rdb$relation_name = i.rdb$relation_name "
        "join rdb$index_segments s on s.rdb$index_name = i.rdb$index_name "
        "where i.rdb$index_name starting with \"R$CODES_\" order by 1, 3";
    arm({"A", "B"});
    const Rows both = {"A,True,0,R$CODE1", "A,True,1,R$CODE2", "B,True,0,R$CODE1", "B,True,1,R$CODE2"};
    EXPECT_EQ(rows(kCodeIndexes), both);
    // A second arming drops the index before the columns and makes it anew.
    EXPECT_TRUE(prepare::RecreateTriggers(db, ui).isDone()) << ui.lastMessage();
    EXPECT_EQ(rows(kCodeIndexes), both);
}

}  // namespace

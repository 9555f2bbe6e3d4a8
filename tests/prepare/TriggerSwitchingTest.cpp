// Switching the triggers of the working tables off around a read and back on
// afterwards, keeping the user's inactive triggers inactive.
#include "PrepareFixture.h"

#include "prepare/Operations.h"
#include "replica/TriggerState.h"
#include "support/ToolObjects.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

// A and B are working tables, N is not. A has a CHECK constraint (whose
// triggers are the server's own), a user trigger named like one and two user
// triggers, T1 inactive and T2 active.
const char* kTables =
    "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, Q INTEGER CHECK (Q >= 0));\n"
    "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "CREATE TABLE N (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "COMMIT;\n"
    "SET TERM ^ ;\n"
    "CREATE TRIGGER T1 FOR A INACTIVE BEFORE INSERT AS BEGIN END ^\n"
    "CREATE TRIGGER T2 FOR A ACTIVE BEFORE INSERT AS BEGIN END ^\n"
    "CREATE TRIGGER CHECKME FOR A ACTIVE BEFORE INSERT AS BEGIN END ^\n"
    "CREATE TRIGGER TN FOR N ACTIVE BEFORE INSERT AS BEGIN END ^\n"
    "SET TERM ; ^\n"
    "COMMIT;\n";

class TriggerSwitchingTest : public test::PrepareTest {
protected:
    void SetUp() override {
        openMaster(kTables);
        createMeta();
        arm({"A", "B"});
    }
    Outcome off() { return prepare::MakeTriggersInactive(db, ui); }
    Outcome on() { return prepare::MakeTriggersActive(db, ui); }
    // Names of the user triggers (no system ones) that are inactive.
    Rows inactive() {
        return rows("select rdb$trigger_name from rdb$triggers where rdb$trigger_inactive = 1 "
                    "and (rdb$system_flag is null or rdb$system_flag = 0) order by 1");
    }
    int64_t trig() { return scalar("select gen_id(R$Trig, 0) from rdb$database"); }
};

TEST_F(TriggerSwitchingTest, ActiveTriggerListLeavesOutChecksOtherTablesAndRecordedOnes) {
    // The arming's own switch around the numbering recorded T1; the
    // procedure is read here with nothing recorded.
    exec("delete from R$INACTIVETRIGGERS");
    EXPECT_GT(scalar("select count(*) from rdb$triggers where rdb$relation_name = \"A\" "
                     "and rdb$trigger_name starting with \"CHECK_\""),
              0)
        << "the constraint's own triggers exist";
    EXPECT_EQ(rows("select * from R$ACTIVETRIGGERS"),
              (Rows{"R$1", "R$2", "R$3", "R$4", "R$5", "R$6", "T1", "T2"}));
    exec("insert into R$INACTIVETRIGGERS values (\"T1\")");
    exec("insert into R$INACTIVETRIGGERS values (\"R$5\")");
    EXPECT_EQ(rows("select * from R$ACTIVETRIGGERS"), (Rows{"R$1", "R$2", "R$3", "R$4", "R$6", "T2"}));
}

TEST_F(TriggerSwitchingTest, ARoundTripRestoresOnlyWhatWasActive) {
    EXPECT_TRUE(off().isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"T1"});
    // Every trigger of A and B is off; N's trigger and the CHECK ones are not touched.
    EXPECT_EQ(inactive(), (Rows{"R$1", "R$2", "R$3", "R$4", "R$5", "R$6", "T1", "T2"}));
    EXPECT_EQ(scalar("select count(*) from rdb$triggers where rdb$trigger_inactive = 1 "
                     "and rdb$trigger_name starting with \"CHECK\""),
              0);
    EXPECT_EQ(trig(), 1);
    EXPECT_EQ(ui.progressTotal, 8);
    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_GE(ui.processEventsCalls, 8);
    EXPECT_EQ(ui.steps, (Rows{"Find inactive triggers", "Make all triggers inactive"}));

    // While off, rows come in with the codes they bring and nothing is journaled.
    exec("insert into A (ID, R$CODE1, R$CODE2) values (1, 7, 70)");
    exec("delete from A where ID = 1");
    EXPECT_EQ(scalar("select count(*) from " + test::kWholeJournal + " J"), 0);
    exec("insert into A (ID, R$CODE1, R$CODE2) values (2, 7, 71)");

    resetUi();
    EXPECT_TRUE(on().isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(trig(), 0);
    EXPECT_EQ(ui.progressTotal, 7);
    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(ui.steps, Rows{"Make triggers active"});

    EXPECT_EQ(rows("select R$CODE1, R$CODE2 from A where ID = 2"), Rows{"7,71"});
    exec("update A set Q = 1 where ID = 2");
    EXPECT_EQ(rows("select R$CODE1, R$CODE2, OPERATION from " + test::kWholeJournal + " J"), Rows{"7,71,U"});
}

TEST_F(TriggerSwitchingTest, WithoutWorkingTablesOnlyTheStateIsRecorded) {
    prepare::RemoveAllWorkingTables(db, ui);
    resetUi();
    EXPECT_TRUE(off().isDone());
    EXPECT_EQ(trig(), 1);
    EXPECT_TRUE(on().isDone());
    EXPECT_EQ(trig(), 0);
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 0}));
}

TEST_F(TriggerSwitchingTest, ARefusalRollsBackReportsAndLeavesTheWindowUsable) {
    off();
    exec("drop procedure R$ACTIVETRIGGERS");
    resetUi();
    EXPECT_EQ(on().kind(), Outcome::Kind::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("R$ACTIVETRIGGERS"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(dm.UserDB().inTransaction());
    EXPECT_EQ(trig(), 1) << "still recorded as inactive";
}

TEST_F(TriggerSwitchingTest, ADeactivationStoppedPartWaySwitchesBackWhatItSwitchedOff) {
    // T2 disappears under the running operation after its first step, so the
    // switch of T2 (the last in name order) fails with the server's message.
    engine::Database other("Other");
    test::Workspace::connect(other, "MASTER");
    bool dropped = false;
    ui.onProcessEvents = [&] {
        if (dropped || ui.progressed.size() < 2) return;
        dropped = true;
        other.execute("drop trigger T2");
    };
    const Outcome outcome = off();
    ui.onProcessEvents = nullptr;
    ASSERT_TRUE(dropped);
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Failed);
    EXPECT_NE(ui.lastMessage().find("T2"), std::string::npos) << ui.lastMessage();
    // Everything is as before the click: the tool's triggers on, T1 still off,
    // the state still "active", so the next deactivation records only T1.
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(trig(), 0);
    EXPECT_FALSE(db.inTransaction());

    resetUi();
    off();
    EXPECT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"T1"});
    on();
    EXPECT_EQ(inactive(), Rows{"T1"});
}

TEST_F(TriggerSwitchingTest, AToolTriggerFoundOffIsNeverRecordedAsTheUsers) {
    // Left off by a run of an earlier version that stopped part-way.
    exec("alter trigger R$2 inactive");
    EXPECT_TRUE(off().isDone());
    EXPECT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"T1"});
    EXPECT_TRUE(on().isDone());
    EXPECT_EQ(inactive(), Rows{"T1"});

    // Recorded by such a version: the tool's trigger still goes back on.
    EXPECT_TRUE(off().isDone());
    exec("insert into R$INACTIVETRIGGERS values (\"R$5\")");
    EXPECT_TRUE(on().isDone());
    EXPECT_EQ(inactive(), Rows{"T1"});
}

TEST_F(TriggerSwitchingTest, SwitchingIntoTheStateAlreadyThereIsRefusedAndChangesNothing) {
    exec("alter trigger T2 inactive");  // switched off by the user on purpose
    EXPECT_EQ(on().kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"Triggers are active already."});
    EXPECT_EQ(inactive(), (Rows{"T1", "T2"}));
    EXPECT_EQ(trig(), 0);

    exec("alter trigger T2 active");
    off();
    resetUi();
    EXPECT_EQ(off().kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"Triggers are inactive already: read from SYNCHRO, then make them active."});
    EXPECT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"T1"});
    on();
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(trig(), 0);
}

TEST_F(TriggerSwitchingTest, AStateLeftBehindByAStoppedSwitchIsPutRightFirst) {
    off();
    exec("set generator R$Trig to 0");  // as if stopped before R$Trig was set
    resetUi();
    EXPECT_TRUE(on().isDone()) << ui.lastMessage();
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(trig(), 0);
}

TEST_F(TriggerSwitchingTest, ErasureWhileTheTriggersAreOffSwitchesTheUsersBackOnFirst) {
    off();
    resetUi();
    ui.confirmAnswers = {true};
    EXPECT_TRUE(prepare::EraseMetaStructures(db, ui).isDone()) << ui.lastMessage();
    EXPECT_EQ(inactive(), Rows{"T1"});
    EXPECT_EQ(scalar("select count(*) from rdb$triggers where rdb$trigger_name starting with \"R$\""), 0);
}

// The read asks the switches' own question, answered from the triggers
// rather than from R$Trig alone.
TEST_F(TriggerSwitchingTest, TheReadAsksTheSwitchesQuestion) {
    ASSERT_TRUE(off().isDone());
    exec("alter trigger T2 active");  // on again behind the switch's back
    EXPECT_TRUE(!replica::TriggersInactive(db)) << "a read would fire T2";
    exec("alter trigger T2 inactive");
    exec("set generator R$Trig to 0");  // a switch stopped before it set R$Trig
    EXPECT_FALSE(!replica::TriggersInactive(db)) << "every trigger is off";
}

}  // namespace

// After "Update CLONE's data" the clone counts its changes from its own first
// mark: the master's history and journal that came with the copy no longer
// make the clone send the master's rows back.
#include <gtest/gtest.h>


#include "CloneFixture.h"
#include "clone/Operations.h"

using namespace quorvel;
using test::CloneFixture;

namespace {

class OwnHistoryTest : public CloneFixture {
protected:
    // The master works a while after its first mark (0, 1): new rows, an
    // update and a deletion journaled, a fill's history row.
    void SetUp() override {
        CloneFixture::SetUp();
        dm.Q6Exec("insert into CUSTOMER (ID, NAME) values (10, \"Ten\")");
        dm.Q6Exec("insert into CUSTOMER (ID, NAME) values (11, \"Eleven\")");
        dm.Q6Exec("update CUSTOMER set NAME = \"One\" where ID = 1");
        dm.Q6Exec("delete from CUSTOMER where ID = 11");
        dm.Q6Exec("insert into R$SYNCHRO values (1, \"2026-12-08\", 0, 3)");
        dm.Q6Exec("insert into CUSTOMER (ID, NAME) values (12, \"Twelve\")");
    }
    int64_t newestRow(engine::Database& db) { return integerOn(db, "select max(SynchroNumber) from R$SYNCHRO"); }
    int64_t markWord(engine::Database& db, const char* column) {
        return integerOn(db, std::string("select ") + column +
                                 " from R$SYNCHRO where SynchroNumber = (select max(SynchroNumber) from R$SYNCHRO)");
    }
    // Rows the clone's fill would send as new: above its mark, below its bound.
    int64_t rowsAboveMark(engine::Database& db) {
        const std::string l1 = std::to_string(markWord(db, "R$Code1"));
        const std::string l2 = std::to_string(markWord(db, "R$Code2"));
        return integerOn(db, "select count(*) from CUSTOMER where R$Code1 > " + l1 + " or (R$Code1 = " + l1 +
                                 " and R$Code2 > " + l2 + ")");
    }
};

TEST_F(OwnHistoryTest, TheCloneMarksTheCodeJustBelowItsFirstAndDropsTheInheritedJournal) {
    registerClone("EAST", "3", "500");
    registerClone("WEST", "5", "0");
    restoreCloneDatabase("CLONEDB");
    ASSERT_EQ(rowsAboveMark(dm.CloneDB()), 1) << "the copy holds the master's history";
    selectClone("WEST");
    updateSelected();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();

    EXPECT_EQ(newestRow(dm.CloneDB()), 2);
    EXPECT_EQ(markWord(dm.CloneDB(), "R$Code1"), 3);
    EXPECT_EQ(markWord(dm.CloneDB(), "R$Code2"), 501);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$SYNCHRO where SynchroNumber = 2 and SynchroDate > \"today\""),
              1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$SYNCHRO"), 3) << "the inherited rows stay";
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$DELETEDUPDATED"), 0);
    EXPECT_EQ(rowsAboveMark(dm.CloneDB()), 0) << "no master row counts as the clone's own";

    dm.CloneDB().execute("insert into CUSTOMER (ID, NAME) values (20, \"Made at WEST\")");
    EXPECT_EQ(rowsAboveMark(dm.CloneDB()), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from CUSTOMER where ID = 20 and R$Code1 = 3 and R$Code2 = 502"),
              1);

    // The master keeps its own.
    EXPECT_EQ(newestRow(dm.UserDB()), 1);
    EXPECT_EQ(integerOn(dm.UserDB(), "select count(*) from R$DELETEDUPDATED"), 2);
}

TEST_F(OwnHistoryTest, TheFirstCloneAfterTheDefaultMasterRangeMarksTheRollOver) {
    registerClone("EAST", "1", "1000000");
    restoreCloneDatabase("CLONEDB");
    selectClone("EAST");
    updateSelected();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();

    // The master's bound (0, 2000000000) rolls over: the clone's codes start at (1, 1).
    EXPECT_EQ(markWord(dm.CloneDB(), "R$Code1"), 1);
    EXPECT_EQ(markWord(dm.CloneDB(), "R$Code2"), 0);
    dm.CloneDB().execute("insert into CUSTOMER (ID, NAME) values (20, \"Made at EAST\")");
    EXPECT_EQ(rowsAboveMark(dm.CloneDB()), 1);
}

TEST_F(OwnHistoryTest, NoMarkIsWrittenWhenTheCloneCannotTakeItsIdentity) {
    restoreCloneDatabase("CLONEDB");
    registerClone("EAST", "3", "500");  // after the backup: the copy has no EAST row
    selectClone("EAST");
    updateSelected();

    EXPECT_FALSE(last.isDone());
    EXPECT_EQ(newestRow(dm.CloneDB()), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select count(*) from R$DELETEDUPDATED"), 2);
}

}  // namespace

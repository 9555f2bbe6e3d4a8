// "Update CLONE's data" on a restored backup of a real armed master.
#include <gtest/gtest.h>

#include "db/CurrentRow.h"
#include "CloneFixture.h"
#include "replica/Catalogue.h"
#include "clone/Operations.h"
#include "engine/Query.h"

using namespace quorvel;
using test::CloneFixture;

namespace {

class UpdateCloneGensTest : public CloneFixture {
protected:
    // Registers the clones, restores the master's backup as CLONEDB and runs
    // the update for `target`.
    void updateAs(const std::string& target) {
        restoreCloneDatabase("CLONEDB");
        selectClone(target);
        updateSelected();
    }
    std::string meOf(engine::Database& db, const std::string& name) {
        return textOn(db, "select ME from R$CLONE where Name = \"" + name + "\"");
    }
    int64_t leftoverProcedures() {
        return integerOn(dm.CloneDB(), "select count(*) from rdb$procedures where rdb$procedure_name = \"R$UPDATE\"");
    }
};

TEST_F(UpdateCloneGensTest, TheCloneStartsAfterThePreviousRangeAndMovesItsKeysByOffsetTimesNumber) {
    registerClone("EAST", "3", "500");
    registerClone("WEST", "5", "0");
    updateAs("WEST");

    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_TRUE(last.isDone()) << last.message();
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN1"), 3);
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN2"), 501);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 252);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 27);
    EXPECT_EQ(meOf(dm.CloneDB(), "MASTER"), "N");
    EXPECT_EQ(meOf(dm.CloneDB(), "EAST"), "N");
    EXPECT_EQ(meOf(dm.CloneDB(), "WEST"), "Y");
    EXPECT_EQ(leftoverProcedures(), 0);

    // A row made in the clone gets a code above the previous range.
    dm.CloneDB().execute("insert into CUSTOMER (ID, NAME) values (2, \"Second\")");
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code1 from CUSTOMER where ID = 2"), 3);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code2 from CUSTOMER where ID = 2"), 502);

    // The master only records that a copy became WEST.
    EXPECT_EQ(generator(dm.UserDB(), "R$GEN1"), 0);
    EXPECT_EQ(generator(dm.UserDB(), "R$GEN2"), 1);
    EXPECT_EQ(generator(dm.UserDB(), "GEN_CUST"), 52);
    EXPECT_EQ(generator(dm.UserDB(), "GEN_ORDER"), 7);
    EXPECT_EQ(meOf(dm.UserDB(), "MASTER"), "Y");
    EXPECT_EQ(meOf(dm.UserDB(), "WEST"), "C");
}

TEST_F(UpdateCloneGensTest, TheStartRollsOverAfterTheLargestLowWordAndAMissingPreviousRowCountsAsZero) {
    // The master's own bound is (0, 2000000000).
    registerClone("EAST", "1", "1999999999");
    registerClone("WEST", "2", "1000000");
    updateAs("EAST");
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN1"), 1);
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN2"), 0);
    dm.CloneDB().execute("insert into CUSTOMER (ID, NAME) values (2, \"Second\")");
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code1 from CUSTOMER where ID = 2"), 1);
    EXPECT_EQ(integerOn(dm.CloneDB(), "select R$Code2 from CUSTOMER where ID = 2"), 1);

    // One below the largest low word does not roll over yet.
    restoreCloneDatabase("CLONEDB2");
    selectClone("WEST");
    updateSelected();
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN1"), 1);
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN2"), 2000000000);

    // A registry edited by hand: EAST's row gone, WEST free for a copy.
    dm.UserDB().execute("delete from R$CLONE where Name = 'EAST'");
    dm.UserDB().execute("update R$CLONE set ME = 'N' where Name = 'WEST'");
    dm.ReopenClone();
    restoreCloneDatabase("CLONEDB3");
    selectClone("WEST");
    updateSelected();
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN1"), 0);
    EXPECT_EQ(generator(dm.CloneDB(), "R$GEN2"), 1);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
}

TEST_F(UpdateCloneGensTest, AnIncrementBeyondThirtyTwoBitsIsRefusedForThatGeneratorOnly) {
    dm.Q6Exec("create generator GEN_BIG");
    dm.Q6Exec("insert into R$PKGENS values (\"GEN_BIG\", 1500000000)");
    registerClone("EAST", "3", "500");
    registerClone("WEST", "5", "0");
    updateAs("WEST");

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.lastMessage().find("GEN_BIG"), std::string::npos) << ui.lastMessage();
    EXPECT_NE(ui.lastMessage().find("32-bit"), std::string::npos) << ui.lastMessage();
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_BIG"), 0);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 252);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 27);
    EXPECT_FALSE(last.isDone());
}

TEST_F(UpdateCloneGensTest, ALeftoverUpdateProcedureIsDroppedAndNeverRun) {
    registerClone("EAST", "3", "500");
    restoreCloneDatabase("CLONEDB");
    engine::Query leftover(dm.CloneDB());
    for (const std::string& line : replica::catalogue::generatorMoveProcedure("GEN_CUST", 1000, 1)) leftover.addSql(line);
    leftover.execSql();
    selectClone("EAST");
    updateSelected();

    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 152);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 17);
    EXPECT_EQ(leftoverProcedures(), 0);
}

TEST_F(UpdateCloneGensTest, AGeneratorMissingInTheCloneIsReportedAndTheOthersStillMove) {
    registerClone("EAST", "3", "500");
    restoreCloneDatabase("CLONEDB");
    // Listed in the master after the backup was made: unknown to the clone.
    dm.Q6Exec("insert into R$PKGENS values (\"GEN_GONE\", 5)");
    dm.ReopenPKGens();
    selectClone("EAST");
    updateSelected();

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.lastMessage().find("GEN_GONE"), std::string::npos) << ui.lastMessage();
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 152);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 17);
    EXPECT_EQ(leftoverProcedures(), 0);
    EXPECT_FALSE(last.isDone());
    EXPECT_FALSE(dm.CloneDB().inTransaction());
}

TEST_F(UpdateCloneGensTest, ACopyBackedUpBeforeTheCloneWasRegisteredKeepsItsIdentityAndSaysWhy) {
    restoreCloneDatabase("CLONEDB");
    registerClone("EAST", "3", "500");
    selectClone("EAST");
    updateSelected();

    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.front().find("EAST"), std::string::npos) << ui.messages.front();
    EXPECT_EQ(meOf(dm.CloneDB(), "MASTER"), "Y");
    EXPECT_FALSE(last.isDone());
    // Still the master by its identity, so a later run is let through: the
    // keys must not have moved yet.
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_CUST"), 52);
    EXPECT_EQ(generator(dm.CloneDB(), "GEN_ORDER"), 7);
}

TEST_F(UpdateCloneGensTest, WithoutAConnectedCloneTheErrorIsShownAndTheWindowIsUsable) {
    registerClone("EAST", "3", "500");
    selectClone("EAST");
    updateSelected();

    EXPECT_FALSE(last.isDone());
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(last.kind(), Outcome::Kind::Failed) << "ended, with the error the window shows";
    EXPECT_FALSE(dm.UserDB().inTransaction());
}

}  // namespace

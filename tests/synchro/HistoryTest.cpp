// The history's delete and "Success" on real databases.
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {
const char* const kSent = "select ID from CUSTOMER order by ID";
}

TEST_F(ExchangeTest, DeletingTheLastHistoryRowResendsItsRowsAnOlderOneChangesNoMark) {
    makeDatabases({});
    local(customer(1, "sent by fill 4", 0, 5001));
    ASSERT_TRUE(synchro::FillSynchro(dm, ui).isDone());
    // Drawn as the insert trigger draws it: between the two fills' marks.
    local("insert into CUSTOMER (ID, NAME, R$CODE1, R$CODE2) values (2, \"sent by fill 5\", 0, gen_id(R$Gen2, 1))");
    ASSERT_TRUE(synchro::FillSynchro(dm, ui).isDone());
    ASSERT_EQ(synchroRows(kSent), (std::vector<std::string>{"2"}));

    ui.confirmAnswers = {true};
    ASSERT_TRUE(synchro::DelSynchro(dm, ui, 0).isDone());  // the oldest row
    ASSERT_TRUE(synchro::FillSynchro(dm, ui).isDone());
    EXPECT_TRUE(synchroRows(kSent).empty());

    ui.confirmAnswers = {true};
    ASSERT_TRUE(synchro::DelSynchro(dm, ui, 6).isDone());  // the one the last fill wrote
    ASSERT_TRUE(synchro::FillSynchro(dm, ui).isDone());
    EXPECT_TRUE(synchroRows(kSent).empty());
    ui.confirmAnswers = {true};
    ASSERT_TRUE(synchro::DelSynchro(dm, ui, 6).isDone());
    ui.confirmAnswers = {true};
    ASSERT_TRUE(synchro::DelSynchro(dm, ui, 5).isDone());
    ASSERT_TRUE(synchro::FillSynchro(dm, ui).isDone());
    EXPECT_EQ(synchroRows(kSent), (std::vector<std::string>{"2"}));

    ui.confirmAnswers = {false};
    EXPECT_EQ(synchro::DelSynchro(dm, ui, 5).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(synchro::DelSynchro(dm, ui, std::nullopt).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages.back(), "List is empty!");
    ui.confirmAnswers = {true};
    EXPECT_EQ(synchro::DelSynchro(dm, ui, 77).kind(), Outcome::Kind::Refused);
}

TEST_F(ExchangeTest, SuccessEmptiesTheJournalAndACancelChangesNothing) {
    makeDatabases({});
    local("insert into R$DELETEDUPDATED values (0, 7, \"D\", \"CUSTOMER\")");
    ui.setEnabled("SBFillSynchro", true);
    ui.confirmAnswers = {false};
    EXPECT_EQ(synchro::Success(dm, ui).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(localRows("select count(*) from R$DELETEDUPDATED"), (std::vector<std::string>{"1"}));
    EXPECT_TRUE(ui.isEnabled("SBFillSynchro"));

    ui.confirmAnswers = {true};
    EXPECT_TRUE(synchro::Success(dm, ui).isDone());
    EXPECT_EQ(ui.questions.back(), "Are you sure?");
    EXPECT_EQ(localRows("select count(*) from R$DELETEDUPDATED"), (std::vector<std::string>{"0"}));
    EXPECT_FALSE(ui.isEnabled("SBFillSynchro"));
}

}  // namespace quorvel::test

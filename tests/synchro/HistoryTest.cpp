// The history's delete and "Success" on real databases.
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {
const char* const kSent = "select ID from CUSTOMER order by ID";
}

// The peer WEST has read every fill so far: the next fill counts from the
// newest history row left, and a deleted row's number is not used again.
TEST_F(ExchangeTest, DeletingTheNewestHistoryRowResendsWhatItsFillSentUnderANewNumber) {
    makeDatabases({});
    auto fillRead = [this] {
        ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
        local("update R$PEERS set ACKNOWLEDGED = (select max(SYNCHRONUMBER) from R$SYNCHRO)");
    };
    local(customer(1, "sent by fill 4", 0, 5001));
    fillRead();
    // Drawn as the insert trigger draws it: between the two fills' marks.
    local("insert into CUSTOMER (ID, NAME, R$CODE1, R$CODE2) values (2, \"sent by fill 5\", 0, gen_id(R$Gen2, 1))");
    fillRead();
    ASSERT_EQ(synchroRows(kSent), (std::vector<std::string>{"2"}));

    ui.confirmAnswers = {true};
    ASSERT_TRUE(synchro::DelSynchro(dm.UserDB(), ui, 5).isDone());
    EXPECT_EQ(ui.lastMessage(), "The next fill sends again what fill 5 sent.");
    fillRead();
    EXPECT_EQ(synchroRows(kSent), (std::vector<std::string>{"2"}));
    EXPECT_EQ(synchroRows("select FILLNUMBER from R$SENDER"), (std::vector<std::string>{"6"}));

    for (int64_t row : {6, 4}) {
        ui.confirmAnswers = {true};
        ASSERT_TRUE(synchro::DelSynchro(dm.UserDB(), ui, row).isDone()) << ui.lastMessage();
    }
    EXPECT_EQ(ui.lastMessage(), "The next fill sends again what fill 4 sent.");
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    EXPECT_EQ(synchroRows(kSent), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(synchroRows("select FILLNUMBER from R$SENDER"), (std::vector<std::string>{"7"}));

    ui.confirmAnswers = {false};
    EXPECT_EQ(synchro::DelSynchro(dm.UserDB(), ui, 7).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(synchro::DelSynchro(dm.UserDB(), ui, std::nullopt).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages.back(), "List is empty!");
}

// Only the newest row goes, and never the site's first mark: on a clone the
// rows its backup brought from the master lie below its own first mark.
TEST_F(ExchangeTest, AnOlderHistoryRowOrTheSitesFirstMarkIsRefusedBeforeAnyQuestion) {
    const std::string firstMarkOnly = "delete from R$SYNCHRO where SYNCHRONUMBER = 3;\ncommit;\n";
    const std::string clone =
        "update R$CLONE set MAXVALUE2 = 2000000000 where NAME = \"MASTER\";\n"
        "insert into R$SYNCHRO values (4, \"2026-03-01\", 1, 0);\ncommit;\n";
    const char* const firstMark = " is this site's first mark, from which its fills count: it cannot be deleted.";
    struct Case {
        Local site;
        std::string extra;
        int64_t row;
        std::string says;
    };
    const Case cases[] = {
        {{}, "", 0, "Only the newest history row, 3, may be deleted: the history is deleted from the newest row down."},
        {{}, "", 77, "There is no history row 77."},
        {{}, firstMarkOnly, 0, std::string("History row 0") + firstMark},
        {{"WEST", 1, 1000000000}, clone, 3, "Only the newest history row, 4, may be deleted: "
                                            "the history is deleted from the newest row down."},
        {{"WEST", 1, 1000000000}, clone, 4, std::string("History row 4") + firstMark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.site.identity + " row " + std::to_string(c.row));
        makeDatabases(c.site, c.extra);
        const std::vector<std::string> history = localRows("select SYNCHRONUMBER from R$SYNCHRO order by 1");
        ui.messages.clear();
        ui.questions.clear();
        ui.confirmAnswers = {true};
        EXPECT_EQ(synchro::DelSynchro(dm.UserDB(), ui, c.row).kind(), Outcome::Kind::Refused);
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.says});
        EXPECT_TRUE(ui.questions.empty());
        EXPECT_EQ(localRows("select SYNCHRONUMBER from R$SYNCHRO order by 1"), history);
    }
}

// "Success" removes only what every registered peer has read, and names who
// has not.
TEST_F(ExchangeTest, SuccessPrunesOnlyWhatEveryPeerHasReadAndACancelChangesNothing) {
    makeDatabases({});
    const char* const entries =
        "insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, FIRSTFILL) values (0, 7, 'D', 3)";
    local(entries);
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, FIRSTFILL) values (0, 8, 'D', 4)");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION) values (0, 9, 'D')");
    local("insert into R$SYNCHRO values (4, '2026-03-01', 0, 6000)");
    const char* const left = "select R$CODE2 from R$DELETEDUPDATED order by 1";
    ui.confirmAnswers = {false};
    EXPECT_EQ(synchro::Success(dm.UserDB(), ui).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(localRows(left), (std::vector<std::string>{"7", "8", "9"}));

    ui.confirmAnswers = {true};
    EXPECT_TRUE(synchro::Success(dm.UserDB(), ui).isDone());
    EXPECT_EQ(ui.questions.back(), "Are you sure?");
    EXPECT_EQ(localRows(left), (std::vector<std::string>{"8", "9"}));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{
                               "WEST has not read fill no. 4 yet (it has read no. 3): what it has not read stays "
                               "in the journal.",
                               "Journal entries removed: 1; kept: 2."}));

    // A clone deleted from the registry holds nothing back.
    local("delete from R$CLONE where NAME = 'WEST'");
    ui.confirmAnswers = {true};
    EXPECT_TRUE(synchro::Success(dm.UserDB(), ui).isDone());
    EXPECT_EQ(localRows(left), (std::vector<std::string>{"9"}));
}

}  // namespace quorvel::test

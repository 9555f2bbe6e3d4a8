// The read on real databases: the rules that tell a held row, a deleted row
// and a true collision apart, the master's priority, and that a read is
// applied whole or not at all.
#include "engine/Database.h"
#include "engine/Query.h"
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {
const char* const kRows = "select ID, NAME, R$CODE1, R$CODE2 from CUSTOMER order by ID";
}  // namespace

class ReadTest : public ExchangeTest {
protected:
    // The sender's mark: its new rows lie above, its updated rows below.
    void markSent(long code1 = 1, long code2 = 100) {
        synchro("insert into R$SYNCHRO values (7, \"2026-03-01\", " + std::to_string(code1) + ", " +
                std::to_string(code2) + ")");
    }
    void sentJournal(long code1, long code2, const char* op) {
        synchro("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (" + std::to_string(code1) + ", " + std::to_string(code2) +
                ", \"" + op + "\", \"CUSTOMER\")");
    }
    void localJournal(long code1, long code2, const char* op) {
        local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (" + std::to_string(code1) + ", " + std::to_string(code2) +
              ", \"" + op + "\", \"CUSTOMER\")");
    }
    Outcome read(synchro::ReadReport* report = nullptr) {
        ui.confirmAnswers.push_back(true);
        return synchro::ReadFromSynchro(dm.UserDB(), dm.SynchroDB(), ui, report);
    }
};

TEST_F(ReadTest, NewRowsAreInsertedAndARowHeldWithTheSameCodeIsTheSameRow) {
    makeDatabases({});
    markSent();
    local(customer(1, "held since the backup", 1, 101));
    synchro(customer(1, "changed at the sender", 1, 101));
    sentJournal(1, 101, "U");
    synchro(customer(2, "new at the sender", 1, 102));
    synchro::ReadReport report;
    const Outcome o = read(&report);
    ASSERT_TRUE(o.isDone()) << o.message();
    EXPECT_EQ(localRows(kRows),
              (std::vector<std::string>{"1|changed at the sender|1|101", "2|new at the sender|1|102"}));
    EXPECT_EQ(report.tables.at(0).inserted, 1);
    EXPECT_EQ(report.tables.at(0).sameRow, 1);
    EXPECT_EQ(ui.messages.back(), "Do not forget make triggers active again!");
}

TEST_F(ReadTest, ARowIsFoundByItsRecordCodeSoAKeyChangedAtEitherSiteHoldsOneRow) {
    makeDatabases({});
    markSent();
    local(customer(1, "before the sender changed its key", 0, 50));
    local(customer(8, "key changed here, read again", 1, 101));
    local(customer(9, "key changed here, no journal entry", 1, 102));
    localJournal(1, 101, "U");
    synchro(customer(7, "key changed at the sender", 0, 50));
    synchro(customer(2, "as the sender has it", 1, 101));
    synchro(customer(3, "as the sender has it", 1, 102));
    for (long low : {50, 101, 102}) sentJournal(low == 50 ? 0 : 1, low, "U");
    synchro::ReadReport report;
    const Outcome o = read(&report);
    ASSERT_TRUE(o.isDone()) << o.message();
    // One row per code: the master's own change of row (1, 101) wins, the
    // other two take the sender's key.
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"3|as the sender has it|1|102",
                                                         "7|key changed at the sender|0|50",
                                                         "8|key changed here, read again|1|101"}));
    EXPECT_EQ(report.tables.at(0).updated, 1);
    EXPECT_EQ(report.tables.at(0).sameRow, 1);
    EXPECT_EQ(report.tables.at(0).masterWins, 1);
    EXPECT_EQ(report.tables.at(0).inserted, 0);
}

TEST_F(ReadTest, ARowDeletedAndInsertedAgainUnderItsKeyArrivesAsTheSenderHasIt) {
    makeDatabases({});
    markSent();
    local(customer(1, "line before it was rewritten", 0, 50));
    local(customer(2, "inserted here", 0, 5001));
    sentJournal(0, 50, "D");
    synchro(customer(1, "line written again", 1, 101));
    synchro(customer(2, "inserted there too", 1, 102));
    // Key 1 is no collision: the sender deleted the row that held it. Key 2 is.
    synchro::ReadReport report;
    ASSERT_EQ(read(&report).kind(), Outcome::Kind::Failed);
    ASSERT_TRUE(report.collision.has_value());
    EXPECT_EQ(report.collision->synchroRow.at(0), "ID=2");
    // The advice: copy the synchro row over the local one, then read again.
    ui.confirmAnswers.push_back(true);
    ASSERT_TRUE(synchro::CopySynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", {"2"}).isDone());
    const Outcome again = read();
    ASSERT_TRUE(again.isDone()) << again.message();
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|line written again|1|101",
                                                         "2|inserted there too|0|5001"}));
}

TEST_F(ReadTest, ReadingTheSameSynchroDatabaseTwiceChangesNothingMore) {
    makeDatabases({});
    markSent();
    synchro(customer(2, "new at the sender", 1, 102));
    ASSERT_TRUE(read().isDone());
    const auto once = localRows(kRows);
    const Outcome again = read();
    ASSERT_TRUE(again.isDone()) << again.message();
    EXPECT_EQ(localRows(kRows), once);
}

TEST_F(ReadTest, ARowDeletedHereIsNotInsertedAgain) {
    makeDatabases({});
    markSent();
    localJournal(1, 103, "D");
    synchro(customer(3, "deleted here since", 1, 103));
    synchro::ReadReport report;
    ASSERT_TRUE(read(&report).isDone());
    EXPECT_TRUE(localRows(kRows).empty());
    EXPECT_EQ(report.tables.at(0).stayDeleted, 1);
}

TEST_F(ReadTest, ACloneKeepsItsOwnChangeOfAHeldRowUnlessTheSenderChangedItToo) {
    Local clone;
    clone.identity = "WEST";
    clone.bound1 = 1;
    clone.bound2 = 1000000000;
    makeDatabases(clone);
    markSent(0, 100);
    local(customer(1, "changed at the clone", 0, 101));
    local(customer(2, "changed at both", 0, 102));
    localJournal(0, 101, "U");
    localJournal(0, 102, "U");
    synchro(customer(1, "as the master made it", 0, 101));
    synchro(customer(2, "changed at the master", 0, 102));
    sentJournal(0, 102, "U");
    synchro::ReadReport report;
    ASSERT_TRUE(read(&report).isDone());
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|changed at the clone|0|101",
                                                         "2|changed at the master|0|102"}));
    EXPECT_EQ(report.tables.at(0).keptOwn, 1);
}

TEST_F(ReadTest, TheMastersOwnUpdateWinsOnTheMasterAndTheMastersUpdateWinsOnAClone) {
    makeDatabases({});
    markSent();
    local(customer(1, "updated at the master", 0, 50));
    local(customer(2, "not updated here", 0, 60));
    localJournal(0, 50, "U");
    synchro(customer(1, "updated at the clone", 0, 50));
    synchro(customer(2, "updated at the clone", 0, 60));
    synchro(customer(9, "updated at the clone, not held here", 0, 70));
    for (long low : {50, 60, 70}) sentJournal(0, low, "U");
    synchro::ReadReport report;
    ASSERT_TRUE(read(&report).isDone());
    EXPECT_EQ(localRows(kRows),
              (std::vector<std::string>{"1|updated at the master|0|50", "2|updated at the clone|0|60"}));
    EXPECT_EQ(report.tables.at(0).masterWins, 1);
    EXPECT_EQ(report.tables.at(0).updated, 1);
    EXPECT_EQ(report.tables.at(0).notFound, 1);

    Local clone;
    clone.identity = "WEST";
    makeDatabases(clone);
    markSent();
    local(customer(1, "updated at the clone", 0, 50));
    localJournal(0, 50, "U");
    synchro(customer(1, "updated at the master", 0, 50));
    sentJournal(0, 50, "U");
    ASSERT_TRUE(read().isDone());
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|updated at the master|0|50"}));
}

TEST_F(ReadTest, DeletionsGoByCodeAndRunWithNoRowsInEitherRange) {
    makeDatabases({});
    markSent();
    local(customer(1, "deleted at the sender", 0, 50));
    local(customer(2, "stays", 0, 51));
    sentJournal(0, 50, "D");
    sentJournal(0, 77, "D");  // a row not held here: nothing to do
    sentJournal(0, 51, "U");  // "U" entries travel as rows, not as deletions
    synchro::ReadReport report;
    ASSERT_TRUE(read(&report).isDone());
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"2|stays|0|51"}));
    EXPECT_EQ(report.tables.at(0).deleted, 1);
}

TEST_F(ReadTest, ANaturalKeyCollisionAppliesNothingAndReportsBothRowsForTheCollisionPage) {
    makeDatabases({});
    markSent();
    local(customer(1, "inserted here", 0, 5001));
    local(customer(5, "deleted at the sender", 0, 40));
    synchro(customer(2, "new at the sender, fine", 1, 101));
    synchro(customer(1, "inserted there too", 1, 102));
    sentJournal(0, 40, "D");
    const auto before = localRows(kRows);
    synchro::ReadReport report;
    const Outcome o = read(&report);
    EXPECT_EQ(o.kind(), Outcome::Kind::Failed);
    EXPECT_EQ(localRows(kRows), before);
    ASSERT_TRUE(report.collision.has_value());
    EXPECT_EQ(report.collision->table, "CUSTOMER");
    EXPECT_EQ(report.collision->pass, "INSERT");
    EXPECT_NE(report.collision->message.find("PRIMARY"), std::string::npos) << report.collision->message;
    EXPECT_EQ(report.collision->synchroRow.at(1), "NAME=inserted there too");
    EXPECT_EQ(report.collision->localRow.at(1), "NAME=inserted here");
    // What the window opens its grids on: the sent rows of the pass, on the
    // failing one, and the local row holding its key.
    EXPECT_EQ(report.collision->synchroRows.rfind("select * from CUSTOMER where ", 0), 0u)
        << report.collision->synchroRows;
    EXPECT_EQ(report.collision->synchroCode, (replica::RecordCode{1, 102}));
    EXPECT_EQ(report.collision->localKeyColumns, (std::vector<std::string>{"ID"}));
    EXPECT_EQ(report.collision->localKey, (std::vector<engine::Value>{int64_t{1}}));
    EXPECT_EQ(ui.lastMessage(), o.message());
}

// Another user's edit, not yet committed, holds a row the read must write; a
// lost connection stops a read too. Neither is a collision: nothing to settle,
// nothing applied, and the same read goes through later.
TEST_F(ReadTest, AnotherUsersUncommittedEditOrALostConnectionIsNoCollision) {
    struct Case {
        bool lost;
        std::string says;
    };
    for (const Case& c : {Case{false, "Another user is changing a row of CUSTOMER and has not committed it yet, or "
                                      "changed it while the read ran. "
                                      "Nothing was applied: read again later.\n"},
                          Case{true, "The connection was lost during the read. Nothing was applied: "
                                     "read again later.\n"}}) {
        SCOPED_TRACE(c.says);
        makeDatabases({});
        markSent();
        local(customer(1, "held since the backup", 1, 101));
        synchro(customer(1, "changed at the sender", 1, 101));
        synchro(customer(2, "new at the sender", 1, 102));
        sentJournal(1, 101, "U");
        const auto before = localRows(kRows);
        // A second attachment: another user editing the local row, or an
        // administrator cutting the read's connection to the synchro database.
        engine::Database other("OtherUser");
        Workspace::connect(other, c.lost ? synchroAlias : localAlias);
        other.startTransaction();
        if (c.lost) {
            other.execute("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> current_connection");
            other.commit();
        } else {
            other.execute("update CUSTOMER set NAME = 'edited by another user' where ID = 1");
        }
        ui.pagesShown.clear();
        synchro::ReadReport report;
        const Outcome o = read(&report);
        EXPECT_EQ(o.kind(), Outcome::Kind::Failed);
        EXPECT_EQ(ui.lastMessage().rfind(c.says, 0), 0u) << ui.lastMessage();
        EXPECT_FALSE(report.collision.has_value());
        EXPECT_TRUE(ui.pagesShown.empty());
        EXPECT_EQ(localRows(kRows), before);

        if (c.lost) connectBoth();
        else other.rollback();
        ASSERT_TRUE(read().isDone()) << ui.lastMessage();
        EXPECT_EQ(localRows(kRows),
                  (std::vector<std::string>{"1|changed at the sender|1|101", "2|new at the sender|1|102"}));
    }
}

TEST_F(ReadTest, ReadIsRefusedWhileTheTriggersAreActiveOrWithoutAMark) {
    Local active;
    active.trig = 0;
    makeDatabases(active);
    markSent();
    synchro(customer(2, "new", 1, 102));
    Outcome o = read();
    EXPECT_EQ(o.kind(), Outcome::Kind::Refused);
    EXPECT_NE(o.message().find("triggers"), std::string::npos);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(localRows(kRows).empty());

    makeDatabases({});
    synchro(customer(2, "new", 1, 102));
    o = read();
    EXPECT_EQ(o.kind(), Outcome::Kind::Refused);
    EXPECT_NE(o.message().find("holds no mark"), std::string::npos);
    EXPECT_TRUE(localRows(kRows).empty());

    markSent();
    ui.confirmAnswers = {false};  // the refused reads asked nothing
    EXPECT_EQ(synchro::ReadFromSynchro(dm.UserDB(), dm.SynchroDB(), ui).kind(), Outcome::Kind::Cancelled);
    EXPECT_TRUE(localRows(kRows).empty());
}

TEST_F(ReadTest, ACollisionIsSettledByCopyingOrDeletingTheSynchroRow) {
    makeDatabases({});
    markSent();
    local(customer(1, "inserted here", 0, 5001));
    synchro(customer(1, "inserted there too", 1, 102));
    ASSERT_EQ(read().kind(), Outcome::Kind::Failed);

    ui.confirmAnswers.push_back(false);
    EXPECT_EQ(synchro::CopySynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", {"1"}).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|inserted here|0|5001"}));

    ui.confirmAnswers.push_back(true);
    const Outcome copied = synchro::CopySynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", {"1"});
    ASSERT_TRUE(copied.isDone()) << copied.message();
    // At the master the local row keeps its own record code, and the file
    // is left as it came.
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|inserted there too|0|5001"}));
    EXPECT_EQ(synchroRows(kRows), (std::vector<std::string>{"1|inserted there too|1|102"}));
    EXPECT_TRUE(read().isDone());

    synchro("delete from CUSTOMER");
    synchro(customer(1, "again", 1, 103));
    ASSERT_EQ(read().kind(), Outcome::Kind::Failed);
    ui.confirmAnswers.push_back(true);
    ASSERT_TRUE(synchro::DeleteSynchroRow(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", {"1"}).isDone());
    EXPECT_TRUE(read().isDone());
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|inserted there too|0|5001"}));
}

TEST_F(ReadTest, TheCollisionPagesCopyTakesTheSelectedSynchroRecordOverTheSelectedLocalOne) {
    makeDatabases({});
    markSent();
    local(customer(1, "inserted here", 0, 5001));
    synchro(customer(2, "fine", 1, 101));
    synchro(customer(1, "inserted there too", 1, 102));
    ASSERT_EQ(read().kind(), Outcome::Kind::Failed);
    // The operator selects the colliding synchro row: the window hands it over.
    engine::Query selected(dm.SynchroDB());
    selected.setSql("select * from CUSTOMER where ID = 1");
    selected.open();
    synchro::SelectedRow row;
    for (int i = 0; i < selected.fieldCount(); ++i) {
        row.columns.push_back(selected.field(i).name());
        row.values.push_back(selected.field(i).asValue());
    }
    selected.close();
    ui.confirmAnswers.push_back(false);
    EXPECT_EQ(synchro::CopyNaturalKey(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", row).kind(), Outcome::Kind::Cancelled);
    EXPECT_NE(ui.questions.back().find("Local: ID=1, NAME=inserted here"), std::string::npos) << ui.questions.back();
    EXPECT_EQ(synchro::CopyNaturalKey(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", {}).kind(), Outcome::Kind::Refused);
    ui.confirmAnswers.push_back(true);
    const Outcome o = synchro::CopyNaturalKey(dm.UserDB(), dm.SynchroDB(), ui, "CUSTOMER", row);
    ASSERT_TRUE(o.isDone()) << o.message();
    EXPECT_EQ(localRows(kRows), (std::vector<std::string>{"1|inserted there too|0|5001"}));
}

}  // namespace quorvel::test

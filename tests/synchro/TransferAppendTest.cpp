// The append on real databases: every source row appended whole, and the ways an
// append can fail.
#include "TransferFixture.h"

#include "engine/Error.h"

using namespace quorvel;
using quorvel::test::TransferTest;

namespace {

// The columns a replicated table typically has, the record code last.
const char* const kItems =
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL, NAME VARCHAR(40), CODE CHAR(8),\n"
    " PRICE NUMERIC(15,2), QTY NUMERIC(9,3), STAMP TIMESTAMP, NOTE BLOB SUB_TYPE TEXT,\n"
    " BIN BLOB SUB_TYPE 0, R$CODE1 INTEGER, R$CODE2 INTEGER, PRIMARY KEY (ID));\n";

// Row 1 has every value, row 2 only NULLs, row 3 empty texts and a note long
// enough to span many blob segments.
const char* const kItemRows =
    "INSERT INTO ITEMS VALUES (1, 'Anna''s', 'AB', 12.5, -0.125, '2026-12-07 10:11:12',\n"
    " 'short note', X'0041FF000A', 0, 11);\n"
    "INSERT INTO ITEMS (ID) VALUES (2);\n"
    "SET TERM ^;\n"
    "EXECUTE BLOCK AS DECLARE b BLOB SUB_TYPE TEXT = ''; DECLARE i INT = 0; BEGIN\n"
    " WHILE (i < 90) DO BEGIN b = b || 'line ' || i || ' ' || rpad('', 1000, 'of a long note ') || '\n';\n"
    " i = i + 1; END\n"
    " INSERT INTO ITEMS VALUES (3, '', '', 0, 0, '1999-01-31', :b, X'', 1, 2000000000); END^\n"
    "SET TERM ;^\n"
    "COMMIT;\n";

const char* const kItemsWhole =
    "select ID, NAME, CODE, PRICE, QTY, STAMP, octet_length(NOTE), hash(NOTE),"
    " octet_length(BIN), hash(BIN), R$CODE1, R$CODE2 from ITEMS order by ID";

TEST_F(TransferTest, AppendCopiesEveryRowWholeNullsBlobsAndRecordCodeIncluded) {
    makeDatabases(kItems, std::string(kItems) + kItemRows);
    append("select * from ITEMS", "ITEMS");
    commitBoth();

    const auto sent = synchroRows(kItemsWhole);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(localRows(kItemsWhole), sent);
    // The note itself, not only its length and hash.
    EXPECT_EQ(localRows("select NOTE from ITEMS where ID = 3"),
              synchroRows("select NOTE from ITEMS where ID = 3"));
    EXPECT_EQ(localRows("select NAME, R$CODE1, R$CODE2, NOTE from ITEMS where ID < 3 order by ID"),
              (std::vector<std::string>{"Anna's|0|11|short note", "<null>|<null>|<null>|<null>"}));
}

TEST_F(TransferTest, EmptySourceTransfersNothingAndLeavesTheTargetOpen) {
    makeDatabases(std::string(kItems) + "INSERT INTO ITEMS (ID, NAME) VALUES (1, 'kept');\n", kItems);
    for (bool overwriting : {false, true}) {
        transferBy(overwriting, "select * from ITEMS", "ITEMS", true);
        EXPECT_TRUE(target.active());
        EXPECT_EQ(target.state(), engine::DataSetState::Browse);
    }
    // There is no third way of transferring: the transfer offers append and
    // overwrite only, so none can be asked for.
    commitBoth();
    EXPECT_EQ(localRows("select ID, NAME from ITEMS"), (std::vector<std::string>{"1|kept"}));
}

TEST_F(TransferTest, DuplicateKeyFailsAtThePostAndLeavesTheRecordInInsertState) {
    makeDatabases(std::string(kItems) + "INSERT INTO ITEMS (ID, NAME) VALUES (2, 'local');\n",
                  std::string(kItems) + kItemRows);
    auto& appending = prepare("select * from ITEMS order by ID", "ITEMS");
    source.setCacheLimit(123456);
    try {
        appending.append();
        FAIL() << "appending an existing key must fail";
    } catch (const engine::DbError& e) {
        EXPECT_NE(std::string(e.what()).find("violation of PRIMARY or UNIQUE KEY constraint"),
                  std::string::npos)
            << e.what();
    }
    // The failing record is neither posted nor cancelled: it can be shown.
    EXPECT_EQ(target.state(), engine::DataSetState::Insert);
    EXPECT_EQ(target.fieldByName("ID").asInteger(), 2);
    EXPECT_EQ(source.fieldByName("ID").asInteger(), 2);
    // The source streamed without keeping rows; the grid's cache is back.
    EXPECT_EQ(source.cacheLimit(), 123456u);
    // The row before it stays in the caller's transaction until the caller
    // rolls back.
    EXPECT_EQ(localRows("select ID, NAME from ITEMS order by ID"),
              (std::vector<std::string>{"1|Anna's", "2|local"}));
    target.cancel();
    dm.UserDB().rollback();
    EXPECT_EQ(localRows("select ID, NAME from ITEMS"), (std::vector<std::string>{"2|local"}));
}

TEST_F(TransferTest, TargetWithFewerFieldsThanTheSourceFailsBeforeWritingAnything) {
    makeDatabases("CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40));\n",
                  std::string(kItems) + kItemRows);
    for (bool overwriting : {false, true}) {
        try {
            transferBy(overwriting, "select * from ITEMS", "ITEMS");
            FAIL() << "a narrower target must fail " << (overwriting ? "overwriting" : "appending");
        } catch (const engine::DbError& e) {
            EXPECT_NE(std::string(e.what()).find("ITEMS"), std::string::npos) << e.what();
        }
    }
    commitBoth();
    EXPECT_TRUE(localRows("select ID from ITEMS").empty());
}

TEST_F(TransferTest, AppendOfAJournalIntoAnotherJournalKeepsEveryEntry) {
    // The fill's first copy: local journal into the synchro journal, both keyed
    // by the code and the operation.
    makeDatabases(std::string(test::kJournalTable) +
                      "INSERT INTO R$DELETEDUPDATED VALUES (0, 5, 'U', 'ITEMS');\n"
                      "INSERT INTO R$DELETEDUPDATED VALUES (0, 5, 'D', 'ITEMS');\n"
                      "INSERT INTO R$DELETEDUPDATED VALUES (1, 0, 'U', 'ORDERS');\n",
                  test::kJournalTable);
    engine::Query journal(dm.UserDB());
    journal.setSql("select * from R$DeletedUpdated");
    engine::Table sent(dm.SynchroDB());
    sent.setTableName("R$DELETEDUPDATED");
    EXPECT_EQ(synchro::RecordTransfer(journal, sent).append(), 3);
    commitBoth();
    EXPECT_EQ(synchroRows("select * from R$DELETEDUPDATED order by 1, 2, 3"),
              (std::vector<std::string>{"0|5|D|ITEMS", "0|5|U|ITEMS", "1|0|U|ORDERS"}));
}

}  // namespace

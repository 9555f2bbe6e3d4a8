// The overwrite on real databases: rows found by their record code are overwritten
// whole (their key included), unmatched rows are skipped, and the local
// journal can keep a locally updated row as it is.
#include "TransferFixture.h"

#include "engine/Error.h"

using namespace quorvel;
using quorvel::test::TransferTest;

namespace {

const char* const kGoods =
    "CREATE TABLE GOODS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(15,2),\n"
    " NOTE BLOB SUB_TYPE TEXT, R$CODE1 INTEGER, R$CODE2 INTEGER);\n";

const char* const kLocalGoods =
    "INSERT INTO GOODS VALUES (1, 'one', 1.5, 'note one', 0, 1);\n"
    "INSERT INTO GOODS VALUES (2, 'two', 2.5, 'note two', 0, 2);\n"
    "INSERT INTO GOODS VALUES (3, 'three', 3.5, NULL, 0, 3);\n";

// Updates of rows 1 and 2 (row 2's values all NULL but the key and code),
// row 3 under a new key, and row 9 that the local database does not have.
const char* const kSentGoods =
    "INSERT INTO GOODS VALUES (1, 'ONE', 10, 'changed', 0, 1);\n"
    "INSERT INTO GOODS (ID, R$CODE1, R$CODE2) VALUES (2, 0, 2);\n"
    "INSERT INTO GOODS VALUES (13, 'THREE', 30, 'now with a note', 0, 3);\n"
    "INSERT INTO GOODS VALUES (9, 'nine', 9, 'x', 0, 9);\n";

const char* const kAllGoods = "select ID, NAME, PRICE, NOTE, R$CODE1, R$CODE2 from GOODS order by ID";

TEST_F(TransferTest, UpdateOverwritesMatchedRowsWholeAndSkipsUnmatchedOnes) {
    makeDatabases(std::string(kGoods) + kLocalGoods, std::string(kGoods) + kSentGoods);
    overwrite("select * from GOODS", "GOODS");
    commitBoth();
    // NULLs replace values, the key follows the sender's; row 9 has no match
    // and leaves no trace.
    EXPECT_EQ(localRows(kAllGoods),
              (std::vector<std::string>{"1|ONE|10.00|changed|0|1", "2|<null>|<null>|<null>|0|2",
                                        "13|THREE|30.00|now with a note|0|3"}));
}

TEST_F(TransferTest, OverwriteFindsRowsByTheKeyColumnsItIsGiven) {
    makeDatabases(std::string(kGoods) + kLocalGoods, std::string(kGoods) + kSentGoods);
    // By the primary key: row 3 arrives under key 13 and is not found, nor is 9.
    const auto byKey = prepare("select * from GOODS", "GOODS").overwrite({"ID"});
    EXPECT_EQ(byKey.moved, 2);
    EXPECT_EQ(byKey.notFound, 2);
    EXPECT_THROW(prepare("select * from GOODS", "GOODS").overwrite({"ID", "NOSUCH"}), engine::DbError);
    commitBoth();
    EXPECT_EQ(localRows(kAllGoods),
              (std::vector<std::string>{"1|ONE|10.00|changed|0|1", "2|<null>|<null>|<null>|0|2",
                                        "3|three|3.50|<null>|0|3"}));
}

TEST_F(TransferTest, OverwriteKeepingLocalUpdatesLeavesRowsTheLocalJournalMarksAsUpdated) {
    // Row 2 was updated locally; row 1 has only a "D" entry, row 3's code
    // shares one half with a "U" entry of another record, and row 4 arrives
    // without a code, which names no row.
    const std::string journal = std::string(test::kJournalTable) +
                                "INSERT INTO R$DELETEDUPDATED VALUES (0, 2, 'U', 'GOODS');\n"
                                "INSERT INTO R$DELETEDUPDATED VALUES (0, 1, 'D', 'GOODS');\n"
                                "INSERT INTO R$DELETEDUPDATED VALUES (7, 3, 'U', 'GOODS');\n"
                                "INSERT INTO GOODS VALUES (4, 'four', 4, NULL, 0, 4);\n";
    makeDatabases(std::string(kGoods) + kLocalGoods + journal,
                  std::string(kGoods) + kSentGoods + "INSERT INTO GOODS (ID, NAME) VALUES (4, 'FOUR');\n");

    overwrite("select * from GOODS", "GOODS", true);
    EXPECT_EQ(localRows(kAllGoods),
              (std::vector<std::string>{"1|ONE|10.00|changed|0|1", "2|two|2.50|note two|0|2",
                                        "4|four|4.00|<null>|0|4", "13|THREE|30.00|now with a note|0|3"}));

    // Without the test the same row is overwritten.
    overwrite("select * from GOODS", "GOODS");
    commitBoth();
    EXPECT_EQ(localRows("select ID, NAME, PRICE, NOTE from GOODS where ID = 2"),
              (std::vector<std::string>{"2|<null>|<null>|<null>"}));
}

TEST_F(TransferTest, RowsAreFoundByBothHalvesOfTheirCodeWhateverTheirKey) {
    const char* lines =
        "CREATE TABLE LINES (CODE CHAR(10) NOT NULL, LINE INTEGER NOT NULL, TITLE VARCHAR(20),\n"
        " R$CODE1 INTEGER, R$CODE2 INTEGER, CONSTRAINT PK_LINES PRIMARY KEY (LINE, CODE));\n";
    makeDatabases(std::string(lines) +
                      "INSERT INTO LINES VALUES ('AB', 1, 'a1', 0, 1);\n"
                      "INSERT INTO LINES VALUES ('AB', 2, 'a2', 0, 2);\n"
                      "INSERT INTO LINES VALUES ('CD', 1, 'c1', 1, 3);\n",
                  std::string(lines) +
                      "INSERT INTO LINES VALUES ('AB', 2, 'A2', 0, 2);\n"
                      "INSERT INTO LINES VALUES ('CD', 1, 'same key, other code', 0, 4);\n"
                      "INSERT INTO LINES VALUES ('AB', 1, 'halves of two codes', 1, 1);\n"
                      "INSERT INTO LINES VALUES ('EF', 3, 'c1 under a new key', 1, 3);\n");
    target.close();
    target.setTableName("LINES");
    target.open();
    // Key order of the index, not of the table's columns.
    EXPECT_EQ(target.primaryKeyFields(), "LINE;CODE");

    overwrite("select * from LINES", "LINES");
    commitBoth();
    EXPECT_EQ(localRows("select CODE, LINE, TITLE, R$CODE2 from LINES order by CODE, LINE"),
              (std::vector<std::string>{"AB|1|a1|1", "AB|2|A2|2", "EF|3|c1 under a new key|3"}));
}

TEST_F(TransferTest, UpdateOfATableWithoutRecordCodeFailsNamingTheTable) {
    const char* loose = "CREATE TABLE LOOSE (ID INTEGER, NAME VARCHAR(10));\n";
    makeDatabases(std::string(loose) + "INSERT INTO LOOSE VALUES (1, 'a');\n",
                  std::string(loose) + "INSERT INTO LOOSE VALUES (1, 'b');\n");
    try {
        overwrite("select * from LOOSE", "LOOSE");
        FAIL() << "overwriting by the record code needs the record code";
    } catch (const engine::DbError& e) {
        EXPECT_NE(std::string(e.what()).find("LOOSE"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("record code"), std::string::npos) << e.what();
    }
    commitBoth();
    EXPECT_EQ(localRows("select * from LOOSE"), (std::vector<std::string>{"1|a"}));
}

TEST_F(TransferTest, RejectedEditStaysInEditStateWithTheSourceValues) {
    makeDatabases(
        "CREATE TABLE GOODS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(15,2)\n"
        " CHECK (PRICE >= 0), NOTE BLOB SUB_TYPE TEXT, R$CODE1 INTEGER, R$CODE2 INTEGER);\n" +
            std::string(kLocalGoods),
        std::string(kGoods) + "INSERT INTO GOODS VALUES (1, 'ok', 1, NULL, 0, 1);\n"
                              "INSERT INTO GOODS VALUES (2, 'bad', -1, NULL, 0, 2);\n"
                              "INSERT INTO GOODS VALUES (3, 'never', 3, NULL, 0, 3);\n");
    EXPECT_THROW(overwrite("select * from GOODS order by ID", "GOODS"), engine::DbError);
    EXPECT_EQ(target.state(), engine::DataSetState::Edit);
    EXPECT_EQ(target.fieldByName("NAME").asString(), "bad");
    target.cancel();
    commitBoth();
    // Rows before the failure are in the caller's transaction, rows after it
    // were never reached.
    EXPECT_EQ(localRows("select ID, NAME from GOODS order by ID"),
              (std::vector<std::string>{"1|ok", "2|two", "3|three"}));
}

TEST_F(TransferTest, SourceWithoutTheRecordCodeFails) {
    makeDatabases(std::string(kGoods) + kLocalGoods, std::string(kGoods) + kSentGoods);
    EXPECT_THROW(overwrite("select NAME, PRICE from GOODS", "GOODS"), engine::DbError);
}

}  // namespace

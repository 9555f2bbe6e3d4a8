// How an overwrite and the master's relay meet the local database: a row is
// written by its key and looked for only when that wrote nothing, the local
// side hears of the rows it holds alone, and the relay's entries all arrive
// however many it writes at a time.
#include "TransferFixture.h"

#include "replica/Journal.h"
#include "support/Workspace.h"
#include "synchro/ArrivalJournal.h"
#include "synchro/ArrivalRules.h"

using namespace quorvel;
using quorvel::test::TransferTest;
using replica::RecordCode;

namespace {

const char* const kGoods =
    "CREATE TABLE GOODS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), NOTE BLOB SUB_TYPE TEXT,\n"
    " R$CODE1 INTEGER, R$CODE2 INTEGER);\n";

TEST_F(TransferTest, OverwriteReportsOnlyTheRowsHeldHereWrittenOrKept) {
    // Held here: codes 1 and 2, the latter updated here. Code 8 is updated
    // here but not held; 9 is not held at all; the last row has no code.
    makeDatabases(std::string(kGoods) + test::kJournalTable +
                      "INSERT INTO GOODS VALUES (1, 'one', 'a note', 0, 1);\n"
                      "INSERT INTO GOODS VALUES (2, 'two', NULL, 0, 2);\n"
                      "INSERT INTO R$DELETEDUPDATED VALUES (0, 2, 'U', 'GOODS');\n"
                      "INSERT INTO R$DELETEDUPDATED VALUES (0, 8, 'U', 'GOODS');\n",
                  std::string(kGoods) +
                      "INSERT INTO GOODS VALUES (1, 'ONE', 'sent note', 0, 1);\n"
                      "INSERT INTO GOODS VALUES (2, 'TWO', NULL, 0, 2);\n"
                      "INSERT INTO GOODS VALUES (8, 'EIGHT', NULL, 0, 8);\n"
                      "INSERT INTO GOODS VALUES (9, 'NINE', NULL, 0, 9);\n"
                      "INSERT INTO GOODS (ID, NAME) VALUES (10, 'TEN');\n");
    synchro::JournalLookup journal(dm.UserDB());
    std::vector<std::pair<RecordCode, bool>> heard;
    const auto done = prepare("select * from GOODS order by ID", "GOODS")
                          .overwrite(
                              synchro::recordCodeColumns(),
                              [&journal](const RecordCode& c) { return journal.updatedHere(c); },
                              [&heard](const RecordCode& c, bool kept) { heard.emplace_back(c, kept); });
    commitBoth();
    EXPECT_EQ(done.moved, 1);
    EXPECT_EQ(done.keptLocal, 1);
    EXPECT_EQ(done.notFound, 3);
    EXPECT_EQ(heard, (std::vector<std::pair<RecordCode, bool>>{{{0, 1}, false}, {{0, 2}, true}}));
    EXPECT_EQ(localRows("select ID, NAME, NOTE from GOODS order by ID"),
              (std::vector<std::string>{"1|ONE|sent note", "2|two|<null>"}));
}

// Columns of other sizes on the two sides are copied field by field, the
// same ones straight from the source's row: both ways write the same rows.
TEST_F(TransferTest, RowsArriveAlikeWhetherOrNotTheColumnsMatchInSize) {
    const char* sent = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(9,2),\n"
                       " R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
                       "INSERT INTO T VALUES (1, 'one', 1.25, 0, 1);\n"
                       "INSERT INTO T VALUES (2, NULL, NULL, 0, 2);\n";
    for (const char* local : {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20),"
                              " PRICE NUMERIC(9,2), R$CODE1 INTEGER, R$CODE2 INTEGER);\n",
                              "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30),"
                              " PRICE NUMERIC(15,3), R$CODE1 INTEGER, R$CODE2 INTEGER);\n"}) {
        SCOPED_TRACE(local);
        if (dm.UserDB().connected()) dm.UserDB().disconnect();
        if (dm.SynchroDB().connected()) dm.SynchroDB().disconnect();
        makeDatabases(local, sent);
        EXPECT_EQ(append("select * from T", "T"), 2);
        dm.SynchroDB().execute("update T set NAME = 'ONE', PRICE = 2.5 where ID = 1");
        EXPECT_EQ(prepare("select * from T", "T").overwrite(synchro::recordCodeColumns()).moved, 2);
        commitBoth();
        EXPECT_EQ(localRows("select ID, NAME, cast(PRICE * 100 as integer) from T order by ID"),
                  (std::vector<std::string>{"1|ONE|250", "2|<null>|<null>"}));
    }
}

// The master journals what it applied from clone 2 in blocks of entries: a
// count that fills blocks and leaves a rest, with entries that replace one
// of its own, arrives whole.
TEST(RelayTest, EveryAppliedChangeIsJournaledOnceWithTheSendersOrigin) {
    test::Workspace ws;
    ws.createDatabase("Master", test::toolTableScript("R$DELETEDUPDATED") +
                                    "INSERT INTO R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME)"
                                    " VALUES (1, 5, 'U', 'GOODS');\n"
                                    "INSERT INTO R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME)"
                                    " VALUES (1, 300, 'D', 'GOODS');\n");
    engine::Database master("Master");
    test::Workspace::connect(master, "Master");
    master.startTransaction();
    const replica::Journal local = replica::Journal::read(master), sent = local;
    synchro::ArrivalRules rules(true, 0, 2, local, sent, std::nullopt);
    for (int low = 1; low <= 150; ++low) rules.applied(low % 2 ? "GOODS" : "LINES", {1, low});
    for (int low = 300; low < 371; ++low) rules.deleted("GOODS", {1, low});
    synchro::journalArrivals(master, rules);
    master.commit();

    EXPECT_EQ(test::rowsOf(master, "select OPERATION, count(*), count(distinct R$CODE2), min(R$CODE2), max(R$CODE2),"
                             " min(ORIGIN), max(ORIGIN) from R$DELETEDUPDATED group by OPERATION"),
              (std::vector<std::string>{"D|71|71|300|370|2|2", "U|150|150|1|150|2|2"}));
    EXPECT_EQ(test::rowsOf(master, "select TABLENAME, count(*) from R$DELETEDUPDATED where OPERATION = 'U'"
                             " group by TABLENAME"),
              (std::vector<std::string>{"GOODS|75", "LINES|75"}));
}

}  // namespace

// The fill on real databases: what it sends, what it leaves, and that a
// failure anywhere before its end loses nothing.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/ExchangeFixture.h"
#include "replica/TriggerKind.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {
const char* const kSentRows = "select ID, R$CODE1, R$CODE2 from CUSTOMER order by ID";
const char* const kJournal = "select R$CODE1, R$CODE2, OPERATION from R$DELETEDUPDATED order by 1, 2, 3";
}  // namespace

// The last mark is (0, 5000), the bound (0, 2000000000).
TEST_F(ExchangeTest, FillSendsNewRowsAndWholeCodeUpdatesOnceWithTheWholeJournal) {
    makeDatabases({});
    local(customer(1, "old, untouched", 0, 100));
    local(customer(2, "old, updated here", 0, 120));
    local(customer(3, "clone row, updated here", 1, 50));
    local(customer(4, "halves match two entries", 1, 120));
    local(customer(5, "new", 0, 5001));
    local(customer(6, "new and updated", 0, 5002));
    local(customer(7, "the site's last code", 0, 2000000000));
    local(customer(8, "above the bound", 1, 0));
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 120, \"U\", \"CUSTOMER\")");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (1, 50, \"U\", \"CUSTOMER\")");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 5002, \"U\", \"CUSTOMER\")");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 5003, \"D\", \"CUSTOMER\")");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 90, \"D\", \"CUSTOMER\")");
    synchro(customer(99, "left from an earlier fill", 0, 1));

    synchro::FillReport report;
    const Outcome o = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui, &report);
    ASSERT_TRUE(o.isDone()) << o.message();

    EXPECT_EQ(synchroRows(kSentRows),
              (std::vector<std::string>{"2|0|120", "3|1|50", "5|0|5001", "6|0|5002", "7|0|2000000000"}));
    // Nothing pruned: the whole journal travels and stays.
    const std::vector<std::string> journal{"0|90|D", "0|120|U", "0|5002|U", "0|5003|D", "1|50|U"};
    EXPECT_EQ(synchroRows(kJournal), journal);
    EXPECT_EQ(localRows(kJournal), journal);
    EXPECT_EQ(report.journalEntries, 5);
    ASSERT_EQ(report.tables.size(), 1u);
    EXPECT_EQ(report.tables[0].rows, 5);

    // The new mark is dated to the second.
    EXPECT_EQ(synchroRows("select SYNCHRONUMBER, iif(SYNCHRODATE > 'today', 'today', 'before'), R$CODE1, R$CODE2 from R$SYNCHRO"),
              (std::vector<std::string>{"3|before|0|5000", "4|today|0|5011"}));
    EXPECT_EQ(localRows("select SYNCHRONUMBER, R$CODE1, R$CODE2 from R$SYNCHRO where SYNCHRONUMBER = 4"),
              (std::vector<std::string>{"4|0|5011"}));
    // Done, and said only by its outcome: the window enables "Success" from it.
    EXPECT_TRUE(ui.messages.empty());

    // The trace holds the last table's statement, lines ended by CR LF.
    std::ifstream trace("sss.txt", std::ios::binary);
    std::stringstream text;
    text << trace.rdbuf();
    EXPECT_EQ(text.str().rfind("select * from CUSTOMER\r\n", 0), 0u);
    struct stat st {};
    ASSERT_EQ(::stat("sss.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the operator's alone";

    // A link planted where the trace goes is not followed.
    const std::string victim = ws.path("victim.txt");
    std::ofstream(victim) << "kept";
    std::filesystem::remove("sss.txt");
    std::filesystem::create_symlink(victim, "sss.txt");
    ui.confirmAnswers.push_back(true);
    EXPECT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    std::filesystem::remove("sss.txt");
    std::ifstream kept(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
}

// A row changed twice here has two entries; one passed on from a clone may
// stand beside one of this site's own. One entry per row and operation
// travels: this site's own before a passed-on one, then the newest fill's,
// then the one made having seen the most.
TEST_F(ExchangeTest, FillSendsTheLatestJournalEntryOfEachRowAndOperation) {
    makeDatabases({});
    local("update R$PEERS set ACKNOWLEDGED = 1");  // fills 2 and 3 are not read yet
    const char* const entry =
        "insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME, ORIGIN, FIRSTFILL, SEEN) values ";
    for (const char* values : {"(0, 120, 'U', 'CUSTOMER', 2, 3, 7)", "(0, 120, 'U', 'CUSTOMER', null, 3, 1)",
                               "(0, 130, 'U', 'CUSTOMER', null, 3, 9)", "(0, 130, 'U', 'CUSTOMER', null, null, 1)",
                               "(0, 140, 'D', 'CUSTOMER', null, 3, 2)", "(0, 140, 'D', 'CUSTOMER', null, 3, 5)",
                               "(0, 140, 'U', 'CUSTOMER', 1, 2, 1)"})
        local(std::string(entry) + values);

    synchro::FillReport report;
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui, &report).isDone());
    EXPECT_EQ(synchroRows("select R$CODE1, R$CODE2, OPERATION, ORIGIN, FIRSTFILL, SEEN from R$DELETEDUPDATED"
                          " order by 1, 2, 3"),
              (std::vector<std::string>{"0|120|U|0|3|1", "0|130|U|0|4|1", "0|140|D|0|3|5", "0|140|U|1|2|1"}));
    EXPECT_EQ(report.journalEntries, 4);
}

// Until the peer has read a fill, the next one sends it all again; once it
// has, only what is newer, and the journal entries it has read are gone.
TEST_F(ExchangeTest, ASecondFillSendsAgainWhatThePeerHasNotAcknowledged) {
    makeDatabases({});
    local(customer(1, "new", 0, 5001));
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 7, \"D\", \"CUSTOMER\")");
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    local(customer(2, "after the first fill", 0, 5020));
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    EXPECT_EQ(synchroRows(kSentRows), (std::vector<std::string>{"1|0|5001", "2|0|5020"}));
    EXPECT_EQ(synchroRows(kJournal), (std::vector<std::string>{"0|7|D"}));
    EXPECT_EQ(synchroRows("select FIRSTFILL, ORIGIN from R$DELETEDUPDATED"), (std::vector<std::string>{"4|0"}));
    EXPECT_EQ(synchroRows("select SITENAME, FILLNUMBER from R$SENDER"), (std::vector<std::string>{"MASTER|5"}));
    EXPECT_EQ(synchroRows("select SITENUMBER, FILLNUMBER from R$ACKNOWLEDGED"), (std::vector<std::string>{"1|0"}));

    local("update R$PEERS set ACKNOWLEDGED = 4");
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    EXPECT_EQ(synchroRows(kSentRows), (std::vector<std::string>{"2|0|5020"}));
    EXPECT_TRUE(synchroRows(kJournal).empty());
    EXPECT_TRUE(localRows(kJournal).empty());
}

// A site whose codes are used up can insert no row: the fill says so, and
// from 90 % of its range on it warns.
TEST_F(ExchangeTest, FillWarnsNamingTheSiteWhoseCodesAreUsedUp) {
    const std::string warning =
        "Warning: the record codes of WEST are used up: its range ends at (1, 1000000000) and its code generator "
        "stands at (2, 3). No row can be inserted there any more; a row an earlier version gave a code beyond the "
        "end is never sent by a fill.";
    struct Case {
        long gen1, gen2;
        std::vector<std::string> messages;
    };
    const std::string nearTheEnd =
        "Warning: 98% of the record codes of WEST are used: its range ends at (1, 1000000000) and its code "
        "generator stands at (1, 950000000). When they are used up, no row can be inserted there: make the clone "
        "again with a new range before (delete-clone, make-clone).";
    for (const Case& c : {Case{0, 5010, {}}, Case{1, 950000000, {nearTheEnd}}, Case{2, 3, {warning}}}) {
        makeDatabases({"WEST", 1, 1000000000, 1, 5000, c.gen1, c.gen2});
        ui.messages.clear();
        ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
        EXPECT_EQ(ui.messages, c.messages);
    }
}

TEST_F(ExchangeTest, FillRefusesWithAClearMessageAndChangesNothing) {
    struct Case {
        const char* what;
        std::string localExtra, synchroExtra;
        const char* message;
    };
    const Case cases[] = {
        {"no history", "delete from R$SYNCHRO; commit;", "", "No synchronization mark"},
        {"no identity", "update R$CLONE set ME = \"N\"; commit;", "", "no row of R$CLONE is marked ME"},
        {"a table missing in the synchro database",
         "CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, R$CODE1 INTEGER, R$CODE2 INTEGER);"
         "insert into R$TABLEORDER values (2, \"ITEM\"); commit;",
         "", "has no table ITEM"},
        {"a column missing in the synchro database", "ALTER TABLE CUSTOMER ADD CITY VARCHAR(20); commit;", "",
         "has no column CITY"},
        {"a row inserted while the triggers were off", "insert into CUSTOMER (ID, NAME) values (9, \"uncoded\"); commit;",
         "", "1 row of CUSTOMER has no record code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui = FakeFrontend();
        makeDatabases({}, c.localExtra, c.synchroExtra);
        local(customer(1, "new", 0, 5001));
        synchro(customer(42, "still there", 0, 1));
        const auto history = localRows("select * from R$SYNCHRO");
        const Outcome o = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
        EXPECT_EQ(o.kind(), Outcome::Kind::Refused);
        EXPECT_NE(o.message().find(c.message), std::string::npos) << o.message();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], o.message());
        EXPECT_EQ(synchroRows(kSentRows), (std::vector<std::string>{"42|0|1"}));
        EXPECT_EQ(localRows("select * from R$SYNCHRO"), history);
    }
}

// The synchro database refuses its last commit: the local history must not
// move, or the rows created since the last fill would never be sent again.
// A synchro database with code in it is refused, so a check constraint on
// its history table refuses the fill's last rows.
TEST_F(ExchangeTest, FillRefusedByTheSynchroDatabaseLeavesTheLocalHistoryAsItWas) {
    makeDatabases({}, "",
                  "CREATE TABLE FAIL_COMMIT (X INTEGER);\n"
                  "ALTER TABLE R$SYNCHRO ADD CONSTRAINT REFUSE_HISTORY CHECK (NOT EXISTS (SELECT * FROM FAIL_COMMIT));\n"
                  "insert into FAIL_COMMIT values (1); commit;\n");
    local(customer(1, "new", 0, 5001));
    const auto history = localRows("select * from R$SYNCHRO");

    const Outcome failed = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
    EXPECT_EQ(failed.kind(), Outcome::Kind::Failed);
    EXPECT_NE(failed.message().find("REFUSE_HISTORY"), std::string::npos) << failed.message();
    EXPECT_EQ(localRows("select * from R$SYNCHRO"), history);

    synchro("delete from FAIL_COMMIT");
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    EXPECT_EQ(synchroRows(kSentRows), (std::vector<std::string>{"1|0|5001"}));
}

// A site made before convert-ddl ran at the master has no table order: the
// fill takes it from the database's own foreign keys, says so, and sends
// the rows.
TEST_F(ExchangeTest, AnEmptyTableOrderIsTakenFromTheForeignKeysAndTheRowsGo) {
    makeDatabases({}, "delete from R$TABLEORDER; commit;");
    local(customer(1, "new", 0, 5001));
    synchro::FillReport report;
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui, &report).isDone());
    EXPECT_EQ(synchroRows(kSentRows), (std::vector<std::string>{"1|0|5001"}));
    EXPECT_EQ(localRows("select TABLENAME from R$TABLEORDER"), std::vector<std::string>{"CUSTOMER"});
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.front().find("no table order"), std::string::npos) << ui.messages.front();
}

}  // namespace quorvel::test

// A database armed by an earlier version gets what the exchange between many
// sites needs without being armed again: its journal triggers, compiled
// against a journal of four columns, go on journaling after the columns are
// added, leaving the new ones NULL (made here, not sent yet).
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "replica/Acknowledgements.h"
#include "support/Rows.h"
#include "support/Workspace.h"

namespace quorvel::test {

TEST(EarlierArmingTest, ItsJournalTriggersGoOnJournalingOnceTheExchangeObjectsAreAdded) {
    Workspace ws;
    ws.createDatabase("Earlier", R"(
CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY, NUMBER INTEGER, MAXVALUE1 INTEGER, MAXVALUE2 INTEGER,
ME CHAR(1));
create table R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE, R$CODE1 INTEGER, R$CODE2 INTEGER);
CREATE TABLE R$DELETEDUPDATED (R$CODE1 INTEGER NOT NULL, R$CODE2 INTEGER NOT NULL, OPERATION CHAR(1) NOT NULL,
TABLENAME CHAR(31), PRIMARY KEY (R$CODE1, R$CODE2, OPERATION));
CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10), R$CODE1 INTEGER, R$CODE2 INTEGER);
SET TERM ^ ;
CREATE TRIGGER R$3 FOR T AFTER UPDATE AS
begin
  insert into R$DELETEDUPDATED values (old.R$Code1, old.R$Code2, "U", "T");
end ^
SET TERM ; ^
insert into R$CLONE values ("MASTER", 0, 0, 2000000000, "Y");
insert into R$SYNCHRO values (0, "2026-01-01", 0, 10);
insert into T values (1, "a", 0, 5);
commit;
)");
    engine::Database db("Earlier");
    Workspace::connect(db, "Earlier");
    ASSERT_FALSE(replica::hasExchangeObjects(db));
    replica::addExchangeObjects(db);
    EXPECT_TRUE(replica::hasExchangeObjects(db));
    replica::addExchangeObjects(db);  // a second time finds them all

    db.execute("update T set V = 'b' where ID = 1");
    EXPECT_EQ(rowsOf(db, "select R$CODE1, R$CODE2, OPERATION, ORIGIN, FIRSTFILL, SEEN from R$DELETEDUPDATED"),
              (std::vector<std::string>{"0|5|U|<null>|<null>|<null>"}));
    EXPECT_EQ(replica::lastFillNumber(db), 0);
    EXPECT_EQ(replica::drawFillNumber(db), 1);
    EXPECT_EQ(replica::drawFillNumber(db), 2);
}

}  // namespace quorvel::test

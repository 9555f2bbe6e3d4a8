// Tables opened by name: key lookup, appending, editing, removing, and what
// a failing post leaves behind.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

const char* kSchema = R"(
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL, NAME VARCHAR(40), NOTE BLOB SUB_TYPE TEXT,
  DOUBLED COMPUTED BY (ID * 2), R$CODE1 INTEGER, PRIMARY KEY (ID));
CREATE TABLE PROD (CODE CHAR(10) NOT NULL, LINE INTEGER NOT NULL, TITLE VARCHAR(30),
  CONSTRAINT PK_PROD PRIMARY KEY (CODE, LINE));
CREATE TABLE LOOSE (A INTEGER, B VARCHAR(10));
INSERT INTO CUSTOMER (ID, NAME, NOTE) VALUES (1, 'Ann', 'first note');
INSERT INTO CUSTOMER (ID, NAME) VALUES (2, 'Bob');
INSERT INTO PROD VALUES ('X', 1, 'x one');
INSERT INTO PROD VALUES ('X', 2, 'x two');
INSERT INTO PROD VALUES ('Y', 1, 'y one');
INSERT INTO LOOSE VALUES (1, 'a');
INSERT INTO LOOSE VALUES (1, 'a');
COMMIT;
)";

int64_t count(Database& db, const std::string& where) {
    Query q(db);
    q.setSql("select count(*) from " + where);
    q.open();
    return q.field(0).asInteger();
}

struct Fixture : ::testing::Test {
    Workspace ws;
    Database db{"UserDB"};
    void SetUp() override {
        ws.createDatabase("TT", kSchema);
        Workspace::connect(db, "TT");
    }
};

using TableTest = Fixture;

}  // namespace

TEST_F(TableTest, OpensWithColumnsKeyAndNoRowsFetched) {
    Table t(db);
    t.setTableName("customer");
    t.open();
    EXPECT_EQ(t.fetchedCount(), 0);
    EXPECT_EQ(t.fieldNames(), (std::vector<std::string>{"ID", "NAME", "NOTE", "DOUBLED", "R$CODE1"}));
    EXPECT_TRUE(t.fieldByName("DOUBLED").isComputed());
    EXPECT_FALSE(t.fieldByName("NAME").isComputed());
    EXPECT_EQ(t.primaryKeyFields(), "ID");
    EXPECT_TRUE(t.canModify());
    // Browsing starts on first use, in key order.
    EXPECT_EQ(t.field(1).asString(), "Ann");
    t.next();
    EXPECT_EQ(t.field(0).asInteger(), 2);
    EXPECT_EQ(t.fieldByName("DOUBLED").asInteger(), 4);

    Table p(db);
    p.setTableName("PROD");
    p.open();
    EXPECT_EQ(p.primaryKeyFields(), "CODE;LINE");
    Table l(db);
    l.setTableName("LOOSE");
    l.open();
    EXPECT_EQ(l.primaryKeyFields(), "");
    EXPECT_EQ(l.fieldCount(), 2);  // RDB$DB_KEY stays hidden
}

TEST_F(TableTest, LocatesBySingleAndCompositeKeys) {
    Table t(db);
    t.setTableName("CUSTOMER");
    t.open();
    EXPECT_TRUE(t.locate("ID", Value{int64_t{2}}));
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Bob");
    EXPECT_FALSE(t.locate("ID", Value{int64_t{3}}));
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Bob");  // unchanged
    EXPECT_TRUE(t.locate("ID", Value{std::string("1")}));
    EXPECT_EQ(t.fieldByName("NOTE").asString(), "first note");
    EXPECT_FALSE(t.locate("ID", Value{Null{}}));
    EXPECT_THROW(t.locate("NOPE", Value{int64_t{1}}), DbError);

    Table p(db);
    p.setTableName("PROD");
    p.open();
    EXPECT_TRUE(p.locate("CODE;LINE", {Value{std::string("X")}, Value{int64_t{2}}}));
    EXPECT_EQ(p.fieldByName("TITLE").asString(), "x two");
    EXPECT_TRUE(p.locate("CODE;LINE", {Value{std::string("Y")}, Value{1.0}}));
    EXPECT_EQ(p.fieldByName("TITLE").asString(), "y one");
    // Exact, whole values only.
    EXPECT_FALSE(p.locate("CODE;LINE", {Value{std::string("x")}, Value{int64_t{1}}}));
    EXPECT_FALSE(p.locate("CODE;LINE", {Value{std::string("Y ONE TOO LONG FOR THE KEY")}, Value{int64_t{1}}}));
    EXPECT_THROW(p.locate("CODE;LINE", Value{std::string("X")}), DbError);
}

TEST_F(TableTest, AppendsEditsCancelsAndRemoves) {
    Table t(db);
    t.setTableName("CUSTOMER");
    t.open();
    t.append();
    EXPECT_EQ(t.state(), DataSetState::Insert);
    EXPECT_TRUE(t.fieldByName("NAME").isNull());
    t.fieldByName("ID").setInteger(10);
    t.fieldByName("NAME").setString("Cid");
    t.fieldByName("NOTE").setString(std::string(100000, 'n'));
    t.post();
    EXPECT_EQ(t.state(), DataSetState::Browse);
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Cid");
    EXPECT_EQ(count(db, "CUSTOMER where ID = 10 and char_length(NOTE) = 100000"), 1);

    ASSERT_TRUE(t.locate("ID", Value{int64_t{1}}));
    t.edit();
    t.fieldByName("NAME").setString("Anna");
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Anna");
    t.cancel();
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Ann");
    t.edit();
    t.fieldByName("NAME").setString("Anna");
    t.fieldByName("R$CODE1").setString("77");
    t.post();
    EXPECT_EQ(count(db, "CUSTOMER where ID = 1 and NAME = 'Anna' and R$CODE1 = 77 and NOTE = 'first note'"), 1);

    // Writing outside edit state is refused.
    EXPECT_THROW(t.fieldByName("NAME").setString("x"), DbError);

    ASSERT_TRUE(t.locate("ID", Value{int64_t{2}}));
    t.remove();
    EXPECT_EQ(count(db, "CUSTOMER"), 2);

    // Browsing and editing rows of the browse cursor.
    t.first();
    EXPECT_EQ(t.field(0).asInteger(), 1);
    t.next();
    EXPECT_EQ(t.field(0).asInteger(), 10);
    t.edit();
    t.fieldByName("ID").setInteger(11);  // the key itself changes
    t.post();
    EXPECT_EQ(count(db, "CUSTOMER where ID = 11"), 1);
    EXPECT_EQ(count(db, "CUSTOMER where ID = 10"), 0);
    t.remove();
    EXPECT_EQ(count(db, "CUSTOMER"), 1);
    EXPECT_EQ(t.field(0).asInteger(), 1);
}

TEST_F(TableTest, EveryGetterSeesTheNewTextOfABlobBeingEdited) {
    Table t(db);
    t.setTableName("CUSTOMER");
    t.open();
    for (int64_t id : {1, 2}) {  // a BLOB with text before, and a NULL one
        ASSERT_TRUE(t.locate("ID", Value{id}));
        t.edit();
        Field& note = t.fieldByName("NOTE");
        note.setString("2.5");
        EXPECT_EQ(note.asString(), "2.5");
        EXPECT_DOUBLE_EQ(note.asDouble(), 2.5) << "row " << id;
        EXPECT_EQ(std::get<std::string>(note.asValue()), "2.5");
        note.setString("42");
        EXPECT_EQ(note.asInteger(), 42);
        EXPECT_DOUBLE_EQ(note.asDouble(), 42.0) << "row " << id;
        note.setString("many");
        EXPECT_THROW(note.asDouble(), DbError);
        t.cancel();
    }
}

TEST_F(TableTest, FailingPostKeepsTheInsertState) {
    Table t(db);
    t.setTableName("CUSTOMER");
    t.open();
    t.append();
    t.fieldByName("ID").setInteger(1);
    t.fieldByName("NAME").setString("dup");
    try {
        t.post();
        FAIL();
    } catch (const DbError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find("violation of PRIMARY or UNIQUE KEY constraint"), std::string::npos) << m;
        EXPECT_NE(m.find("CUSTOMER"), std::string::npos) << m;
    }
    EXPECT_EQ(t.state(), DataSetState::Insert);
    EXPECT_EQ(t.fieldByName("NAME").asString(), "dup");
    t.fieldByName("ID").setInteger(5);
    t.post();
    EXPECT_EQ(count(db, "CUSTOMER where ID = 5 and NAME = 'dup'"), 1);
}

TEST_F(TableTest, RowsWithoutKeyAreFoundByDbKey) {
    Table t(db);
    t.setTableName("LOOSE");
    t.open();
    t.first();
    t.edit();
    t.fieldByName("B").setString("changed");
    t.post();
    EXPECT_EQ(count(db, "LOOSE where B = 'changed'"), 1);
    EXPECT_EQ(count(db, "LOOSE where B = 'a'"), 1);
    t.next();
    t.remove();
    EXPECT_EQ(count(db, "LOOSE"), 1);
}

TEST_F(TableTest, WorksInsideAnExplicitTransaction) {
    Table t(db);
    t.setTableName("PROD");
    t.open();
    db.startTransaction();
    t.append();
    t.fieldByName("CODE").setString("Z");
    t.fieldByName("LINE").setInteger(9);
    t.post();
    EXPECT_TRUE(t.locate("CODE;LINE", {Value{std::string("Z")}, Value{int64_t{9}}}));
    db.rollback();
    EXPECT_EQ(count(db, "PROD where CODE = 'Z'"), 0);
    EXPECT_FALSE(t.locate("CODE;LINE", {Value{std::string("Z")}, Value{int64_t{9}}}));
}

TEST_F(TableTest, LocatedRowBecomesCurrentInTheBrowsedList) {
    Table t(db);
    t.setTableName("PROD");
    t.open();
    EXPECT_EQ(t.fetchMore(10), 3);
    ASSERT_TRUE(t.locate("CODE;LINE", {Value{std::string("Y")}, Value{int64_t{1}}}));
    EXPECT_EQ(t.currentRow(), 2);
    t.prior();
    EXPECT_EQ(t.fieldByName("TITLE").asString(), "x two");
}

TEST_F(TableTest, UnknownTableFailsWithTheServerText) {
    Table t(db);
    t.setTableName("NO_SUCH");
    try {
        t.open();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Table unknown\n-NO_SUCH"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(t.active());
}

TEST_F(TableTest, CalculatedFieldSeesTheRowBeingComputed) {
    Table t(db);
    t.setTableName("CUSTOMER");
    t.addCalculatedField("TAG", [](DataSet& ds, int row) -> Value {
        std::string name = ds.fieldByName("NAME").asString();
        return name + "/" + ds.displayText(row, 0);
    });
    t.open();
    ASSERT_TRUE(t.locate("ID", Value{int64_t{2}}));
    EXPECT_EQ(t.fieldByName("TAG").asString(), "Bob/2");
    t.first();
    EXPECT_EQ(t.fieldByName("TAG").asString(), "Ann/1");
    t.next();
    EXPECT_EQ(t.fieldByName("TAG").asString(), "Bob/2");
}

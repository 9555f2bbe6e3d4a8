// Queries on real dialect-1 databases: opening, reading fields, navigation,
// the colon rule against the server, dialect 1 literals.
#include <gtest/gtest.h>

#include "support/Workspace.h"
#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"

using namespace quorvel;
using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

const char* kSchema = R"(
CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(20), CODE CHAR(10), AMOUNT NUMERIC(15, 2),
  SMALLAMT NUMERIC(9, 3), RATE DOUBLE PRECISION, D DATE, ME CHAR(1), PRIMARY KEY (ID));
INSERT INTO T VALUES (1, 'one', 'A', 12.5, 1.25, 0.1, '2026-12-07 10:11:12', 'Y');
INSERT INTO T VALUES (2, 'two', 'BB  ', -3.05, -0.5, 2.5, '2026-01-02', 'N');
INSERT INTO T VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, 'Y');
COMMIT;
)";

}  // namespace

TEST(QueryBasics, ReadsFieldsAsTextIntegerAndValue) {
    Workspace ws;
    ws.createDatabase("Q", kSchema);
    Database db("UserDB");
    Workspace::connect(db, "Q");
    Query q(db);
    q.setSql("select * from T order by ID");
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.fieldCount(), 8);
    EXPECT_EQ(q.fieldByName("name").asString(), "one");
    EXPECT_EQ(q.fieldByName("CODE").asString(), "A");
    EXPECT_EQ(q.fieldByName("AMOUNT").asString(), "12.50");
    EXPECT_EQ(q.fieldByName("SMALLAMT").asString(), "1.250");
    EXPECT_EQ(q.fieldByName("RATE").asString(), "0.1");
    EXPECT_EQ(q.fieldByName("D").asString(), "2026-12-07 10:11:12");
    EXPECT_EQ(q.fieldByName("D").type(), FieldType::Timestamp);
    EXPECT_EQ(q.field(0).asInteger(), 1);
    EXPECT_EQ(std::get<int64_t>(q.field(0).asValue()), 1);
    q.next();
    EXPECT_EQ(q.fieldByName("CODE").asString(), "BB");
    EXPECT_EQ(q.fieldByName("AMOUNT").asString(), "-3.05");
    EXPECT_EQ(q.fieldByName("SMALLAMT").asString(), "-0.500");
    EXPECT_EQ(q.fieldByName("D").asString(), "2026-01-02 00:00:00");
    q.next();
    EXPECT_TRUE(q.fieldByName("NAME").isNull());
    EXPECT_EQ(q.fieldByName("NAME").asString(), "");
    EXPECT_EQ(q.fieldByName("AMOUNT").asInteger(), 0);
    EXPECT_TRUE(isNull(q.fieldByName("AMOUNT").asValue()));
    EXPECT_FALSE(q.eof());
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 3);
    EXPECT_EQ(q.recordCount(), 3);
}

TEST(QueryBasics, DoubleQuotedLiteralIsAStringInDialect1) {
    Workspace ws;
    ws.createDatabase("Q", kSchema);
    Database db("UserDB");
    Workspace::connect(db, "Q");
    Query q(db);
    q.setSql("select count(*) from T where ME = \"Y\"");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 2);
}

TEST(QueryBasics, PreparedStatementRunsAgainWithChangingValues) {
    Workspace ws;
    ws.createDatabase("Q", "CREATE TABLE P (ID INTEGER, S VARCHAR(200), N NUMERIC(9,2));\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "Q");
    Query ins(db);
    ins.setSql("insert into P values (:ID, :S, :N)");
    ins.prepare();
    const std::string longText(150, 'L');
    struct Row { Value id, s, n; };
    const Row rows[] = {{int64_t{1}, std::string("short"), 1.25},
                        {int64_t{2}, longText, std::string("2.50")},
                        {std::string("3"), Null{}, int64_t{3}},
                        {int64_t{4}, std::string(""), Null{}}};
    for (const auto& r : rows) {
        ins.setParam("ID", r.id);
        ins.setParam("S", r.s);
        ins.setParam("N", r.n);
        ins.execSql();
        EXPECT_EQ(ins.rowsAffected(), 1);
    }
    Query q(db);
    q.setSql("select ID, S, N from P order by ID");
    q.open();
    std::vector<std::string> got;
    for (; !q.eof(); q.next())
        got.push_back(q.field(0).asString() + "|" + (q.field(1).isNull() ? "<null>" : q.field(1).asString()) + "|" +
                      q.field(2).asString());
    EXPECT_EQ(got, (std::vector<std::string>{"1|short|1.25", "2|" + longText + "|2.50", "3|<null>|3.00", "4||"}));
}

TEST(QueryBasics, TextParameterFillsABlobColumn) {
    Workspace ws;
    ws.createDatabase("Q", "CREATE TABLE B (ID INTEGER, NOTE BLOB SUB_TYPE TEXT);\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "Q");
    const std::string big(70000, 'z');
    Query ins(db);
    ins.setSql("insert into B values (:ID, :NOTE)");
    ins.setParam("ID", int64_t{1});
    ins.setParam("NOTE", big);
    ins.execSql();
    Query q(db);
    q.setSql("select NOTE from B where ID = :ID");
    q.setParam("ID", int64_t{1});
    q.open();
    EXPECT_EQ(q.field(0).asString(), big);
}

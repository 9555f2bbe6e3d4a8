// Copying values between data sets of different databases, the way record
// transfer does it: fields paired by position, NULLs kept, BLOBs whole.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

const char* kTable =
    "CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(40), CODE CHAR(8), AMOUNT NUMERIC(15,2), "
    "SMALLAMT NUMERIC(9,2), RATE DOUBLE PRECISION, D DATE, NOTE BLOB SUB_TYPE TEXT, BIN BLOB, "
    "R$CODE1 INTEGER, R$CODE2 INTEGER, PRIMARY KEY (ID));\n";

void copyRow(DataSet& from, DataSet& to) {
    for (int i = 0; i < from.fieldCount(); ++i) to.field(i).assign(from.field(i));
}

}  // namespace

TEST(Assign, CopiesRowsBetweenDatabasesKeepingNullsAndBlobs) {
    Workspace ws;
    std::string big(200000, 'b');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>('a' + i % 26);
    ws.createDatabase("SRC", std::string(kTable) +
                                 "INSERT INTO T VALUES (1, 'one', 'c1', 1234567.89, 12.5, 0.1, '2026-12-07 08:09:10', "
                                 "'short note', NULL, 5, 6);\n"
                                 "INSERT INTO T (ID) VALUES (2);\nCOMMIT;");
    ws.createDatabase("DST", kTable);
    Database src("UserDB"), dst("SynchroDB");
    Workspace::connect(src, "SRC");
    Workspace::connect(dst, "DST");
    {
        Table t(src);
        t.setTableName("T");
        t.open();
        ASSERT_TRUE(t.locate("ID", Value{int64_t{1}}));
        t.edit();
        t.fieldByName("BIN").setString(big);
        t.post();
    }

    src.startTransaction();
    dst.startTransaction();
    Query source(src);
    source.setSql("select * from T order by ID");
    source.open();
    Table target(dst);
    target.setTableName("T");
    target.open();
    for (source.first(); !source.eof(); source.next()) {
        target.append();
        copyRow(source, target);
        target.post();
    }
    dst.commit();
    src.commit();

    Query check(dst);
    check.setSql("select * from T order by ID");
    check.open();
    EXPECT_EQ(check.fieldByName("NAME").asString(), "one");
    EXPECT_EQ(check.fieldByName("CODE").asString(), "c1");
    EXPECT_EQ(check.fieldByName("AMOUNT").asString(), "1234567.89");
    EXPECT_EQ(check.fieldByName("SMALLAMT").asString(), "12.50");
    EXPECT_EQ(check.fieldByName("RATE").asString(), "0.1");
    EXPECT_EQ(check.fieldByName("D").asString(), "2026-12-07 08:09:10");
    EXPECT_EQ(check.fieldByName("NOTE").asString(), "short note");
    EXPECT_EQ(check.fieldByName("BIN").asString(), big);
    EXPECT_EQ(check.fieldByName("R$CODE2").asInteger(), 6);
    check.next();
    EXPECT_EQ(check.field(0).asInteger(), 2);
    for (int i = 1; i < check.fieldCount(); ++i) EXPECT_TRUE(check.field(i).isNull()) << check.field(i).name();
    check.close();

    // Overwriting found rows by key, NULLs included.
    src.execute("update T set NAME = NULL, NOTE = 'new note', AMOUNT = -1 where ID = 1");
    source.close();
    source.open();
    dst.startTransaction();
    target.close();
    target.open();
    for (source.first(); !source.eof(); source.next()) {
        ASSERT_TRUE(target.locate(target.primaryKeyFields(), source.fieldByName("ID").asValue()));
        target.edit();
        copyRow(source, target);
        target.post();
    }
    dst.commit();
    check.open();
    EXPECT_TRUE(check.fieldByName("NAME").isNull());
    EXPECT_EQ(check.fieldByName("NOTE").asString(), "new note");
    EXPECT_EQ(check.fieldByName("AMOUNT").asString(), "-1.00");
    EXPECT_EQ(check.fieldByName("BIN").asString(), big);
}

TEST(Assign, ConvertsBetweenDifferentColumnTypes) {
    Workspace ws;
    ws.createDatabase("A", "CREATE TABLE S (I INTEGER, N NUMERIC(9,2), T VARCHAR(20), D DATE, B BLOB SUB_TYPE TEXT);\n"
                           "CREATE TABLE T (I VARCHAR(20), N NUMERIC(15,3), T INTEGER, D VARCHAR(30), B VARCHAR(50));\n"
                           "INSERT INTO S VALUES (42, 2.25, ' 17 ', '2026-05-06', 'text of blob');\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "A");
    Query s(db);
    s.setSql("select * from S");
    s.open();
    Table t(db);
    t.setTableName("T");
    t.open();
    t.append();
    copyRow(s, t);
    t.post();
    Query c(db);
    c.setSql("select * from T");
    c.open();
    EXPECT_EQ(c.field(0).asString(), "42");
    EXPECT_EQ(c.field(1).asString(), "2.250");
    EXPECT_EQ(c.field(2).asInteger(), 17);
    EXPECT_EQ(c.field(3).asString(), "2026-05-06 00:00:00");
    EXPECT_EQ(c.field(4).asString(), "text of blob");

    // Text that is no number fails with a message, as integers read do.
    Query bad(db);
    bad.setSql("select 'abc' from RDB$DATABASE");
    bad.open();
    t.append();
    EXPECT_THROW(t.field(2).assign(bad.field(0)), DbError);
    EXPECT_THROW(bad.field(0).asInteger(), DbError);
    t.field(1).setString("12.3456");
    EXPECT_EQ(t.field(1).asString(), "12.346");
    EXPECT_THROW(t.field(0).setString(std::string(21, 'x')), DbError);
    t.cancel();
}

// Exact numbers move between any two exact columns rescaled, never through a
// double: digits that do not fit are an error, not a silent rounding.
TEST(Assign, ExactNumbersMoveBetweenWidthsAndScalesWithoutLoss) {
    Workspace ws;
    const std::string path = ws.createDatabase(
        "E", "CREATE TABLE S (ID INTEGER NOT NULL PRIMARY KEY, N92 NUMERIC(9,2), N42 NUMERIC(4,2), I INTEGER,"
             " D152 NUMERIC(15,2));\nCREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, N92 NUMERIC(9,2),"
             " N42 NUMERIC(4,2), I INTEGER, D152 NUMERIC(15,2), S VARCHAR(30));\nCOMMIT;");
    Workspace::runInDialect3(path, "ALTER TABLE S ADD N182 NUMERIC(18,2), ADD N184 NUMERIC(18,4), ADD BI BIGINT;\n"
                                   "ALTER TABLE T ADD N182 NUMERIC(18,2), ADD N184 NUMERIC(18,4), ADD BI BIGINT;\n"
                                   "COMMIT;\nINSERT INTO S VALUES (1, 7.25, -0.05, 42, 1234567.89,"
                                   " 1234567890123456.78, 1.5, 123456789012345678);\n"
                                   "INSERT INTO S VALUES (2, 1.99, 1.00, 7, 0.1, 1.1, 12345.6789, 9);\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "E");
    struct Case {
        int row;
        const char *from, *to;
        const char* expected;  // nullptr: refused
    };
    const Case cases[] = {
        {1, "N92", "N182", "7.25"},   {1, "N92", "N184", "7.2500"},  {1, "N42", "N182", "-0.05"},
        {1, "N184", "N92", "1.50"},   {1, "I", "N182", "42.00"},     {1, "BI", "N184", nullptr},
        {1, "N182", "BI", nullptr},   {1, "N182", "N92", nullptr},   {1, "N182", "S", "1234567890123456.78"},
        {1, "D152", "N182", "1234567.89"}, {1, "N92", "D152", "7.25"}, {2, "N184", "N92", nullptr},
        {2, "N42", "I", "1"},         {2, "N182", "N42", "1.10"},    {2, "N92", "I", nullptr},
    };
    Query s(db);
    s.setSql("select * from S order by ID");
    Table t(db);
    t.setTableName("T");
    t.open();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + " " + c.from + " -> " + c.to);
        s.close();
        s.open();
        if (c.row == 2) s.next();
        t.append();
        if (c.expected) {
            t.fieldByName(c.to).assign(s.fieldByName(c.from));
            EXPECT_EQ(t.fieldByName(c.to).asString(), c.expected);
            t.fieldByName(c.to).setValue(s.fieldByName(c.from).asValue());
            EXPECT_EQ(t.fieldByName(c.to).asString(), c.expected);
        } else {
            EXPECT_THROW(t.fieldByName(c.to).assign(s.fieldByName(c.from)), DbError);
            EXPECT_THROW(t.fieldByName(c.to).setValue(s.fieldByName(c.from).asValue()), DbError);
        }
        t.cancel();
    }
}

// Reading and writing the column types of a dialect-1 database.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

TEST(FieldTypes, ReadAndWriteEveryKindOfColumn) {
    Workspace ws;
    ws.createDatabase("F", "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, S SMALLINT, F FLOAT, B BOOLEAN,"
                           " BIN BLOB SUB_TYPE 0, D DATE, C CHAR(4), N NUMERIC(4,1));\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "F");
    Table t(db);
    t.setTableName("T");
    t.open();
    EXPECT_EQ(t.fieldByName("S").type(), FieldType::SmallInt);
    EXPECT_EQ(t.fieldByName("F").type(), FieldType::Float);
    EXPECT_EQ(t.fieldByName("B").type(), FieldType::Boolean);
    EXPECT_EQ(t.fieldByName("BIN").type(), FieldType::Blob);
    EXPECT_EQ(t.fieldByName("D").type(), FieldType::Timestamp);
    EXPECT_EQ(t.fieldByName("C").type(), FieldType::Char);
    EXPECT_EQ(t.fieldByName("N").type(), FieldType::Numeric);
    EXPECT_EQ(t.fieldByName("N").scale(), -1);

    const std::string bytes("\0\1\2\377 x", 6);
    const char* dates[] = {"2026-12-07 13:14:15", "07.12.2026 13:14:15", "12/07/2026 13:14:15"};
    int id = 0;
    for (const char* date : dates) {
        t.append();
        t.fieldByName("ID").setInteger(++id);
        t.fieldByName("S").setString("-12");
        t.fieldByName("F").setDouble(0.5);
        t.fieldByName("B").setString("true");
        t.fieldByName("BIN").setString(bytes);
        t.fieldByName("D").setString(date);
        t.fieldByName("C").setString("ab");
        t.fieldByName("N").setDouble(12.34);
        t.post();
    }
    Query q(db);
    q.setSql("select * from T order by ID");
    q.open();
    for (; !q.eof(); q.next()) {
        EXPECT_EQ(q.fieldByName("S").asInteger(), -12);
        EXPECT_EQ(q.fieldByName("F").asString(), "0.5");
        EXPECT_EQ(q.fieldByName("B").asString(), "True");
        EXPECT_EQ(q.fieldByName("BIN").asString(), bytes);
        EXPECT_EQ(q.fieldByName("D").asString(), "2026-12-07 13:14:15");
        EXPECT_EQ(q.fieldByName("C").asString(), "ab");
        EXPECT_EQ(q.fieldByName("N").asString(), "12.3");
        EXPECT_EQ(std::get<Scaled>(q.fieldByName("N").asValue()), (Scaled{123, -1}));
    }

    t.append();
    EXPECT_THROW(t.fieldByName("D").setString("31.02.2026"), DbError);
    EXPECT_THROW(t.fieldByName("S").setString("x1"), DbError);
    EXPECT_THROW(t.fieldByName("S").setInteger(100000), DbError);
    EXPECT_THROW(t.fieldByName("C").setString("too long"), DbError);
    t.cancel();
}

namespace {

// Timestamps with a fraction of a second and exact numbers too wide for a
// double, in the columns a dialect-1 database holds: DATE (a timestamp),
// TIME and NUMERIC(18,x) (BIGINT) made through dialect 3.
void makeExactTable(Workspace& ws, const std::string& alias) {
    const std::string path =
        ws.createDatabase(alias, "CREATE TABLE V (ID INTEGER NOT NULL PRIMARY KEY, TS DATE, N92 NUMERIC(9,2),"
                                 " N152 NUMERIC(15,2), S VARCHAR(30));\nCOMMIT;");
    Workspace::runInDialect3(path, "ALTER TABLE V ADD TM TIME, ADD N182 NUMERIC(18,2), ADD N184 NUMERIC(18,4),"
                                   " ADD N42 NUMERIC(4,2), ADD BI BIGINT;\nCOMMIT;\n"
                                   "INSERT INTO V VALUES (1, '2026-12-08 10:11:12.3456', 7.25, 1234567.89, 'x',"
                                   " '10:11:12.3456', 1234567890123456.78, 12345678901234.5678, 12.34,"
                                   " 123456789012345678);\n"
                                   "INSERT INTO V (ID, TS, N92, N182) VALUES (2, '2026-12-08 10:11:12', 7.26,"
                                   " 1234567890123456.79);\nCOMMIT;");
}

}  // namespace

// Each value reads back as the very value stored: shown with its fraction or
// all its digits, found again as a key, and bound as a parameter.
TEST(FieldTypes, FractionsOfSecondsAndWideExactNumbersAreKeptWhole) {
    Workspace ws;
    makeExactTable(ws, "X");
    Database db("UserDB");
    Workspace::connect(db, "X");
    struct Case {
        const char* column;
        const char* text;  // of row 1
    };
    const Case cases[] = {{"TS", "2026-12-08 10:11:12.3456"},
                          {"TM", "10:11:12.3456"},
                          {"N92", "7.25"},
                          {"N182", "1234567890123456.78"},
                          {"N184", "12345678901234.5678"},
                          {"N42", "12.34"},
                          {"BI", "123456789012345678"}};
    Query row(db);
    row.setSql("select * from V where ID = 1");
    row.open();
    Table t(db);
    t.setTableName("V");
    t.open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        const Field& f = row.fieldByName(c.column);
        EXPECT_EQ(f.asString(), c.text);
        EXPECT_EQ(valueToString(f.asValue()), c.text);
        // Found again by the value read and by the text shown (as typed).
        ASSERT_TRUE(t.locate(c.column, f.asValue()));
        EXPECT_EQ(t.fieldByName("ID").asInteger(), 1);
        t.first();
        ASSERT_TRUE(t.locate(c.column, Value{std::string(c.text)}));
        EXPECT_EQ(t.fieldByName("ID").asInteger(), 1);
        Query q(db);
        q.setSql(std::string("select ID from V where ") + c.column + " = :K");
        q.setParam("K", f.asValue());
        q.open();
        EXPECT_EQ(q.field(0).asInteger(), 1);
        q.close();
        q.setParam("K", Value{std::string(c.text)});
        q.open();
        EXPECT_EQ(q.field(0).asInteger(), 1);
    }
    EXPECT_EQ(t.fieldByName("TS").asString(), "2026-12-08 10:11:12.3456");
    ASSERT_TRUE(t.locate("ID", Value{int64_t{2}}));
    EXPECT_EQ(t.fieldByName("TS").asString(), "2026-12-08 10:11:12");  // whole seconds stay without fraction
    // A key with more decimals than the column matches nothing: rounded, it
    // would find row 2 (7.26).
    EXPECT_FALSE(t.locate("N92", Value{std::string("7.255")}));
    EXPECT_FALSE(t.locate("N92", Value{Scaled{72550, -4}}));
    EXPECT_FALSE(t.locate("N92", Value{7.255}));
    ASSERT_TRUE(t.locate("N92", Value{Scaled{72600, -4}}));
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 2);
}

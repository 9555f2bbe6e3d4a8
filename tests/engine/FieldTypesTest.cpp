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
        EXPECT_DOUBLE_EQ(std::get<double>(q.fieldByName("N").asValue()), 12.3);
    }

    t.append();
    EXPECT_THROW(t.fieldByName("D").setString("31.02.2026"), DbError);
    EXPECT_THROW(t.fieldByName("S").setString("x1"), DbError);
    EXPECT_THROW(t.fieldByName("S").setInteger(100000), DbError);
    EXPECT_THROW(t.fieldByName("C").setString("too long"), DbError);
    t.cancel();
}

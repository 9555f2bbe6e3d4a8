// Statements on a dialect-3 database: prepared in its dialect, exact 64-bit
// and date values, and quoted mixed-case names written and looked up exactly.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

TEST(Dialect3, QuoteIdentifierPerDialect) {
    const struct {
        int dialect;
        const char* name;
        const char* written;
    } cases[] = {
        {1, "ORDERS", "ORDERS"},
        {3, "ORDERS", "\"ORDERS\""},
        {3, "OrderLine", "\"OrderLine\""},
        {3, "QUOTE\"D", "\"QUOTE\"\"D\""},
        {3, "Unit price", "\"Unit price\""},
        {3, "R$CODE1", "R$CODE1"},
        {3, "R$Clone", "R$Clone"},
    };
    for (const auto& c : cases) EXPECT_EQ(quoteIdentifier(c.dialect, c.name), c.written) << c.name;
}

TEST(Dialect3, StatementsRunInTheDatabasesDialect) {
    Workspace ws;
    ws.createDatabase("D3",
                      "CREATE GENERATOR \"GenBig\";\n"
                      "CREATE TABLE \"OrderLine\" (\"Id\" BIGINT NOT NULL PRIMARY KEY, \"Unit price\" NUMERIC(18,4),"
                      " \"Day\" DATE, \"At\" TIME, \"Stamp\" TIMESTAMP, \"Ok\" BOOLEAN);\n"
                      "COMMIT;",
                      3);
    ws.createDatabase("D1");
    Database d1("UserDB"), db("UserDB");
    Workspace::connect(d1, "D1");
    EXPECT_EQ(d1.sqlDialect(), 1);
    Workspace::connect(db, "D3");
    ASSERT_EQ(db.sqlDialect(), 3);

    // In dialect 1 these are truncated to 32 bits, turned into a DOUBLE or refused.
    db.execute("set generator \"GenBig\" to 5000000000");
    Query q(db);
    q.setSql("select gen_id(\"GenBig\", 0), cast(9007199254740993 as bigint) + 0, current_date from RDB$DATABASE");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 5000000000LL);
    EXPECT_EQ(q.field(1).asInteger(), 9007199254740993LL);
    EXPECT_FALSE(q.field(2).isNull());
    q.close();

    Table t(db);
    t.setTableName("OrderLine");
    t.open();
    ASSERT_EQ(t.primaryKeyFields(), "Id");
    t.append();
    t.fieldByName("Id").setInteger(9223372036854775807LL);
    t.fieldByName("Unit price").setString("-922337203685477.5807");
    t.fieldByName("Day").setString("2026-12-07");
    t.fieldByName("At").setString("23:59:59.9999");
    t.fieldByName("Stamp").setString("2026-12-07 00:00:00.0001");
    t.fieldByName("Ok").setString("false");
    t.post();
    ASSERT_TRUE(t.locate("Id", Value{int64_t{9223372036854775807LL}}));
    t.edit();
    t.fieldByName("Ok").setString("true");
    t.post();
    t.close();

    q.setSql("select * from \"OrderLine\"");
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("Id").asInteger(), 9223372036854775807LL);
    EXPECT_EQ(q.fieldByName("Unit price").asString(), "-922337203685477.5807");
    EXPECT_EQ(q.fieldByName("Day").type(), FieldType::Date);
    EXPECT_EQ(q.fieldByName("Day").asString(), "2026-12-07");
    EXPECT_EQ(q.fieldByName("At").asString(), "23:59:59.9999");
    EXPECT_EQ(q.fieldByName("Stamp").asString(), "2026-12-07 00:00:00.0001");
    EXPECT_EQ(q.fieldByName("Ok").asString(), "True");
}

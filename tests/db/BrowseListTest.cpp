// Catalog lists left open behind the grids read in read-only transactions,
// which do not hold back the database's oldest active transaction (and with
// it the server's garbage collection) for as long as the window stays open.
#include <gtest/gtest.h>

#include "db/DM.h"
#include "engine/Query.h"
#include "engine/Transaction.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

int64_t number(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    return q.field(0).asInteger();
}

TEST(BrowseLists, OpenCatalogListsDoNotPinTheOldestActiveTransaction) {
    test::Workspace ws;
    ws.createDatabase("Db",
                      "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
                      "CREATE GENERATOR GEN_A;\nCOMMIT;\n");
    DM dm;
    test::Workspace::connect(dm.UserDB(), "Db");
    dm.QTables.open();
    dm.QColumns.open();  // the current table's columns
    dm.QGenerator.open();
    ASSERT_FALSE(dm.QTables.eof());
    ASSERT_FALSE(dm.QColumns.eof());

    engine::Database other("Other");
    test::Workspace::connect(other, "Db");
    const std::string theLists = " from MON$TRANSACTIONS where MON$ATTACHMENT_ID <> CURRENT_CONNECTION";
    ASSERT_GT(number(other, "select count(*)" + theLists), 0) << "the open lists hold no transaction";
    EXPECT_EQ(number(other, "select count(*)" + theLists + " and MON$READ_ONLY = 0"), 0);

    // Work goes on elsewhere; the oldest active transaction moves past the lists'.
    const int64_t listsTx = number(other, "select max(MON$TRANSACTION_ID)" + theLists);
    for (int i = 1; i <= 3; ++i) {
        engine::Transaction tx(other);
        other.execute("insert into CUSTOMER values (" + std::to_string(i) + ", 'c')");
        tx.commit();
    }
    EXPECT_GT(number(other, "select MON$OLDEST_ACTIVE from MON$DATABASE"), listsTx);

    // The lists still read.
    dm.QTables.last();
    EXPECT_EQ(dm.QTables.field(0).asString(), "CUSTOMER");
}

}  // namespace

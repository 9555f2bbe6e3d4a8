// Live queries: rows of one table edited and deleted through the result.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

int64_t scalar(Database& db, const std::string& sql) {
    Query q(db);
    q.setSql(sql);
    q.open();
    return q.field(0).asInteger();
}

}  // namespace

TEST(LiveQuery, EditsAndDeletesByPrimaryKeyOrDbKey) {
    Workspace ws;
    ws.createDatabase("L", "CREATE TABLE K (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10), TWICE COMPUTED BY (ID * 2));\n"
                           "CREATE TABLE N (A INTEGER, B VARCHAR(10));\n"
                           "INSERT INTO K (ID, NAME) VALUES (1, 'a');\nINSERT INTO K (ID, NAME) VALUES (2, 'b');\n"
                           "INSERT INTO N VALUES (1, 'x');\nINSERT INTO N VALUES (1, 'x');\nCOMMIT;");
    Database db("SynchroDB");
    Workspace::connect(db, "L");

    Query q(db);
    q.setSql("select * from K where ID > 0 order by ID");
    EXPECT_FALSE(q.live());
    q.open();
    EXPECT_FALSE(q.canModify());
    EXPECT_THROW(q.edit(), DbError);
    q.close();

    q.setLive(true);
    q.open();
    ASSERT_TRUE(q.canModify());
    q.next();
    q.edit();
    q.fieldByName("NAME").setString("B2");
    q.post();
    EXPECT_EQ(q.fieldByName("NAME").asString(), "B2");
    EXPECT_EQ(scalar(db, "select count(*) from K where NAME = 'B2' and ID = 2"), 1);
    q.first();
    q.remove();
    EXPECT_EQ(scalar(db, "select count(*) from K"), 1);
    EXPECT_EQ(q.field(0).asInteger(), 2);
    EXPECT_EQ(q.recordCount(), 1);
    q.append();
    q.fieldByName("ID").setInteger(3);
    q.post();
    EXPECT_EQ(scalar(db, "select count(*) from K"), 2);
    EXPECT_EQ(q.recordCount(), 2);

    // No primary key: rows are told apart by RDB$DB_KEY, which stays hidden.
    Query n(db);
    n.setLive(true);
    n.setSql("select * from N n where A = 1");
    n.open();
    EXPECT_EQ(n.fieldCount(), 2);
    n.edit();
    n.fieldByName("B").setString("changed");
    n.post();
    EXPECT_EQ(scalar(db, "select count(*) from N where B = 'changed'"), 1);
    n.next();
    n.remove();
    EXPECT_EQ(scalar(db, "select count(*) from N"), 1);

    // A join cannot be written.
    Query j(db);
    j.setLive(true);
    j.setSql("select K.ID, N.B from K, N");
    j.open();
    EXPECT_FALSE(j.canModify());
}

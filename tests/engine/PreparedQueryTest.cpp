// A query the caller prepared is run many times with new parameter values
// (the journal test of the record transfer runs once per row).
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

TEST(PreparedQuery, StaysPreparedAcrossCloseAndGoesWithTheConnection) {
    Workspace ws;
    ws.createDatabase("DB", "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10));\n"
                            "INSERT INTO T VALUES (1, 'one');\nINSERT INTO T VALUES (2, 'two');\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "DB");
    Query q(db);
    q.setSql("select NAME from T where ID = :ID");
    q.prepare();
    for (int round = 0; round < 2; ++round) {
        for (int id : {2, 1, 3}) {
            q.close();
            q.setParam("ID", Value{int64_t{id}});
            q.open();
            EXPECT_EQ(q.field(0).asString(), id == 1 ? "one" : id == 2 ? "two" : "") << id;
            q.close();
        }
        // Disconnecting drops the prepared statement with the attachment; the
        // query prepares itself again on the next connection.
        db.disconnect();
        Workspace::connect(db, "DB");
    }
    // A change of SQL ends the kept statement, and DDL on the table is free.
    q.setSql("select count(*) from T");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 2);
    q.close();
    db.execute("drop table T");
}

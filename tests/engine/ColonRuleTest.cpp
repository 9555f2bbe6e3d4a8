// The colon rule: parameters outside quotes, "::" for one colon.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

std::string tr(const std::string& sql, std::vector<std::string>* names = nullptr) {
    std::vector<std::string> n;
    return Query::translateColons(sql, names ? names : &n);
}

}  // namespace

TEST(ColonRule, TranslatesMarkersOutsideQuotesOnly) {
    std::vector<std::string> names;
    EXPECT_EQ(tr("select * from T where A = :A and B=:Rdb$Relation_Name", &names),
              "select * from T where A = ? and B=?");
    EXPECT_EQ(names, (std::vector<std::string>{"A", "Rdb$Relation_Name"}));

    EXPECT_EQ(tr("select ':X', \":Y\" from T where Z = :Z", &names), "select ':X', \":Y\" from T where Z = ?");
    EXPECT_EQ(names, std::vector<std::string>{"Z"});

    EXPECT_EQ(tr("select c from p into ::C;", &names), "select c from p into :C;");
    EXPECT_TRUE(names.empty());

    // A colon not followed by a name is sent as it is.
    EXPECT_EQ(tr("a : b :) :", &names), "a : b :) :");
    EXPECT_TRUE(names.empty());

    // Quotes inside the other kind of quotes, doubled quotes.
    EXPECT_EQ(tr("'it''s :x' \"say 'hi' :y\" :z", &names), "'it''s :x' \"say 'hi' :y\" ?");
    EXPECT_EQ(names, std::vector<std::string>{"z"});

    // A repeated parameter is a marker each time.
    EXPECT_EQ(tr(":a + :A", &names), "? + ?");
    EXPECT_EQ(names.size(), 2u);
}

TEST(ColonRule, ServerSeesOneColonAndQuotedColonsUnchanged) {
    Workspace ws;
    ws.createDatabase("C", "CREATE TABLE T (ID INTEGER);\nINSERT INTO T VALUES (7);\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "C");

    Query q(db);
    q.setSql("create procedure P returns (C integer) as begin select max(ID) from T into ::C; suspend; end");
    q.execSql();
    q.setSql("select C from P");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 7);

    q.setSql("select \"a:b ::c :d\" from RDB$DATABASE");
    EXPECT_EQ(q.serverSql(), "select \"a:b ::c :d\" from RDB$DATABASE");
    q.open();
    EXPECT_EQ(q.field(0).asString(), "a:b ::c :d");
}

TEST(ColonRule, MissingParameterFailsBeforeTheServer) {
    Workspace ws;
    ws.createDatabase("C");
    Database db("UserDB");
    Workspace::connect(db, "C");
    Query q(db);
    // The table does not exist: a server round trip would say so instead.
    q.setSql("select * from NO_SUCH_TABLE where X = :Some_Name");
    try {
        q.open();
        FAIL() << "open succeeded";
    } catch (const DbError& e) {
        EXPECT_STREQ(e.what(), "No value for parameter 'Some_Name'");
    }
    try {
        q.execSql();
        FAIL() << "execSql succeeded";
    } catch (const DbError& e) {
        EXPECT_STREQ(e.what(), "No value for parameter 'Some_Name'");
    }
    EXPECT_FALSE(q.active());
}

TEST(ColonRule, ParametersTakeTheirValues) {
    Workspace ws;
    ws.createDatabase("C", "CREATE TABLE T (ID INTEGER, D DATE, N NUMERIC(9,2), S CHAR(5));\n"
                           "INSERT INTO T VALUES (1, '2026-12-07', 1.5, 'ab');\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "C");
    Query q(db);
    q.setSql("select ID from T where ID = :id and D = :d and N = :n and S = :s");
    q.setParam("ID", int64_t{1});
    q.setParam("d", std::string("2026-12-07"));
    q.setParam("N", 1.5);
    q.setParam("s", std::string("ab"));
    q.open();
    ASSERT_FALSE(q.isEmpty());
    EXPECT_EQ(q.field(0).asInteger(), 1);
    EXPECT_EQ(q.paramNames(), (std::vector<std::string>{"id", "d", "n", "s"}));

    q.close();
    q.setParam("n", Value{Null{}});
    q.open();
    EXPECT_TRUE(q.isEmpty());

    Query ins(db);
    ins.setSql("insert into T (ID, N) values (:i, :n)");
    ins.setParam("i", std::string(" 42 "));
    ins.setParam("n", std::string("3.25"));
    ins.execSql();
    EXPECT_EQ(ins.rowsAffected(), 1);
    q.setSql("select N from T where ID = 42");
    q.open();
    EXPECT_EQ(q.field(0).asString(), "3.25");
}

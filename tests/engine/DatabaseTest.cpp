// Connecting, creating databases, transactions and their results.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/Aliases.h"
#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

TEST(Database, CreatesAnEmptyDialect1Database) {
    Workspace ws;
    std::string path = ws.path("made.fdb");
    Database::createDatabase(path, "SYSDBA", "", 4096);
    ASSERT_TRUE(std::filesystem::exists(path));
    Aliases::add("MADE", path);
    Database db("UserDB");
    Workspace::connect(db, "MADE");
    Query q(db);
    q.setSql("select MON$SQL_DIALECT, MON$PAGE_SIZE from MON$DATABASE");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);
    EXPECT_EQ(q.field(1).asInteger(), 4096);
    q.setSql("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0 and RDB$RELATION_NAME <> \"X\"");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 0);
    db.disconnect();

    std::string out = Workspace::isqlOutput(path, "SET LIST ON;\nselect MON$SQL_DIALECT from MON$DATABASE;");
    EXPECT_NE(out.find("MON$SQL_DIALECT                 1"), std::string::npos) << out;

    EXPECT_THROW(Database::createDatabase(path), DbError);  // exists already
}

TEST(Database, ConnectFailureCarriesTheServerText) {
    Workspace ws;
    Aliases::add("MISSING", ws.path("nothing-here.fdb"));
    Database db("UserDB");
    db.setAliasName("MISSING");
    db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    try {
        db.connect();
        FAIL();
    } catch (const DbError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find("nothing-here.fdb"), std::string::npos) << m;
        EXPECT_NE(m.find("No such file or directory"), std::string::npos) << m;
    }
    EXPECT_FALSE(db.connected());
    db.setAliasName("NOT_AN_ALIAS");
    EXPECT_THROW(db.connect(), DbError);
}

TEST(Database, BadStatementReportsTheServerMessage) {
    Workspace ws;
    ws.createDatabase("D");
    Database db("UserDB");
    Workspace::connect(db, "D");
    Query q(db);
    q.setSql("select * from NO_SUCH_TABLE");
    try {
        q.open();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Dynamic SQL Error\n-SQL error code = -204\n-Table unknown\n-NO_SUCH_TABLE\n-At line 1, column 15");
        EXPECT_EQ(e.sqlCode(), -204);
    }
    EXPECT_FALSE(q.active());
}

TEST(Database, StatementsOutsideATransactionCommitWhenDone) {
    Workspace ws;
    std::string path = ws.createDatabase("D", "CREATE TABLE T (ID INTEGER);\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "D");
    db.execute("insert into T values (1)");
    // Another attachment sees it at once.
    Database other("Other");
    Workspace::connect(other, "D");
    Query q(other);
    q.setSql("select count(*) from T");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.close();

    db.startTransaction();
    EXPECT_THROW(db.startTransaction(), DbError);
    db.execute("insert into T values (2)");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);  // not committed yet
    q.close();
    db.rollback();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_THROW(db.commit(), DbError);
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.close();

    db.startTransaction();
    db.execute("insert into T values (3)");
    db.commit();
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 2);
}

TEST(Database, ResultsSurviveCommitAndRollbackAndFreeTheirTablesOnClose) {
    Workspace ws;
    std::string script = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE BLOB SUB_TYPE TEXT);\n";
    for (int i = 1; i <= 300; ++i)
        script += "INSERT INTO T VALUES (" + std::to_string(i) + ", 'note " + std::to_string(i) + "');\n";
    script += "COMMIT;";
    ws.createDatabase("D", script);
    Database db("UserDB");
    Workspace::connect(db, "D");

    Query q(db), q2(db);
    db.startTransaction();
    q.setSql("select * from T order by ID");
    q.open();
    q2.setSql("select ID from T order by ID desc");
    q2.open();
    db.execute("insert into T values (301, 'x')");
    db.commit();
    EXPECT_FALSE(db.inTransaction());
    // Still readable and navigable, rows fetched after the commit included.
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.next();
    EXPECT_EQ(q.fieldByName("NOTE").asString(), "note 2");
    q.last();
    EXPECT_EQ(q.field(0).asInteger(), 301);
    EXPECT_EQ(q.recordCount(), 301);

    db.startTransaction();
    db.execute("delete from T where ID = 301");
    db.rollback();
    // Sorted when opened, before the insert.
    EXPECT_EQ(q2.field(0).asInteger(), 300);
    q2.next();
    EXPECT_EQ(q2.field(0).asInteger(), 299);
    EXPECT_EQ(q2.recordCount(), 300);
    q.first();
    EXPECT_EQ(q.fieldByName("NOTE").asString(), "note 1");

    // The rollback undid nothing that was committed.
    Query c(db);
    c.setSql("select count(*) from T");
    c.open();
    EXPECT_EQ(c.field(0).asInteger(), 301);
    c.close();

    q.close();
    q2.close();
    db.execute("drop table T");
    c.setSql("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = \"T\"");
    c.open();
    EXPECT_EQ(c.field(0).asInteger(), 0);
}

TEST(Database, DisconnectClosesEveryDataSet) {
    Workspace ws;
    ws.createDatabase("D", "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);\nINSERT INTO T VALUES (1);\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "D");
    struct Watch : DataSetListener {
        int closed = 0;
        void dataSetClosed(DataSet&) override { ++closed; }
    } watch;
    Query q(db);
    q.addListener(&watch);
    q.setSql("select * from T");
    q.open();
    Table t(db);
    t.setTableName("T");
    t.open();
    t.first();
    db.startTransaction();
    db.disconnect();
    EXPECT_FALSE(db.connected());
    EXPECT_FALSE(q.active());
    EXPECT_FALSE(t.active());
    EXPECT_EQ(watch.closed, 1);
    EXPECT_FALSE(db.inTransaction());
    // Fields of a closed result read as NULL.
    EXPECT_TRUE(q.field(0).isNull());
    EXPECT_EQ(q.field(0).asInteger(), 0);
    EXPECT_EQ(q.field(0).asString(), "");
    // And reconnects.
    db.connect();
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 1);
}

TEST(Database, LockConflictFailsAtOnce) {
    Workspace ws;
    ws.createDatabase("D", "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER);\nINSERT INTO T VALUES (1, 0);\nCOMMIT;");
    Database a("A"), b("B");
    Workspace::connect(a, "D");
    Workspace::connect(b, "D");
    a.startTransaction();
    a.execute("update T set V = 1 where ID = 1");
    try {
        b.execute("update T set V = 2 where ID = 1");
        FAIL() << "no conflict";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("update conflicts with concurrent update"), std::string::npos) << e.what();
    }
    a.commit();
    b.execute("update T set V = 2 where ID = 1");
}

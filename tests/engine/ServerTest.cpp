// Through a Firebird server on loopback: host/port aliases, passwords.
#include <gtest/gtest.h>

#include "engine/Aliases.h"
#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "engine/Table.h"
#include "support/FirebirdServer.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::FirebirdServer;
using quorvel::test::Workspace;

TEST(Server, ConnectsThroughAHostPortAlias) {
    auto& server = FirebirdServer::shared();
    if (!server.running()) GTEST_SKIP() << server.error();
    Workspace ws;
    std::string path = ws.createDatabase("LOCAL", "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE BLOB SUB_TYPE TEXT);\n"
                                                  "INSERT INTO T VALUES (1, 'over the wire');\nCOMMIT;");
    Aliases::add("REMOTE", server.databaseName(path));
    EXPECT_EQ(Aliases::databaseOf("REMOTE"), "127.0.0.1/" + std::to_string(server.port()) + ":" + path);

    Database db("UserDB");
    db.setAliasName("REMOTE");
    db.setParams({"USER NAME=SYSDBA", "PASSWORD=" + server.password()});
    db.connect();
    Query q(db);
    q.setSql("select NOTE, MON$REMOTE_PROTOCOL from T, MON$ATTACHMENTS where MON$ATTACHMENT_ID = CURRENT_CONNECTION");
    q.open();
    EXPECT_EQ(q.field(0).asString(), "over the wire");
    EXPECT_EQ(q.field(1).asString(), "TCPv4");
    q.close();
    Table t(db);
    t.setTableName("T");
    t.open();
    db.startTransaction();
    t.append();
    t.field(0).setInteger(2);
    t.field(1).setString("appended");
    t.post();
    db.commit();
    ASSERT_TRUE(t.locate("ID", Value{int64_t{2}}));
    EXPECT_EQ(t.field(1).asString(), "appended");
    db.disconnect();

    // A database created through the server is dialect 1 as well.
    std::string made = ws.path("made-remotely.fdb");
    Database::createDatabase(server.databaseName(made), "SYSDBA", server.password());
    Aliases::add("MADE", server.databaseName(made));
    Database m("Made");
    m.setAliasName("MADE");
    m.setParams({"USER NAME=SYSDBA", "PASSWORD=" + server.password()});
    m.connect();
    q.close();
    Query d(m);
    d.setSql("select MON$SQL_DIALECT from MON$DATABASE");
    d.open();
    EXPECT_EQ(d.field(0).asInteger(), 1);
}

TEST(Server, WrongPasswordFailsWithTheServersMessage) {
    auto& server = FirebirdServer::shared();
    if (!server.running()) GTEST_SKIP() << server.error();
    Workspace ws;
    std::string path = ws.createDatabase("LOCAL");
    Aliases::add("REMOTE", server.databaseName(path));
    Database db("UserDB");
    db.setAliasName("REMOTE");
    db.setParams({"USER NAME=SYSDBA", "PASSWORD=wrong"});
    try {
        db.connect();
        FAIL() << "connected with a wrong password";
    } catch (const DbError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Your user name and password are not defined. Ask your database administrator to set up a "
                  "Firebird login.");
    }
    EXPECT_FALSE(db.connected());
    db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    EXPECT_THROW(db.connect(), DbError);
}

// Logging in through a Firebird server on loopback, where passwords count.
#include <gtest/gtest.h>

#include "connect/Connect.h"
#include "db/DM.h"
#include "db/OpenLists.h"
#include "engine/Aliases.h"
#include "support/FakeFrontend.h"
#include "support/FirebirdServer.h"
#include "support/Workspace.h"

using namespace quorvel;

TEST(ServerLogin, WrongPasswordShowsTheLoginMessageThenTheRightOneConnects) {
    auto& server = test::FirebirdServer::shared();
    if (!server.running()) GTEST_SKIP() << server.error();
    test::Workspace ws;
    std::string path = ws.createDatabase("Local", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);\nCOMMIT;");
    engine::Aliases::add("Remote", server.databaseName(path));
    DM dm;
    test::FakeFrontend ui;

    const Outcome refused = connect::Connect(dm.UserDB(), {"Remote", "SYSDBA", "not-the-password"}, ui);
    EXPECT_EQ(refused.failure(), engine::Failure::LoginRefused);
    EXPECT_FALSE(dm.UserDB().connected());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "Incorrect User Name or Password: Your user name and password are not defined. "
              "Ask your database administrator to set up a Firebird login.");
    EXPECT_EQ(refused.kind(), Outcome::Kind::Failed);

    const connect::LocalConnection c = connect::ConnectLocal(dm.UserDB(), {"Remote", "SYSDBA", server.password()}, ui);
    ASSERT_TRUE(dm.UserDB().connected()) << ui.lastMessage();
    EXPECT_TRUE(c.outcome.isDone());
    EXPECT_EQ(dm.UserDB().aliasName(), "Remote");
    EXPECT_FALSE(c.facts.prepared);
    OpenLocalLists(dm, c.facts.prepared, ui);
    EXPECT_EQ(dm.QTables.field(0).asString(), "ITEMS");
    EXPECT_EQ(ui.messages.size(), 1u) << "only the refused login";
}

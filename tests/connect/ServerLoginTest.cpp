// Logging in through a Firebird server on loopback, where passwords count.
#include <gtest/gtest.h>

#include "connect/Connect.h"
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

    ui.scriptConnect("Remote", "SYSDBA", "not-the-password");
    connect::ConnectMaster(dm, ui);
    EXPECT_FALSE(dm.UserDB().connected());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "Incorrect User Name or Password: Your user name and password are not defined. "
              "Ask your database administrator to set up a Firebird login.");
    EXPECT_EQ(ui.status().text(), "   Status: Error!");

    ui.scriptConnect("Remote", "SYSDBA", server.password());
    connect::ConnectMaster(dm, ui);
    ASSERT_TRUE(dm.UserDB().connected()) << ui.lastMessage();
    EXPECT_EQ(ui.text("LAlias"), "Remote");
    EXPECT_EQ(ui.text("LPrepare"), "Create additional meta structures first.");
    EXPECT_EQ(dm.QTables.field(0).asString(), "ITEMS");
    EXPECT_EQ(ui.status().text(), "   Status: OK.");
}

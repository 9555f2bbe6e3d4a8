// Connecting with an alias and a login against real databases: what a
// connection says when it fails, and what a connected database tells.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "connect/Connect.h"
#include "db/DM.h"
#include "db/OpenLists.h"
#include "engine/Aliases.h"
#include "support/FakeFrontend.h"
#include "support/ReplicationTablesScript.h"
#include "support/Workspace.h"

using namespace quorvel;
using quorvel::test::kReplicationTables;

namespace {

class ConnectTest : public ::testing::Test {
protected:
    test::Workspace ws;
    DM dm;
    test::FakeFrontend ui;

    // An isql-fb process attached to `path` until the returned pipe is
    // closed; returns once its query has answered, so the file is held.
    FILE* holdInAnotherProcess(const std::string& path) {
        const std::string log = ws.path("holder.log");
        FILE* pipe = popen(("isql-fb -q -user SYSDBA " + path + " > " + log + " 2>&1").c_str(), "w");
        if (!pipe) return nullptr;
        std::fputs("select 'HELD' || 'NOW' from rdb$database;\n", pipe);
        std::fflush(pipe);
        for (int i = 0; i < 200; ++i) {
            std::ifstream in(log);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find("HELDNOW") != std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return pipe;
    }
};

connect::Login as(const std::string& alias, const std::string& user = "SYSDBA") { return {alias, user, ""}; }

TEST_F(ConnectTest, ABareDatabaseConnectsUnpreparedWithTheLoginGiven) {
    ws.createDatabase("Bare", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);\n"
                              "CREATE GENERATOR GEN_ITEMS;\nCOMMIT;");
    const connect::LocalConnection c = connect::ConnectLocal(dm.UserDB(), as("Bare", "sysdba"), ui);
    ASSERT_TRUE(c.outcome.isDone()) << c.outcome.message();
    ASSERT_TRUE(dm.UserDB().connected());
    EXPECT_EQ(dm.UserDB().params(), (std::vector<std::string>{"USER NAME=sysdba", "PASSWORD="}));
    EXPECT_FALSE(c.facts.prepared);
    EXPECT_EQ(c.facts.identity, "");
    EXPECT_TRUE(ui.messages.empty());

    // The lists a front end shows of it: the catalog ones only.
    OpenLocalLists(dm, c.facts.prepared, ui);
    ASSERT_TRUE(dm.QTables.active());
    EXPECT_EQ(dm.QTables.field(0).asString(), "ITEMS");
    ASSERT_TRUE(dm.QGenerator.active());
    EXPECT_EQ(dm.QGenerator.field(0).asString(), "GEN_ITEMS");
    EXPECT_FALSE(dm.QWorkingTables.active());

    // A connected database is dropped when it is connected again.
    engine::Aliases::add("Gone", ws.path("gone.fdb"));
    EXPECT_EQ(connect::Connect(dm.UserDB(), as("Gone"), ui).kind(), Outcome::Kind::Failed);
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_FALSE(dm.QTables.active());
}

TEST_F(ConnectTest, APreparedDatabaseTellsItsIdentityAndTriggerState) {
    std::string db = ws.createDatabase("Master", std::string(kReplicationTables) +
                                       "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
                                       "insert into R$CLONE values ('SITE1', 1, 0, 100, 'N');\nCOMMIT;");
    connect::LocalConnection c = connect::ConnectLocal(dm.UserDB(), as("Master"), ui);
    EXPECT_TRUE(c.facts.prepared);
    EXPECT_EQ(c.facts.identity, "MASTER");
    EXPECT_TRUE(c.facts.triggerStateKnown);
    EXPECT_FALSE(c.facts.triggersInactive) << "R$Trig = 0: the triggers are on";
    OpenLocalLists(dm, c.facts.prepared, ui);
    EXPECT_TRUE(dm.QClone.active());
    EXPECT_EQ(dm.QClone.recordCount(), 2);

    // Triggers made inactive (R$Trig = 1), read as such also while the
    // table order is still empty.
    dm.UserDB().execute("set generator R$Trig to 1");
    EXPECT_TRUE(connect::ReadLocalFacts(dm.UserDB()).triggersInactive);

    // The same database as a clone sees itself as SITE1.
    dm.UserDB().disconnect();
    test::Workspace::runIsql(db, "update R$CLONE set ME = 'N';\nupdate R$CLONE set ME = 'Y' where NAME = 'SITE1';\nCOMMIT;");
    EXPECT_EQ(connect::ConnectLocal(dm.UserDB(), as("Master"), ui).facts.identity, "SITE1");

    // No row marked "Y": no identity.
    dm.UserDB().disconnect();
    test::Workspace::runIsql(db, "update R$CLONE set ME = 'N';\nCOMMIT;");
    EXPECT_EQ(connect::ConnectLocal(dm.UserDB(), as("Master"), ui).facts.identity, "");
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();

    // Nothing connected: nothing prepared, no exchange.
    dm.UserDB().disconnect();
    EXPECT_FALSE(connect::ReadLocalFacts(dm.UserDB()).prepared);
    EXPECT_FALSE(connect::ReadLocalFacts(dm.UserDB()).triggerStateKnown);
}

TEST_F(ConnectTest, FailedConnectionSaysWhatFailed) {
    const Outcome o = connect::Connect(dm.UserDB(), as("NoSuchAlias"), ui);
    EXPECT_EQ(o.kind(), Outcome::Kind::Failed);
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot connect to NoSuchAlias: Unknown alias: NoSuchAlias"});
    EXPECT_EQ(o.message(), ui.lastMessage());
    EXPECT_EQ(dm.UserDB().aliasName(), "NoSuchAlias") << "bound to the new alias though disconnected";

    // A file that is not there fails the same way, with the server's text.
    engine::Aliases::add("Missing", ws.path("missing.fdb"));
    EXPECT_EQ(connect::Connect(dm.UserDB(), as("Missing"), ui).failure(), engine::Failure::FileMissing);
    EXPECT_NE(ui.lastMessage().find("missing.fdb"), std::string::npos) << ui.lastMessage();
    // The next connection ends well.
    ws.createDatabase("Fine");
    EXPECT_TRUE(connect::Connect(dm.UserDB(), as("Fine"), ui).isDone());
}

TEST_F(ConnectTest, SynchroAndCloneDatabasesConnectAndTheSynchroListOpens) {
    ws.createDatabase("Synchro", "CREATE TABLE ITEMS (ID INTEGER);\nCOMMIT;");
    ASSERT_TRUE(connect::Connect(dm.SynchroDB(), as("Synchro"), ui).isDone());
    OpenSynchroList(dm, ui);
    ASSERT_TRUE(dm.QSTables.active());
    EXPECT_EQ(dm.QSTables.field(0).asString(), "ITEMS");

    ws.createDatabase("Clone");
    EXPECT_TRUE(connect::Connect(dm.CloneDB(), as("Clone"), ui).isDone());
    EXPECT_TRUE(dm.CloneDB().connected());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
}

// Only a refused login blames the password (a server's login is tried in
// ServerLoginTest); a file that cannot be opened says what is wrong with it,
// then gives the server's own message.
TEST_F(ConnectTest, AFileThatCannotBeOpenedSaysWhatFailedWithTheServersMessage) {
    const std::string whole = ws.createDatabase("Whole");
    const auto copyOf = [&](const std::string& name, std::size_t bytes, char fill) {
        std::ifstream in(whole, std::ios::binary);
        std::string content(bytes, fill);
        if (fill == 0) in.read(content.data(), static_cast<std::streamsize>(bytes));
        std::ofstream(ws.path(name), std::ios::binary) << content;
        return ws.path(name);
    };
    struct Case {
        std::string alias, path, what, server;
    };
    const Case cases[] = {
        {"Missing", ws.path("missing.fdb"), "there is no database file at that path", "No such file or directory"},
        {"Truncated", copyOf("truncated.fdb", 8192, 0),
         "the file is not a whole Firebird database (truncated, empty or corrupt)", "truncated.fdb"},
        {"Corrupt", copyOf("corrupt.fdb", 65536, 'x'),
         "the file is not a whole Firebird database (truncated, empty or corrupt)", "is not a valid database"},
        {"ReadOnly", copyOf("readonly.fdb", std::filesystem::file_size(whole), 0),
         "the database file cannot be opened for writing (a read-only file, or no permission)", "readonly.fdb"},
        {"Held", whole,
         "another process holds the database file (close it there, or reach it through a server)",
         "Database already opened with engine instance"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        engine::Aliases::add(c.alias, c.path);
        // Read-only even for root: the immutable flag, where the file system
        // has it. Held: an isql process of its own has the file open.
        const bool readOnly = c.alias == "ReadOnly";
        if (readOnly && std::system(("chattr +i " + c.path + " 2>/dev/null").c_str()) != 0) continue;
        FILE* holder = nullptr;
        if (c.alias == "Held") holder = holdInAnotherProcess(c.path);
        ui.messages.clear();
        connect::Connect(dm.UserDB(), as(c.alias), ui);
        if (readOnly) std::system(("chattr -i " + c.path).c_str());
        if (holder) pclose(holder);
        EXPECT_FALSE(dm.UserDB().connected());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind("Cannot connect to " + c.alias + ": " + c.what + ".\n", 0), 0u)
            << ui.messages[0];
        EXPECT_NE(ui.messages[0].find(c.server), std::string::npos) << ui.messages[0];
    }
}

}  // namespace

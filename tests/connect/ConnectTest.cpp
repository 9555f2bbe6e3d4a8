// The connect routines against real databases: what the window shows after
// each outcome of the alias dialog, the login and the checks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "connect/Connect.h"
#include "engine/Aliases.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

const char* kReplicationTables =
    "CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY, NUMBER INTEGER,"
    " MAXVALUE1 INTEGER, MAXVALUE2 INTEGER, ME CHAR(1));\n"
    "CREATE TABLE R$TABLEORDER (NUMBER INTEGER NOT NULL PRIMARY KEY, TABLENAME CHAR(31));\n"
    "CREATE TABLE R$WORKINGTABLES (NAME CHAR(31) NOT NULL PRIMARY KEY);\n"
    "CREATE TABLE R$PKGENS (GENERATORNAME CHAR(31) NOT NULL PRIMARY KEY, GENOFFSET INTEGER);\n"
    "create table R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE,"
    " R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
    "create generator R$Trig;\n"
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
    "COMMIT;\n";

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

TEST_F(ConnectTest, CancelledDialogsLeaveTheDatabaseDisconnected) {
    ws.createDatabase("Bare", "CREATE TABLE ITEMS (ID INTEGER);");
    ui.setText("LAlias", "Previous");
    connect::ConnectMaster(dm, ui);  // alias dialog cancelled (no answer)
    EXPECT_FALSE(dm.UserDB().connected());

    ui.aliasAnswers.push_back("Bare");
    ui.loginAnswers.push_back({false, "SYSDBA", ""});
    connect::ConnectMaster(dm, ui);
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_EQ(ui.loginAliases, std::vector<std::string>{"Bare"});
    EXPECT_EQ(ui.text("LAlias"), "?");  // the previous database is disconnected
    EXPECT_TRUE(ui.statusHistory.empty()) << "a cancelled connection is no operation";

    // A connected database is dropped as soon as its button is pressed.
    ui.scriptConnect("Bare");
    connect::ConnectMaster(dm, ui);
    ASSERT_TRUE(dm.UserDB().connected());
    connect::ConnectMaster(dm, ui);
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_FALSE(dm.QTables.active());
}

TEST_F(ConnectTest, BareDatabaseAsksForMetaStructuresAndFillsTheCatalogLists) {
    ws.createDatabase("Bare", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);\n"
                              "CREATE GENERATOR GEN_ITEMS;\nCOMMIT;");
    ui.setVisible("TSPrepare", false);
    ui.scriptConnect("Bare", "sysdba", "");
    connect::ConnectMaster(dm, ui);

    ASSERT_TRUE(dm.UserDB().connected());
    EXPECT_EQ(dm.UserDB().params(), (std::vector<std::string>{"USER NAME=sysdba", "PASSWORD="}));
    EXPECT_EQ(ui.text("LAlias"), "Bare");
    EXPECT_EQ(ui.text("LPrepare"), "Create additional meta structures first.");
    EXPECT_TRUE(ui.isEnabled("SBCreateMeta"));
    EXPECT_FALSE(ui.isEnabled("SBEraseMeta"));
    EXPECT_FALSE(ui.isVisible("TSPrepare")) << "pages stay as they were";
    EXPECT_EQ(ui.text("LMaster"), "?");
    EXPECT_EQ(ui.statusPanel(1), "");
    EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{"working", "ok"}));
    EXPECT_TRUE(ui.messages.empty());

    ASSERT_TRUE(dm.QTables.active());
    EXPECT_EQ(dm.QTables.field(0).asString(), "ITEMS");
    ASSERT_TRUE(dm.QGenerator.active());
    EXPECT_EQ(dm.QGenerator.field(0).asString(), "GEN_ITEMS");
    EXPECT_FALSE(dm.QWorkingTables.active());
}

TEST_F(ConnectTest, IdentityOfAPreparedDatabaseShowsOrHidesThePreparationPages) {
    std::string db = ws.createDatabase("Master", std::string(kReplicationTables) +
                                       "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
                                       "insert into R$CLONE values ('SITE1', 1, 0, 100, 'N');\nCOMMIT;");
    ui.setVisible("TSPrepare", false);
    ui.setVisible("TSClone", false);
    ui.scriptConnect("Master");
    connect::ConnectMaster(dm, ui);
    EXPECT_EQ(ui.text("LPrepare"), "Prepare completed");
    EXPECT_EQ(ui.text("LMaster"), "MASTER");
    EXPECT_FALSE(ui.isEnabled("SBCreateMeta"));
    EXPECT_TRUE(ui.isEnabled("SBEraseMeta"));
    EXPECT_TRUE(ui.isVisible("TSPrepare"));
    EXPECT_TRUE(ui.isVisible("TSClone"));
    EXPECT_TRUE(dm.QClone.active());
    EXPECT_EQ(dm.QClone.recordCount(), 2);

    // The same database as a clone sees itself as SITE1: the pages go.
    dm.UserDB().disconnect();
    test::Workspace::runIsql(db, "update R$CLONE set ME = 'N';\nupdate R$CLONE set ME = 'Y' where NAME = 'SITE1';\nCOMMIT;");
    ui.scriptConnect("Master");
    connect::ConnectMaster(dm, ui);
    EXPECT_EQ(ui.text("LMaster"), "SITE1");
    EXPECT_FALSE(ui.isVisible("TSPrepare"));
    EXPECT_FALSE(ui.isVisible("TSClone"));

    // No row marked "Y": empty identity, pages hidden.
    dm.UserDB().disconnect();
    test::Workspace::runIsql(db, "update R$CLONE set ME = 'N';\nCOMMIT;");
    ui.setVisible("TSPrepare", true);
    ui.scriptConnect("Master");
    connect::ConnectMaster(dm, ui);
    EXPECT_EQ(ui.text("LMaster"), "");
    EXPECT_FALSE(ui.isVisible("TSPrepare"));
}

TEST_F(ConnectTest, FailedConnectionShowsWhatFailedAndTheErrorState) {
    ui.scriptConnect("NoSuchAlias");
    connect::ConnectMaster(dm, ui);
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot connect to NoSuchAlias: Unknown alias: NoSuchAlias"});
    EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{"working", "error"}));
    EXPECT_EQ(ui.status().face(), StatusFace::Sad);
    EXPECT_EQ(dm.UserDB().aliasName(), "NoSuchAlias") << "bound to the new alias though disconnected";

    // A file that is not there fails the same way, with the server's text.
    engine::Aliases::add("Missing", ws.path("missing.fdb"));
    ui.scriptConnect("Missing");
    connect::ConnectMaster(dm, ui);
    EXPECT_NE(ui.lastMessage().find("missing.fdb"), std::string::npos) << ui.lastMessage();
    // The next operation runs "after a failure" and ends well.
    ws.createDatabase("Fine");
    ui.scriptConnect("Fine");
    connect::ConnectMaster(dm, ui);
    EXPECT_EQ(ui.status().face(), StatusFace::Shades);
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
        ui.scriptConnect(c.alias);
        connect::ConnectMaster(dm, ui);
        if (readOnly) std::system(("chattr -i " + c.path).c_str());
        if (holder) pclose(holder);
        EXPECT_FALSE(dm.UserDB().connected());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].rfind("Cannot connect to " + c.alias + ": " + c.what + ".\n", 0), 0u)
            << ui.messages[0];
        EXPECT_NE(ui.messages[0].find(c.server), std::string::npos) << ui.messages[0];
    }
}

TEST_F(ConnectTest, SynchroConnectionsEnableTheirButtons) {
    ws.createDatabase("Master", kReplicationTables);
    ws.createDatabase("Synchro", "CREATE TABLE ITEMS (ID INTEGER);\nCOMMIT;");
    ui.scriptConnect("Master");
    connect::ConnectMaster(dm, ui);

    ui.scriptConnect("Synchro");
    connect::ConnectOutSynchro(dm, ui);
    EXPECT_TRUE(ui.isEnabled("SBFillSynchro"));
    EXPECT_EQ(ui.text("LSynchro1"), "Synchro");
    EXPECT_EQ(ui.text("LSynchro2"), "?");  // not the in-synchro database
    ASSERT_TRUE(dm.QSTables.active());
    EXPECT_EQ(dm.QSTables.field(0).asString(), "ITEMS");

    // R$Trig = 0: the triggers are on.
    ui.scriptConnect("Synchro");
    connect::ConnectInSynchro(dm, ui);
    EXPECT_TRUE(ui.isEnabled("SBInactiveTriggers"));
    EXPECT_FALSE(ui.isEnabled("SBReadFromSynchro"));
    EXPECT_FALSE(ui.isEnabled("SBActiveTriggers"));

    // Triggers made inactive (R$Trig = 1), read as such also while the table
    // order is still empty.
    dm.UserDB().execute("set generator R$Trig to 1");
    ui.scriptConnect("Synchro");
    connect::ConnectInSynchro(dm, ui);
    EXPECT_TRUE(ui.isEnabled("SBReadFromSynchro"));
    EXPECT_TRUE(ui.isEnabled("SBActiveTriggers"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
}

TEST_F(ConnectTest, CloneConnectionEnablesTheUpdateButton) {
    ws.createDatabase("Clone");
    ui.scriptConnect("Clone");
    connect::ConnectClone(dm, ui);
    EXPECT_TRUE(dm.CloneDB().connected());
    EXPECT_EQ(ui.text("LCloneName"), "Clone");
    EXPECT_TRUE(ui.isEnabled("SBUpdateCloneGens"));
}

}  // namespace

// What the window shows after each way a connection ends, on real databases:
// the alias in its labels, the preparation state, the pages of a master, the
// buttons a connection enables, and the status.
#include <gtest/gtest.h>

#include <filesystem>

#include "QtTestSupport.h"
#include "support/ReplicationTablesScript.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using Connection = app::TfmBrowser::Connection;

class ConnectWindowStates : public ::testing::Test, protected WithQtApp {
protected:
    Outcome connectAs(Connection which, const std::string& alias) {
        return w.connectWith(which, {alias, "SYSDBA", ""});
    }
    Workspace ws;
    DM dm;
    ScriptedBrowser w{dm};
};

TEST_F(ConnectWindowStates, ABareDatabaseAsksForMetaStructuresAndFillsTheCatalogLists) {
    ws.createDatabase("Bare", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);\nCOMMIT;");
    w.setVisible(ctl::TSPrepare, false);
    ASSERT_TRUE(connectAs(Connection::Local, "Bare").isDone());
    EXPECT_EQ(w.text("LAlias"), "Bare");
    EXPECT_EQ(w.text("LPrepare"), "Create additional meta structures first.");
    EXPECT_TRUE(w.isEnabled("SBCreateMeta"));
    EXPECT_FALSE(w.isEnabled("SBEraseMeta"));
    EXPECT_FALSE(w.isVisible("TSPrepare")) << "pages stay as they were";
    EXPECT_EQ(w.text("LMaster"), "?");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_EQ(w.statusPanel(1), "");
    EXPECT_TRUE(w.messages.empty());
    EXPECT_TRUE(dm.QTables.active());
    EXPECT_FALSE(dm.QWorkingTables.active());
}

TEST_F(ConnectWindowStates, TheIdentityOfAPreparedDatabaseShowsOrHidesThePreparationPages) {
    const std::string db = ws.createDatabase("Master", std::string(kReplicationTables) +
                                             "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
                                             "insert into R$CLONE values ('SITE1', 1, 0, 100, 'N');\nCOMMIT;");
    w.setVisible(ctl::TSPrepare, false);
    w.setVisible(ctl::TSClone, false);
    connectAs(Connection::Local, "Master");
    EXPECT_EQ(w.text("LPrepare"), "Prepare completed");
    EXPECT_EQ(w.text("LMaster"), "MASTER");
    EXPECT_FALSE(w.isEnabled("SBCreateMeta"));
    EXPECT_TRUE(w.isEnabled("SBEraseMeta"));
    EXPECT_TRUE(w.isVisible("TSPrepare"));
    EXPECT_TRUE(w.isVisible("TSClone"));

    // The same database as a clone sees itself as SITE1: the pages go.
    dm.UserDB().disconnect();
    Workspace::runIsql(db, "update R$CLONE set ME = 'N';\nupdate R$CLONE set ME = 'Y' where NAME = 'SITE1';\nCOMMIT;");
    connectAs(Connection::Local, "Master");
    EXPECT_EQ(w.text("LMaster"), "SITE1");
    EXPECT_FALSE(w.isVisible("TSPrepare"));
    EXPECT_FALSE(w.isVisible("TSClone"));
}

TEST_F(ConnectWindowStates, CloneAndSynchroConnectionsShowTheirAliasAndEnableTheirButtons) {
    ws.createDatabase("Master", kReplicationTables);
    ws.createDatabase("Other", "CREATE TABLE ITEMS (ID INTEGER);\nCOMMIT;");
    ws.createDatabase("Synchro", synchroObjectsScript());
    ASSERT_TRUE(connectAs(Connection::Clone, "Other").isDone());
    EXPECT_EQ(w.text("LCloneName"), "Other");
    EXPECT_TRUE(w.isEnabled("SBUpdateCloneGens"));

    connectAs(Connection::Local, "Master");
    // Only a synchro database is kept as one: any other is let go at once,
    // saying what it is.
    struct Refusal {
        Connection which;
        const char *alias, *said;
    };
    for (const Refusal& r : {Refusal{Connection::OutSynchro, "Other", "Other is not a synchro database"},
                             Refusal{Connection::InSynchro, "Master", "Master is the local database itself"}}) {
        SCOPED_TRACE(r.alias);
        EXPECT_EQ(connectAs(r.which, r.alias).kind(), Outcome::Kind::Refused);
        ASSERT_FALSE(w.messages.empty());
        EXPECT_EQ(w.messages.back().rfind(r.said, 0), 0u) << w.messages.back();
        EXPECT_FALSE(dm.SynchroDB().connected());
        EXPECT_EQ(w.text("LSynchro1"), "?");
        EXPECT_EQ(w.text("LSynchro2"), "?");
        EXPECT_FALSE(w.isEnabled("SBFillSynchro"));
        EXPECT_FALSE(w.isEnabled("SBReadFromSynchro"));
        EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    }
    ASSERT_TRUE(connectAs(Connection::OutSynchro, "Synchro").isDone());
    EXPECT_TRUE(w.isEnabled("SBFillSynchro"));
    EXPECT_EQ(w.text("LSynchro1"), "Synchro");
    EXPECT_EQ(w.text("LSynchro2"), "?");  // not the in-synchro database
    EXPECT_TRUE(dm.QSTables.active());
    EXPECT_EQ(dm.synchroRole, DM::SynchroRole::Out);
}

TEST_F(ConnectWindowStates, AFailedConnectionShowsNothingOfTheOldDatabase) {
    ws.createDatabase("One", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);");
    ws.createDatabase("Three", "CREATE TABLE ITEMS (ID BIGINT NOT NULL PRIMARY KEY);", 3);
    ws.createDatabase("SynchroOne", synchroObjectsScript());
    ws.createDatabase("SynchroThree", synchroObjectsScript(), 3);
    // A database file gone since its alias was written: the connection fails.
    std::filesystem::remove(ws.createDatabase("Gone"));
    struct Case {
        Connection which;
        const char* label;
        std::string prefix;  // of the aliases: a synchro connection takes only a synchro database
    };
    for (const Case& c : {Case{Connection::Local, "LAlias", ""}, Case{Connection::Clone, "LCloneName", ""},
                          Case{Connection::OutSynchro, "LSynchro1", "Synchro"},
                          Case{Connection::InSynchro, "LSynchro2", "Synchro"}}) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(connectAs(c.which, c.prefix + "One").isDone());
        const ctl::Control label = ctl::Control::named(c.label).value();
        EXPECT_EQ(w.text(label), c.prefix + "One");
        ASSERT_TRUE(connectAs(c.which, c.prefix + "Three").isDone());
        EXPECT_EQ(w.text(label), c.prefix + "Three (dialect 3)");
        // What the last operation did is not left beside the failure.
        w.setStatusPanel(1, "  Read done: 3 inserted, 0 updated, 0 deleted.");
        EXPECT_EQ(connectAs(c.which, "Gone").kind(), Outcome::Kind::Failed);
        EXPECT_EQ(w.text(label), "?");
        EXPECT_EQ(w.statusPanel(1), "  ");
        EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
        EXPECT_EQ(w.messages.back().rfind("Cannot connect to Gone: there is no database file", 0), 0u);
    }
    EXPECT_FALSE(w.isEnabled("SBUpdateCloneGens"));
    EXPECT_EQ(connectAs(Connection::Local, "NoSuchAlias").kind(), Outcome::Kind::Failed);
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_TRUE(w.workAreaEnabled());
}

}  // namespace
}  // namespace quorvel::test

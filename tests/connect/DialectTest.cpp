// A database of dialect 3 is refused by every connect routine right after
// connecting, before a check reads it or an operation can change it.
#include <gtest/gtest.h>

#include "connect/Connect.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

// What a dialect-3 database looks like after the tool's first attempt at
// preparing it: R$CLONE is there, R$PKGENS never came.
const char* kHalfPrepared =
    "CREATE TABLE R$CLONE (NAME CHAR(31) NOT NULL PRIMARY KEY, NUMBER INTEGER,"
    " MAXVALUE1 INTEGER, MAXVALUE2 INTEGER, ME CHAR(1));\n"
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, MADE DATE);\n"
    "COMMIT;\n";

struct Routine {
    const char* name;
    Outcome (*connect)(DM&, Frontend&);
    engine::Database& (DM::*database)();
    ctl::Control enabledOnSuccess;  // a control the routine's check would enable
    ctl::Control label;             // the alias label it would set
};

TEST(DialectTest, EveryConnectRoutineRefusesADialectThreeDatabaseAndLetsItGo) {
    test::Workspace ws;
    ws.createDatabase("Three", kHalfPrepared, 3);
    const Routine routines[] = {
        {"ConnectMaster", &connect::ConnectMaster, &DM::UserDB, "SBEraseMeta", "LAlias"},
        {"ConnectClone", &connect::ConnectClone, &DM::CloneDB, "SBUpdateCloneGens", "LCloneName"},
        {"ConnectOutSynchro", &connect::ConnectOutSynchro, &DM::SynchroDB, "SBFillSynchro", "LSynchro1"},
        {"ConnectInSynchro", &connect::ConnectInSynchro, &DM::SynchroDB, "SBInactiveTriggers", "LSynchro1"},
    };
    for (const Routine& r : routines) {
        SCOPED_TRACE(r.name);
        DM dm;
        test::FakeFrontend ui;
        ui.setText(r.label, "Previous");
        ui.setEnabled(r.enabledOnSuccess, false);
        ui.scriptConnect("Three");
        r.connect(dm, ui);

        EXPECT_EQ(ui.messages,
                  std::vector<std::string>{"Three is a dialect 3 database; Quorvel works with dialect 1 databases"});
        EXPECT_EQ(ui.statusHistory, (std::vector<std::string>{"working", "error"}));
        EXPECT_FALSE((dm.*r.database)().connected());
        // The previous database is gone: its name is not shown any more.
        EXPECT_EQ(ui.text(r.label), "?");
        EXPECT_FALSE(ui.isEnabled(r.enabledOnSuccess));
    }
}

TEST(DialectTest, ADialectOneDatabaseStillConnects) {
    test::Workspace ws;
    ws.createDatabase("One", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);");
    DM dm;
    test::FakeFrontend ui;
    ui.scriptConnect("One");
    connect::ConnectClone(dm, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_TRUE(dm.CloneDB().connected());
    EXPECT_TRUE(ui.isEnabled("SBUpdateCloneGens"));
}

}  // namespace

// A database of dialect 3 is refused by every connection right after
// connecting, before anything reads it or an operation can change it.
#include <gtest/gtest.h>

#include "connect/Connect.h"
#include "db/DM.h"
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

TEST(DialectTest, EveryConnectionRefusesADialectThreeDatabaseAndLetsItGo) {
    test::Workspace ws;
    ws.createDatabase("Three", kHalfPrepared, 3);
    ws.createDatabase("One", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);");
    for (engine::Database& (DM::*database)() : {&DM::UserDB, &DM::CloneDB, &DM::SynchroDB}) {
        DM dm;
        test::FakeFrontend ui;
        engine::Database& db = (dm.*database)();
        SCOPED_TRACE(db.name());
        ASSERT_TRUE(connect::Connect(db, {"One", "SYSDBA", ""}, ui).isDone()) << ui.lastMessage();
        const Outcome o = connect::Connect(db, {"Three", "SYSDBA", ""}, ui);
        EXPECT_EQ(o.kind(), Outcome::Kind::Refused);
        EXPECT_EQ(ui.messages,
                  std::vector<std::string>{"Three is a dialect 3 database; Quorvel works with dialect 1 databases"});
        EXPECT_FALSE(db.connected()) << "the previous database is gone too";
    }
    // Refused before anything read it: the half-prepared master is not prepared.
    DM dm;
    test::FakeFrontend ui;
    const connect::LocalConnection c = connect::ConnectLocal(dm.UserDB(), {"Three", "SYSDBA", ""}, ui);
    EXPECT_EQ(c.outcome.kind(), Outcome::Kind::Refused);
    EXPECT_FALSE(c.facts.prepared);
}

}  // namespace

// Dialects 1 and 3 are both taken by every connection; whatever else a
// database's dialect is, it is refused right after connecting, before
// anything reads it.
#include <gtest/gtest.h>

#include "connect/Connect.h"
#include "connect/DialectCheck.h"
#include "db/DM.h"
#include "support/FakeFrontend.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

TEST(DialectTest, EveryConnectionTakesDialectsOneAndThree) {
    test::Workspace ws;
    ws.createDatabase("Three", "CREATE TABLE ITEMS (ID BIGINT NOT NULL PRIMARY KEY, MADE DATE);", 3);
    ws.createDatabase("One", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY);");
    for (engine::Database& (DM::*database)() : {&DM::UserDB, &DM::CloneDB, &DM::SynchroDB}) {
        DM dm;
        test::FakeFrontend ui;
        engine::Database& db = (dm.*database)();
        SCOPED_TRACE(db.name());
        for (const auto& [alias, dialect] : {std::pair{"One", 1}, std::pair{"Three", 3}}) {
            ASSERT_TRUE(connect::Connect(db, {alias, "SYSDBA", ""}, ui).isDone()) << ui.lastMessage();
            EXPECT_EQ(db.sqlDialect(), dialect);
        }
    }
}

TEST(DialectTest, MixedDialectsAreNamedBoth) {
    test::Workspace ws;
    ws.createDatabase("Three", "", 3);
    ws.createDatabase("One");
    DM dm;
    test::FakeFrontend ui;
    ASSERT_TRUE(connect::Connect(dm.UserDB(), {"Three", "SYSDBA", ""}, ui).isDone());
    ASSERT_TRUE(connect::Connect(dm.SynchroDB(), {"One", "SYSDBA", ""}, ui).isDone());
    EXPECT_EQ(connect::mixedDialectsMessage(dm.UserDB(), dm.UserDB()), "");
    const std::string why = connect::mixedDialectsMessage(dm.UserDB(), dm.SynchroDB());
    EXPECT_EQ(why.rfind("The Master/Clone database is a dialect 3 database and the synchro database a dialect 1 one",
                        0),
              0u)
        << why;
    EXPECT_NE(why.find("gfix"), std::string::npos);
}

}  // namespace

// The exchange's buttons through the window's fake front end, on real
// databases: which connection enables what, what a new or cancelled
// connection takes back, and the messages when nothing is connected.
#include "connect/Connect.h"
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {

class ExchangeButtons : public ExchangeTest {
protected:
    std::vector<bool> enabled() {
        std::vector<bool> out;
        for (const char* b : {"SBFillSynchro", "SBSuccess", "SBInactiveTriggers", "SBReadFromSynchro",
                              "SBActiveTriggers"})
            out.push_back(ui.isEnabled(ctl::Control::named(b).value()));
        return out;
    }
    Outcome connectAs(Outcome (*connectRoutine)(DM&, Frontend&), const std::string& alias) {
        ui.scriptConnect(alias);
        return connectRoutine(dm, ui);
    }
};

// Fill, Success, Inactive, Read, Active.
using States = std::vector<bool>;

}  // namespace

TEST_F(ExchangeButtons, FillAndSuccessBelongToTheOutConnectionTheReadToTheInOne) {
    makeDatabases({});  // triggers switched off
    ASSERT_TRUE(connectAs(connect::ConnectOutSynchro, synchroAlias).isDone());
    EXPECT_EQ(enabled(), (States{true, false, false, false, true}));
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    // The fill names no button: the window enables "Success" after a done
    // fill (ExchangeThroughWindow), as done here.
    EXPECT_FALSE(ui.isEnabled(ctl::SBSuccess));
    ui.setEnabled(ctl::SBSuccess, true);

    // Connecting the local database again: "Success" waits for its own fill.
    ASSERT_TRUE(connectAs(connect::ConnectMaster, localAlias).isDone());
    EXPECT_EQ(enabled(), (States{true, false, false, false, true}));

    // The same synchro database connected as In Synchro.
    ASSERT_TRUE(connectAs(connect::ConnectInSynchro, synchroAlias).isDone());
    EXPECT_EQ(ui.text(ctl::LSynchro1), "?");
    EXPECT_EQ(ui.text(ctl::LSynchro2), synchroAlias);
    EXPECT_EQ(enabled(), (States{false, false, false, true, true}));

    // Triggers active: only "Make Triggers Inactive".
    makeDatabases({.trig = 0});
    ASSERT_TRUE(connectAs(connect::ConnectInSynchro, synchroAlias).isDone());
    EXPECT_EQ(enabled(), (States{false, false, true, false, false}));
}

TEST_F(ExchangeButtons, ACancelledConnectionLeavesNothingOfTheOldDatabase) {
    makeDatabases({});
    ASSERT_TRUE(connectAs(connect::ConnectMaster, localAlias).isDone());
    ASSERT_TRUE(connectAs(connect::ConnectOutSynchro, synchroAlias).isDone());
    ASSERT_NE(ui.text(ctl::LMaster), "?");

    EXPECT_EQ(connect::ConnectMaster(dm, ui).kind(), Outcome::Kind::Cancelled);  // no alias chosen
    EXPECT_EQ(ui.text(ctl::LAlias), "?");
    EXPECT_EQ(ui.text(ctl::LMaster), "?");
    EXPECT_EQ(enabled(), (States{false, false, false, false, false}));

    // Pressed anyway (a script, a stale window): said in the operator's words.
    ui.confirmAnswers = {true};
    EXPECT_FALSE(synchro::Success(dm.UserDB(), ui).isDone());
    EXPECT_EQ(ui.lastMessage(), "The Master/Clone database is not connected: connect it first.");

    // A database that never filled refuses "Success" and keeps its journal.
    makeDatabases({});
    local("delete from R$SYNCHRO where SynchroNumber > 0");
    local("insert into R$DELETEDUPDATED values (0, 7, \"D\", \"CUSTOMER\")");
    ui.confirmAnswers = {true};
    EXPECT_EQ(synchro::Success(dm.UserDB(), ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(localRows("select count(*) from R$DELETEDUPDATED"), (std::vector<std::string>{"1"}));
}

}  // namespace quorvel::test

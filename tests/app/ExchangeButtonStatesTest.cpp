// The exchange's buttons in the window, on real databases: which connection
// enables what, what a new or cancelled connection takes back, and the
// messages when nothing is connected.
#include <QAction>
#include <QDialog>
#include <QPushButton>

#include "QtTestSupport.h"
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {

using Connection = app::TfmBrowser::Connection;

class ExchangeButtons : public ExchangeTest, protected WithQtApp {
protected:
    std::vector<bool> enabled() {
        std::vector<bool> out;
        for (const char* b : {"SBFillSynchro", "SBSuccess", "SBInactiveTriggers", "SBReadFromSynchro",
                              "SBActiveTriggers"})
            out.push_back(w.isEnabled(ctl::Control::named(b).value()));
        return out;
    }
    Outcome connectAs(Connection which, const std::string& alias) {
        return w.connectWith(which, {alias, "SYSDBA", ""});
    }
    ScriptedBrowser w{dm};
};

// Fill, Success, Inactive, Read, Active.
using States = std::vector<bool>;

}  // namespace

TEST_F(ExchangeButtons, FillAndSuccessBelongToTheOutConnectionTheReadToTheInOne) {
    makeDatabases({});  // triggers switched off
    ASSERT_TRUE(connectAs(Connection::OutSynchro, synchroAlias).isDone());
    EXPECT_EQ(enabled(), (States{true, false, false, false, true}));
    // The fill itself names no button: the window enables "Success" after
    // the done fill it ran.
    w.findChild<QPushButton*>("SBFillSynchro")->click();
    EXPECT_TRUE(w.isEnabled(ctl::SBSuccess));

    // Connecting the local database again: "Success" waits for its own fill.
    ASSERT_TRUE(connectAs(Connection::Local, localAlias).isDone());
    EXPECT_EQ(enabled(), (States{true, false, false, false, true}));

    // The same synchro database connected as In Synchro.
    ASSERT_TRUE(connectAs(Connection::InSynchro, synchroAlias).isDone());
    EXPECT_EQ(w.text(ctl::LSynchro1), "?");
    EXPECT_EQ(w.text(ctl::LSynchro2), synchroAlias);
    EXPECT_EQ(enabled(), (States{false, false, false, true, true}));

    // Triggers active: the read needs no switch, and "Make Triggers
    // Active" has nothing to do.
    makeDatabases({.trig = 0});
    ASSERT_TRUE(connectAs(Connection::InSynchro, synchroAlias).isDone());
    EXPECT_EQ(enabled(), (States{false, false, true, true, false}));
}

TEST_F(ExchangeButtons, ACancelledConnectionKeepsTheOpenOneAndDisconnectLetsEveryOneGo) {
    makeDatabases({});
    ASSERT_TRUE(connectAs(Connection::Local, localAlias).isDone());
    ASSERT_TRUE(connectAs(Connection::OutSynchro, synchroAlias).isDone());
    const std::string master = w.text(ctl::LMaster);
    ASSERT_NE(master, "?");

    // The alias dialog cancelled (Escape): nothing changes.
    whenModalOpens("fmAliases", [](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    w.SBConnectClick();
    EXPECT_TRUE(dm.UserDB().connected());
    EXPECT_EQ(w.text(ctl::LAlias), localAlias);
    EXPECT_EQ(w.text(ctl::LMaster), master);
    EXPECT_EQ(enabled(), (States{true, false, false, false, true}));

    // Database > Disconnect all: no file is held, nothing is offered.
    w.findChild<QAction*>("MenuDisconnect")->trigger();
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_FALSE(dm.SynchroDB().connected());
    EXPECT_EQ(w.text(ctl::LAlias), "?");
    EXPECT_EQ(w.text(ctl::LSynchro1), "?");
    EXPECT_EQ(enabled(), (States{false, false, false, false, false}));

    // Pressed anyway (a script, a stale window): said in the operator's words.
    ui.confirmAnswers = {true};
    EXPECT_FALSE(synchro::Success(dm.UserDB(), ui).isDone());
    EXPECT_EQ(ui.lastMessage(), "The Master/Clone database is not connected: connect it first.");

    // A database that never filled refuses "Success" and keeps its journal.
    makeDatabases({});
    local("delete from R$SYNCHRO where SynchroNumber > 0");
    local("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 7, \"D\", \"CUSTOMER\")");
    ui.confirmAnswers = {true};
    EXPECT_EQ(synchro::Success(dm.UserDB(), ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(localRows("select count(*) from R$DELETEDUPDATED"), (std::vector<std::string>{"1"}));
}

}  // namespace quorvel::test

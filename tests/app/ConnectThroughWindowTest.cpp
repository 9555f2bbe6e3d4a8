// The connect button driven through the real dialogs, as an operator does it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "QtTestSupport.h"
#include "app/DataGrid.h"
#include "app/fAliases.h"
#include "engine/Aliases.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class ConnectThroughWindow : public ::testing::Test, protected WithQtApp {
protected:
    ConnectThroughWindow() {
        ws.createDatabase("SHOP", "create table CUSTOMER (ID integer not null primary key);\n"
                                  "create table ORDERS (ID integer not null primary key);\n"
                                  "create generator GEN_CUST;\ncommit;\n");
        w.aliasDialog().showMessage = [this](const QString& m) { w.messages.push_back(m.toStdString()); };
    }
    ~ConnectThroughWindow() override { dm.UserDB().disconnect(); }

    // Picks `alias` in the alias dialog, then answers the login dialog.
    void answerDialogs(const char* alias, bool loginOk, const char* password = "") {
        whenModalOpens("fmAliases", [=](QWidget* aliases) {
            auto* list = aliases->findChild<QListWidget*>("LBAliases");
            auto found = list->findItems(alias, Qt::MatchExactly);
            if (!found.isEmpty()) list->setCurrentItem(found.first());
            // The login dialog opens inside the click; answer it when it does.
            whenModalOpens("fmLoginPrompt", [=](QWidget* login) {
                login->findChild<QLineEdit*>("EditPassword")->setText(password);
                login->findChild<QPushButton*>(loginOk ? "BitBtn1" : "BitBtn2")->click();
            });
            aliases->findChild<QPushButton*>("BtnOK")->click();
        });
    }

    Workspace ws;
    DM dm;
    ScriptedBrowser w{dm};
};

TEST_F(ConnectThroughWindow, ABareDatabaseIsConnectedAndItsListsFill) {
    answerDialogs("SHOP", true);
    w.SBConnectClick();
    ASSERT_TRUE(dm.UserDB().connected()) << (w.messages.empty() ? "" : w.messages.back());
    EXPECT_EQ(w.text("LAlias"), "SHOP");
    EXPECT_EQ(w.text("LPrepare"), "Create additional meta structures first.");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_EQ(w.statusPanel(1), "");
    EXPECT_TRUE(w.workAreaEnabled());
    auto* tables = w.grid("DBGTables")->model();
    while (tables->canFetchMore({})) tables->fetchMore({});
    EXPECT_EQ(tables->rowCount(), 2);
    EXPECT_GE(w.grid("DBGGens")->model()->rowCount(), 1);
}

TEST_F(ConnectThroughWindow, PreparingTheMasterFromItsPageFillsTheLists) {
    answerDialogs("SHOP", true);
    w.SBConnectClick();
    ASSERT_TRUE(dm.UserDB().connected());
    w.SBCreateMetaClick();
    EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    EXPECT_EQ(w.text("LPrepare"), "Prepare completed");
    EXPECT_EQ(w.text("LMaster"), "MASTER");
    EXPECT_FALSE(w.isEnabled("SBCreateMeta"));
    EXPECT_TRUE(w.isEnabled("SBEraseMeta"));
    EXPECT_FALSE(w.isVisible("PBar"));
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");

    auto* clones = w.grid("DBGClone")->model();
    while (clones->canFetchMore({})) clones->fetchMore({});
    ASSERT_EQ(clones->rowCount(), 1);
    EXPECT_EQ(clones->index(0, 0).data().toString(), "MASTER");

    // ">>" makes every listed table a working table; the right-hand grid shows them.
    w.SBAddAltttablesClick();
    auto* working = w.grid("DBGWorkingTables")->model();
    while (working->canFetchMore({})) working->fetchMore({});
    EXPECT_EQ(working->rowCount(), 2);
}

// The preparation's operations say only how they ended: the page's buttons,
// captions and bars follow from that.
TEST_F(ConnectThroughWindow, ThePreparationPagesFollowTheOutcomes) {
    answerDialogs("SHOP", true);
    w.SBConnectClick();
    ASSERT_TRUE(dm.UserDB().connected());
    w.SBCreateMetaClick();
    w.SBAddAltttablesClick();
    w.SBCreateTriggersClick();
    ASSERT_TRUE(w.messages.empty()) << w.messages.front();
    auto* history = w.grid("DBGSynchroHistory")->model();
    while (history->canFetchMore({})) history->fetchMore({});
    EXPECT_EQ(history->rowCount(), 1) << "the history starts at row 0";

    // Switching them off asks first; the read does not depend on it.
    w.answers = {true};
    w.SBInactiveTriggersClick();
    EXPECT_NE(w.questions.back().find("switches change capture off for every user"), std::string::npos);
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_EQ(w.text("LSAction"), "Make all triggers inactive");
    EXPECT_FALSE(w.isVisible("PBTrigger"));
    EXPECT_FALSE(w.isEnabled("SBInactiveTriggers"));
    EXPECT_FALSE(w.isEnabled("SBReadFromSynchro")) << "no In Synchro database";
    EXPECT_TRUE(w.isEnabled("SBActiveTriggers"));

    // Refused: the switches show the state the triggers are in.
    w.setEnabled(ctl::SBInactiveTriggers, true);
    w.answers = {true};
    w.SBInactiveTriggersClick();
    EXPECT_EQ(w.messages,
              std::vector<std::string>{"Triggers are inactive already: read from SYNCHRO, then make them active."});
    EXPECT_TRUE(w.enabledWhileMessageShown);
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_FALSE(w.isEnabled("SBInactiveTriggers"));
    EXPECT_TRUE(w.isEnabled("SBActiveTriggers"));

    w.SBActiveTriggersClick();
    EXPECT_EQ(w.text("LSAction"), "Make triggers active");
    EXPECT_FALSE(w.isEnabled("SBActiveTriggers"));
    EXPECT_TRUE(w.isEnabled("SBInactiveTriggers"));
    EXPECT_FALSE(w.isEnabled("SBReadFromSynchro")) << "keeps its state";

    // Answered No: nothing happens, the status stays.
    w.SBEraseMetaClick();
    EXPECT_EQ(w.questions.back(), "Erase now?");
    EXPECT_EQ(w.text("LPrepare"), "Prepare completed");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_TRUE(w.workAreaEnabled());

    w.answers.push_back(true);
    w.SBEraseMetaClick();
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
    EXPECT_EQ(w.text("LPrepare"), "Create additional meta structures first.");
    EXPECT_TRUE(w.isEnabled("SBCreateMeta"));
    EXPECT_FALSE(w.isEnabled("SBEraseMeta"));
    EXPECT_FALSE(w.isVisible("PBar"));
    EXPECT_FALSE(w.isVisible("LAction"));
    EXPECT_EQ(w.text("LMaster"), "");
    // The generator list, opened again, no longer offers the dropped ones.
    auto* gens = w.grid("DBGGens")->model();
    while (gens->canFetchMore({})) gens->fetchMore({});
    for (int row = 0; row < gens->rowCount(); ++row)
        EXPECT_FALSE(gens->index(row, 0).data().toString().startsWith("R$"));
}

TEST_F(ConnectThroughWindow, CancelledLoginLeavesTheDatabaseDisconnected) {
    answerDialogs("SHOP", false);
    w.SBConnectClick();
    EXPECT_FALSE(dm.UserDB().connected());
    EXPECT_EQ(w.text("LAlias"), "?");
    EXPECT_EQ(w.statusPanel(0), "   Status: No events");
    EXPECT_TRUE(w.workAreaEnabled());
}

TEST_F(ConnectThroughWindow, AFailedConnectionIsReportedAndTheWindowStaysUsable) {
    engine::Aliases::add("GONE", ws.path("missing.fdb"));
    answerDialogs("GONE", true);
    w.SBConnectClick();
    EXPECT_FALSE(dm.UserDB().connected());
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.back().rfind("Cannot connect to GONE: there is no database file at that path.", 0), 0u)
        << w.messages.back();
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_TRUE(w.workAreaEnabled());
}

}  // namespace
}  // namespace quorvel::test

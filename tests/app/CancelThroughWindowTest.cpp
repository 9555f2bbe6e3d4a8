// Cancel pressed in the window while a fill or a read copies many rows: the
// operation stops as after Ctrl+C in quorvel-cli and says what that left
// (a read: nothing applied, on its own page; a fill: the synchro database
// and the fill number as they were, another site's unread fill included),
// the window is usable again and Cancel is hidden until the next operation.
#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "QtTestSupport.h"
#include "app/Worker.h"
#include "support/ExchangeFixture.h"

namespace quorvel::test {

namespace {

class CancelThroughWindow : public WithQtApp, public ExchangeTest {
protected:
    // Far more rows than one progress step: the copy reports rows on the way.
    static std::string manyCustomers(int code1) {
        return "insert into CUSTOMER (ID, NAME, R$CODE1, R$CODE2) select N, 'row ' || N, " + std::to_string(code1) +
               ", 5000 + N from "
               "(select row_number() over () as N from RDB$TYPES a, RDB$TYPES b) where N <= 20000";
    }
    // Presses `button` and Cancel in the status bar as soon as it shows rows
    // copied; true when then the operation ran off the window's thread, and
    // Cancel was usable while the pages and menus were not.
    bool pressAndCancel(const char* button, ctl::Control action) {
        auto* cancel = window.findChild<QPushButton*>("SBCancel");
        EXPECT_FALSE(cancel->isVisible());
        EXPECT_TRUE(window.statusBar()->isAncestorOf(cancel));
        bool pressed = false, usableWhileWorking = false;
        QTimer presser;
        QObject::connect(&presser, &QTimer::timeout, [&] {
            if (pressed || window.statusPanel(1).find("rows") == std::string::npos) return;
            pressed = true;
            actionWhenPressed = window.text(action);
            usableWhileWorking = app::workerRunning() && !window.workAreaEnabled() && cancel->isVisible() &&
                                 cancel->isEnabled();
            cancel->click();
        });
        presser.start(0);
        auto* b = window.findChild<QPushButton*>(button);
        b->setEnabled(true);
        b->click();
        presser.stop();
        EXPECT_TRUE(pressed);
        EXPECT_TRUE(window.workAreaEnabled());
        EXPECT_FALSE(cancel->isVisible());
        return usableWhileWorking;
    }
    ScriptedBrowser window{dm};
    std::string actionWhenPressed;  // "Action:" as Cancel was pressed
};

TEST_F(CancelThroughWindow, ACancelledFillLeavesTheSynchroDatabaseAndTheFillNumberAsTheyWere) {
    makeDatabases({});
    local(manyCustomers(0));
    // WEST's fill no. 7, not read here yet, is in the synchro database.
    synchro(customer(1, "sent by WEST", 1, 101));
    synchro("insert into R$SENDER (SITENAME, SITENUMBER, FILLNUMBER, FORMAT) values ('WEST', 1, 7, 4)");
    local("set generator R$FILLNUMBER to 5");
    window.show();
    dm.ReopenSynchro();
    const int history = dm.QSynchro.recordCount();

    window.answers = {true};
    EXPECT_TRUE(pressAndCancel("SBFillSynchro", ctl::LFillAction));
    // The step in the operator's words, with how far the fill has come.
    EXPECT_EQ(actionWhenPressed, "Sending the new and changed rows (table 1 of 1, 0 % done)");
    EXPECT_EQ(window.questions.back(), "It holds WEST's fill no. 7. Replace it?");
    const std::string said = "Fill cancelled: the synchro database and the fill number are as they were.";
    EXPECT_EQ(window.messages, std::vector<std::string>{said}) << "no \"operation was cancelled\" beside it";
    EXPECT_EQ(window.text(ctl::LFillAction), said);
    EXPECT_EQ(window.status().face(), StatusFace::Sad);
    dm.ReopenSynchro();
    EXPECT_EQ(dm.QSynchro.recordCount(), history);
    EXPECT_EQ(synchroRows("select NAME from CUSTOMER"), std::vector<std::string>{"sent by WEST"});
    EXPECT_EQ(synchroRows("select SITENAME, FILLNUMBER from R$SENDER"), std::vector<std::string>{"WEST|7"});
    EXPECT_EQ(localRows("select gen_id(R$FILLNUMBER, 0) from RDB$DATABASE"), std::vector<std::string>{"5"});
    EXPECT_FALSE(window.findChild<QPushButton*>("SBSuccess")->isEnabled());

    // Nothing of the cancel is left over: the next fill runs through, as no. 6.
    window.messages.clear();
    window.answers = {true};
    window.findChild<QPushButton*>("SBFillSynchro")->click();
    EXPECT_TRUE(window.messages.empty()) << window.messages.front();
    EXPECT_EQ(synchroRows("select count(*) from CUSTOMER"), (std::vector<std::string>{"20000"}));
    EXPECT_EQ(synchroRows("select FILLNUMBER from R$SENDER"), std::vector<std::string>{"6"});
    EXPECT_EQ(window.text(ctl::LFillAction), "Done.");
}

TEST_F(CancelThroughWindow, ACancelledReadSaysNothingWasAppliedAndStaysOnItsPage) {
    makeDatabases({});
    synchro(manyCustomers(1));  // all above the sender's mark: new rows
    synchro("insert into R$SYNCHRO values (4, '2026-03-01', 1, 100)");
    window.show();
    auto* pages = window.findChild<QTabWidget*>("PCSynchronize");
    pages->setCurrentIndex(0);

    window.answers = {true};
    EXPECT_TRUE(pressAndCancel("SBReadFromSynchro", ctl::LSAction));
    EXPECT_EQ(actionWhenPressed, "Inserting the sender's new rows (table 1 of 1, 0 % done)");
    const std::string said = "Read cancelled: nothing was applied.";
    EXPECT_EQ(window.messages, std::vector<std::string>{said});
    EXPECT_EQ(window.text(ctl::LSAction), said);
    EXPECT_EQ(window.statusPanel(1), "  " + said);
    EXPECT_EQ(pages->currentWidget()->objectName().toStdString(), "TSReadSynchro");
    EXPECT_EQ(window.text(ctl::LCollisionTable), "") << "no collision to settle";
    EXPECT_EQ(localRows("select count(*) from CUSTOMER"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace quorvel::test

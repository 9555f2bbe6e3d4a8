// The page "Cloning" through the window on a real armed master: the new-clone
// dialog stays open on the bound the registration refused, the list follows
// a registration and a deletion, and the status follows the work begun.
#include <QLineEdit>
#include <QPushButton>

#include "QtTestSupport.h"
#include "support/ExchangeFixture.h"

namespace quorvel::test {

namespace {

class CloneThroughWindow : public ExchangeTest, protected WithQtApp {
protected:
    void SetUp() override {
        makeDatabases({});
        // A master takes clones only with the triggers of its working tables.
        local("create trigger R$9 for CUSTOMER active before insert position 0 as begin end");
        ASSERT_TRUE(w.connectWith(app::TfmBrowser::Connection::Local, {localAlias, "SYSDBA", ""}).isDone());
    }
    static void type(QWidget* dialog, const char* edit, const char* text) {
        dialog->findChild<QLineEdit*>(edit)->setText(text);
    }
    std::string current() { return dm.QClone.fieldByName("Name").asString(); }
    ScriptedBrowser w{dm};
};

}  // namespace

TEST_F(CloneThroughWindow, TheDialogStaysOnARefusedBoundThenTheListShowsTheNewClone) {
    std::string focusedAfterRefusal;
    bool openAfterRefusal = false;
    whenModalOpens("fmClone", [&](QWidget* d) {
        type(d, "EditName", "EAST");
        type(d, "EditMaxValue1", "2");  // above the range of the fixture's clone WEST
        type(d, "EditMaxValue2", "5x");
        d->findChild<QPushButton*>("BitBtn1")->click();
        openAfterRefusal = d->isVisible();
        if (auto* f = d->focusWidget()) focusedAfterRefusal = f->objectName().toStdString();
        type(d, "EditMaxValue2", "5");
        d->findChild<QPushButton*>("BitBtn1")->click();
    });
    w.SBNewCloneClick();
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(focusedAfterRefusal, "EditMaxValue2");
    EXPECT_EQ(w.messages, std::vector<std::string>{"Invalid number"});
    EXPECT_EQ(current(), "EAST") << "the list shows the new clone";
    EXPECT_EQ(localRows("select Number from R$CLONE where Name = \"EAST\""), std::vector<std::string>{"2"});
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.") << "registering is not shown as work";

    // Deleting it: confirmed, the work shown, its number and range retired.
    w.answers = {true};
    w.SBDelCloneClick();
    EXPECT_EQ(w.questions.back(), "Delete now?");
    EXPECT_EQ(localRows("select Number, ME from R$CLONE where Name = \"~2 EAST\""), std::vector<std::string>{"2|R"});
    EXPECT_EQ(current(), "MASTER");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");
}

TEST_F(CloneThroughWindow, AnUpdateWithoutACloneDatabaseEndsInTheErrorState) {
    w.SBUpdateCloneGensClick();  // the list's current row is MASTER; no clone connected
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_TRUE(w.QMainWindow::isEnabled());
}

}  // namespace quorvel::test

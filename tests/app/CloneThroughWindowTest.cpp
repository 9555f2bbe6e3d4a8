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

TEST_F(CloneThroughWindow, TheDialogStaysOnARefusedEntryThenOnlyTheNewCloneMayBeDeleted) {
    // Each refusal keeps the dialog open with what was typed, on the edit to correct.
    std::vector<std::string> afterRefusals;
    whenModalOpens("fmClone", [&](QWidget* d) {
        auto ok = [&] {
            d->findChild<QPushButton*>("BitBtn1")->click();
            auto* f = d->focusWidget();
            afterRefusals.push_back((d->isVisible() ? "open on " : "closed on ") +
                                    (f ? f->objectName().toStdString() : std::string("nothing")) + " with " +
                                    d->findChild<QLineEdit*>("EditMaxValue2")->text().toStdString());
        };
        type(d, "EditName", "WEST");  // the fixture's clone
        type(d, "EditMaxValue1", "2");  // above the range of WEST
        type(d, "EditMaxValue2", "5");
        ok();
        type(d, "EditName", "EAST");
        type(d, "EditMaxValue2", "5x");
        ok();
        type(d, "EditMaxValue2", "5");
        d->findChild<QPushButton*>("BitBtn1")->click();
    });
    w.SBNewCloneClick();
    EXPECT_EQ(afterRefusals, (std::vector<std::string>{"open on EditName with 5", "open on EditMaxValue2 with 5x"}));
    EXPECT_EQ(w.messages, (std::vector<std::string>{"A site named WEST is registered already (number 1): give the "
                                                    "new clone another name. Nothing was registered.",
                                                    "Invalid number"}));
    EXPECT_EQ(current(), "EAST") << "the list shows the new clone";
    EXPECT_EQ(localRows("select Number from R$CLONE where Name = \"EAST\""), std::vector<std::string>{"2"});
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.") << "registering is not shown as work";

    // Deleting it: the question names it, the work is shown, its number and range retired.
    EXPECT_TRUE(w.isEnabled(ctl::SBDelClone));
    w.answers = {true};
    w.SBDelCloneClick();
    EXPECT_EQ(w.questions.back().rfind("Delete the clone EAST (number 2, record codes up to (2, 5))?", 0), 0u)
        << w.questions.back();
    EXPECT_TRUE(w.questions.back().ends_with("\n\nDelete now?"));
    EXPECT_EQ(localRows("select Number, ME from R$CLONE where Name = \"~2 EAST\""), std::vector<std::string>{"2|R"});
    EXPECT_EQ(current(), "MASTER");
    EXPECT_EQ(w.statusPanel(0), "   Status: OK.");

    // The master's own row cannot be deleted: the button is off, and the
    // operation refuses without asking.
    EXPECT_FALSE(w.isEnabled(ctl::SBDelClone));
    const std::size_t asked = w.questions.size();
    w.answers = {true};
    w.SBDelCloneClick();
    EXPECT_EQ(w.questions.size(), asked);
    EXPECT_EQ(w.messages.back(), "MASTER is this database itself: it is no clone to delete.");
    EXPECT_EQ(localRows("select ME from R$CLONE where Name = \"MASTER\""), std::vector<std::string>{"Y"});
}

TEST_F(CloneThroughWindow, AnUpdateWithoutACloneDatabaseEndsInTheErrorState) {
    w.SBUpdateCloneGensClick();  // the list's current row is MASTER; no clone connected
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
    EXPECT_TRUE(w.workAreaEnabled());
}

}  // namespace quorvel::test

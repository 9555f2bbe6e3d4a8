// The window's own message and question boxes: usable even while an
// operation has the window disabled, and answering as the buttons say.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "QtTestSupport.h"
#include "app/WidgetKit.h"

namespace quorvel::test {
namespace {

class MessageBoxes : public ::testing::Test, protected WithQtApp {
protected:
    DM dm;
    app::TfmBrowser w{dm};  // the real boxes, not the scripted ones

    static void press(QWidget* box, QMessageBox::StandardButton which) {
        static_cast<QMessageBox*>(box)->button(which)->click();
    }
};

TEST_F(MessageBoxes, AMessageDuringAnOperationCanBeDismissed) {
    w.show();
    w.setWorking();
    bool boxEnabled = false;
    QString text;
    whenModalOpens("MessageBox", [&](QWidget* box) {
        boxEnabled = box->isEnabled();
        text = static_cast<QMessageBox*>(box)->text();
        press(box, QMessageBox::Ok);
    });
    w.showMessage("Incorrect User Name or Password: no such file");
    EXPECT_TRUE(boxEnabled);
    EXPECT_EQ(text, "Incorrect User Name or Password: no such file");
    w.setError();
}

TEST_F(MessageBoxes, ConfirmationIsTrueOnlyForYes) {
    // Enter answers No: a question that deletes or replaces is never
    // answered Yes by a hasty key. Every box has its icon.
    bool noIsDefault = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalOpens("ConfirmBox", [&](QWidget* box) {
        auto* b = static_cast<QMessageBox*>(box);
        noIsDefault = b->defaultButton() == b->button(QMessageBox::No);
        icon = b->icon();
        press(box, QMessageBox::Yes);
    });
    EXPECT_TRUE(w.confirm("Delete now?"));
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(icon, QMessageBox::Question);
    for (const auto& [say, expected] : {std::pair{&app::TfmBrowser::notice, QMessageBox::Information},
                                        std::pair{&app::TfmBrowser::error, QMessageBox::Warning}}) {
        whenModalOpens("MessageBox", [&icon](QWidget* box) {
            icon = static_cast<QMessageBox*>(box)->icon();
            press(box, QMessageBox::Ok);
        });
        (w.*say)("Nothing was changed.");
        EXPECT_EQ(icon, expected);
    }
    whenModalOpens("ConfirmBox", [](QWidget* box) { press(box, QMessageBox::No); });
    EXPECT_FALSE(w.confirm("Delete now?"));
    whenModalOpens("ConfirmBox", [](QWidget* box) { static_cast<QMessageBox*>(box)->reject(); });
    EXPECT_FALSE(w.confirm("Copy now?"));
}

TEST_F(MessageBoxes, ABoxShownWhileADialogIsOpenBelongsToTheDialog) {
    w.show();
    QWidget* dialog = nullptr;
    QWidget* owner = nullptr;
    whenModalOpens("fmClone", [&](QWidget* d) {
        dialog = d;
        whenModalOpens("MessageBox", [&](QWidget* box) {
            owner = box->parentWidget();
            press(box, QMessageBox::Ok);
        });
        d->findChild<QPushButton*>("BitBtn1")->click();
    });
    EXPECT_TRUE(w.cloneDialog([&](const clone::CloneEntry&) {
        w.showMessage("Invalid number");
        return std::string();
    }));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(owner, dialog) << "owned by the main window, the box opens behind the dialog";

    // Once the dialog is closed, boxes belong to the window again.
    whenModalOpens("MessageBox", [&](QWidget* box) {
        owner = box->parentWidget();
        press(box, QMessageBox::Ok);
    });
    w.showMessage("List is empty!");
    EXPECT_EQ(owner, &w);
}

TEST(FileFilters, DialogFiltersReadAsQtWritesThem) {
    EXPECT_EQ(app::qtFileFilter("DDL files|*.ddl|SQL files|*.sql|TXT files|*.txt|ALL files|*.*"),
              "DDL files (*.ddl);;SQL files (*.sql);;TXT files (*.txt);;ALL files (*.*)");
    EXPECT_EQ(app::qtFileFilter("Text|*.txt|All|*.*"), "Text (*.txt);;All (*.*)");
    EXPECT_EQ(app::qtFileFilter("Pictures|*.png;*.bmp"), "Pictures (*.png *.bmp)");
    EXPECT_EQ(app::qtFileFilter(""), "");
}

}  // namespace
}  // namespace quorvel::test

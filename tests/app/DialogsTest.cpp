// The alias, login, new-clone and About dialogs, driven as the operator would.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <stdexcept>

#include "QtTestSupport.h"
#include "support/Workspace.h"
#include "app/about_un.h"
#include "app/fClone.h"
#include "app/fAliases.h"
#include "app/fLoginPrompt.h"
#include "engine/Aliases.h"

namespace quorvel::test {
namespace {

template <class T>
T* child(QWidget* w, const char* name) {
    return w ? w->findChild<T*>(name) : nullptr;
}

void click(QWidget* w, const char* button) {
    auto* b = child<QPushButton>(w, button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

class Dialogs : public ::testing::Test, protected WithQtApp {
protected:
    Workspace ws;  // its own, empty alias file
    DM dm;
    ScriptedBrowser w{dm};
};

TEST_F(Dialogs, AliasDialogListsTheAliasesAndRemembersTheChoice) {
    engine::Aliases::add("WEST", "/data/west.fdb");
    engine::Aliases::add("EAST", "/data/east.fdb", {"USER NAME=SYSDBA"});
    auto& dialog = w.aliasDialog();
    dialog.showMessage = [](const QString& m) { ADD_FAILURE() << m.toStdString(); };
    EXPECT_EQ(dialog.windowTitle(), "Connect to DataBase");
    EXPECT_EQ(dialog.size(), QSize(556, 361));

    QStringList listed;
    QString params;
    whenModalOpens("fmAliases", [&](QWidget* d) {
        auto* list = child<QListWidget>(d, "LBAliases");
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        params = child<QPlainTextEdit>(d, "MParams")->toPlainText();
        list->setCurrentRow(1);
        click(d, "BtnOK");
    });
    EXPECT_EQ(w.chooseAlias(), std::optional<std::string>("WEST"));
    EXPECT_EQ(listed, QStringList({"EAST", "WEST"}));
    EXPECT_EQ(params, "SERVER NAME=/data/east.fdb\nUSER NAME=SYSDBA");

    // Cancel answers nothing and forgets nothing.
    QString paramsOnSecondShow;
    whenModalOpens("fmAliases", [&](QWidget* d) {
        paramsOnSecondShow = child<QPlainTextEdit>(d, "MParams")->toPlainText();
        click(d, "BtnCancel");
    });
    EXPECT_EQ(w.chooseAlias(), std::nullopt);
    EXPECT_EQ(paramsOnSecondShow, "SERVER NAME=/data/east.fdb\nUSER NAME=SYSDBA");
    EXPECT_EQ(dialog.chosenAlias(), "WEST");
}

TEST_F(Dialogs, WithoutAliasesTheDialogSaysHowToAddOne) {
    auto& dialog = w.aliasDialog();
    QStringList shown;
    dialog.showMessage = [&](const QString& m) { shown << m; };
    whenModalOpens("fmAliases", [&](QWidget* d) { click(d, "BtnOK"); });
    // Still closes with OK; no alias was ever chosen.
    EXPECT_EQ(w.chooseAlias(), std::optional<std::string>(""));
    ASSERT_EQ(shown.size(), 2);  // on opening and again on "Connect"
    EXPECT_TRUE(shown[0].contains("No database alias is configured"));
    EXPECT_TRUE(shown[0].contains("quorvel-cli aliases add NAME DATABASE"));
    EXPECT_EQ(shown[1], shown[0]);
}

TEST_F(Dialogs, LoginKeepsTheUserNameAndAlwaysAsksForThePassword) {
    auto& dialog = w.loginDialog();
    EXPECT_EQ(dialog.windowTitle(), "Login");
    EXPECT_EQ(dialog.size(), QSize(268, 164));
    EXPECT_EQ(child<QLabel>(&dialog, "LAlias")->text(), "None");
    EXPECT_EQ(child<QLineEdit>(&dialog, "EditPassword")->echoMode(), QLineEdit::Password);

    QString aliasShown, userShown;
    bool passwordFocused = false;
    whenModalOpens("fmLoginPrompt", [&](QWidget* d) {
        aliasShown = child<QLabel>(d, "LAlias")->text();
        userShown = child<QLineEdit>(d, "EditUserName")->text();
        passwordFocused = d->focusWidget() == child<QLineEdit>(d, "EditPassword");
        child<QLineEdit>(d, "EditUserName")->setText("operator");
        child<QLineEdit>(d, "EditPassword")->setText("secret");
        click(d, "BitBtn1");
    });
    std::string user, password;
    ASSERT_TRUE(w.login("EAST", user, password));
    EXPECT_EQ(aliasShown, "EAST");
    EXPECT_EQ(userShown, "SYSDBA");
    EXPECT_TRUE(passwordFocused);
    EXPECT_EQ(user, "operator");
    EXPECT_EQ(password, "secret");

    QString passwordOnSecondShow = "not read";
    whenModalOpens("fmLoginPrompt", [&](QWidget* d) {
        userShown = child<QLineEdit>(d, "EditUserName")->text();
        passwordOnSecondShow = child<QLineEdit>(d, "EditPassword")->text();
        click(d, "BitBtn2");
    });
    EXPECT_FALSE(w.login("WEST", user, password));
    EXPECT_EQ(userShown, "operator");
    EXPECT_EQ(passwordOnSecondShow, "");
}

TEST_F(Dialogs, NewCloneDialogStaysOpenOnARefusedValue) {
    auto& dialog = w.cloneDialogWindow();
    EXPECT_EQ(dialog.windowTitle(), "New CLONE ");
    std::vector<clone::CloneEntry> seen;
    QString selected;
    bool focused = false;
    whenModalOpens("fmClone", [&](QWidget* d) {
        child<QLineEdit>(d, "EditName")->setText("EAST");
        child<QLineEdit>(d, "EditMaxValue1")->setText("1");
        child<QLineEdit>(d, "EditMaxValue2")->setText("12a");
        click(d, "BitBtn1");  // refused: the dialog is still there
        auto* edit = child<QLineEdit>(d, "EditMaxValue2");
        selected = edit->selectedText();
        focused = d->focusWidget() == edit;
        edit->setText("500");
        click(d, "BitBtn1");
    });
    const bool ok = w.cloneDialog([&](const clone::CloneEntry& e) {
        seen.push_back(e);
        return e.maxValue2 == "12a" ? std::string("EditMaxValue2") : std::string();
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(selected, "12a");
    EXPECT_TRUE(focused);
    EXPECT_EQ(seen[1].name, "EAST");
    EXPECT_EQ(seen[1].maxValue1, "1");
    EXPECT_EQ(seen[1].maxValue2, "500");

    // The texts are still there the next time; Cancel runs nothing.
    clone::CloneEntry kept;
    whenModalOpens("fmClone", [&](QWidget* d) {
        kept = {child<QLineEdit>(d, "EditName")->text().toStdString(),
                child<QLineEdit>(d, "EditMaxValue1")->text().toStdString(),
                child<QLineEdit>(d, "EditMaxValue2")->text().toStdString()};
        click(d, "BitBtn2");
    });
    EXPECT_FALSE(w.cloneDialog([&](const clone::CloneEntry& e) {
        seen.push_back(e);
        return std::string();
    }));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(kept.maxValue2, "500");
}

TEST_F(Dialogs, AFailureInsideTheNewCloneDialogReachesTheOperationsHandler) {
    whenModalOpens("fmClone", [&](QWidget* d) { click(d, "BitBtn1"); });
    w.runOperation([&](DM&, Frontend&) {
        w.cloneDialog([](const clone::CloneEntry&) -> std::string {
            throw std::runtime_error("violation of PRIMARY or UNIQUE KEY constraint");
        });
    });
    EXPECT_FALSE(w.cloneDialogWindow().isVisible());
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.back(), "violation of PRIMARY or UNIQUE KEY constraint");
    EXPECT_EQ(w.statusPanel(0), "   Status: Error!");
}

TEST_F(Dialogs, AboutBoxShowsNameAndVersion) {
    auto& about = w.aboutBox();
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.size(), QSize(403, 293));
    auto* name = child<QLabel>(&about, "ProductName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Quorvel");
    EXPECT_TRUE(name->font().bold());
    EXPECT_TRUE(name->font().italic());
    EXPECT_EQ(name->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(child<QLabel>(&about, "Version")->text(), "Version 1.0");
    EXPECT_EQ(child<QLabel>(&about, "ProgramIcon")->pixmap().size(), QSize(105, 105));
    whenModalOpens("AboutBox", [&](QWidget* d) { click(d, "OKButton"); });
    w.About1Click();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace quorvel::test

// Cancel pressed in the window while a fill copies many rows: the fill stops
// with "operation was cancelled" as after Ctrl+C in quorvel-cli, the synchro
// database keeps nothing of it, the window is usable again and Cancel is
// hidden until the next operation.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "QtTestSupport.h"
#include "support/ExchangeFixture.h"

namespace quorvel::test {

namespace {

class CancelThroughWindow : public WithQtApp, public ExchangeTest {
protected:
    ScriptedBrowser window{dm};
};

TEST_F(CancelThroughWindow, CancelDuringAFillRollsItBackAndFreesTheWindow) {
    makeDatabases({});
    // Far more rows than one progress step: the fill breathes on the way.
    local("insert into CUSTOMER (ID, NAME, R$CODE1, R$CODE2) select N, 'row ' || N, 0, 5000 + N from "
          "(select row_number() over () as N from RDB$TYPES a, RDB$TYPES b) where N <= 20000");
    window.show();
    dm.ReopenSynchro();
    const int history = dm.QSynchro.recordCount();
    auto* cancel = window.findChild<QPushButton*>("SBCancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isVisible());

    // Pressed as soon as the fill shows rows copied: the window itself is
    // disabled then, Cancel is not.
    bool pressed = false, usableWhileWorking = false;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (pressed || window.statusPanel(1).find("rows") == std::string::npos) return;
        pressed = true;
        usableWhileWorking = !window.isEnabled() && cancel->isVisible() && cancel->isEnabled();
        cancel->click();
    });
    presser.start(0);
    auto* fill = window.findChild<QPushButton*>("SBFillSynchro");
    fill->setEnabled(true);
    fill->click();
    presser.stop();

    ASSERT_TRUE(pressed);
    EXPECT_TRUE(usableWhileWorking);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("operation was cancelled"), std::string::npos) << window.messages.back();
    EXPECT_EQ(window.status().face(), StatusFace::Sad);
    dm.ReopenSynchro();
    EXPECT_EQ(dm.QSynchro.recordCount(), history);
    EXPECT_EQ(synchroRows("select count(*) from CUSTOMER"), (std::vector<std::string>{"0"}));
    EXPECT_FALSE(window.findChild<QPushButton*>("SBSuccess")->isEnabled());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(cancel->isVisible());

    // Nothing of the cancel is left over: the next fill runs through.
    window.messages.clear();
    fill->setEnabled(true);
    fill->click();
    EXPECT_TRUE(window.messages.empty()) << window.messages.front();
    EXPECT_EQ(synchroRows("select count(*) from CUSTOMER"), (std::vector<std::string>{"20000"}));
}

}  // namespace
}  // namespace quorvel::test

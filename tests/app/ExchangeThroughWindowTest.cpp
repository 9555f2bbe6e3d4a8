// The exchange pressed through the window: the fill adds a history row and
// enables "Success"; a read that collides brings up the collision page with
// the failing table on both sides, and the window stays usable.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>

#include "QtTestSupport.h"
#include "support/ExchangeFixture.h"

namespace quorvel::test {

namespace {

class ExchangeThroughWindow : public WithQtApp, public ExchangeTest {
protected:
    void press(const char* button) {
        auto* b = window.findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->setEnabled(true);
        b->click();
        QApplication::processEvents();
    }
    void shoot(const QString& name) {
        const char* dir = std::getenv("QUORVEL_SCREENSHOT_DIR");
        if (!dir || !*dir) return;
        QDir().mkpath(dir);
        window.grab().save(QString(dir) + "/" + name + ".png");
    }

    ScriptedBrowser window{dm};
};

}  // namespace

TEST_F(ExchangeThroughWindow, FillThenACollidingReadShowsBothSidesOfTheCollision) {
    makeDatabases({});
    local(customer(1, "inserted here", 0, 5001));
    window.show();
    dm.ReopenSynchro();
    const int history = dm.QSynchro.recordCount();

    press("SBFillSynchro");
    EXPECT_TRUE(window.messages.empty()) << window.messages.front();
    EXPECT_EQ(dm.QSynchro.recordCount(), history + 1);
    EXPECT_TRUE(window.findChild<QPushButton*>("SBSuccess")->isEnabled());
    EXPECT_TRUE(window.isEnabled());

    // Another site inserted the same key: the synchro database now says so.
    synchro("delete from CUSTOMER");
    synchro(customer(1, "inserted there too", 1, 102));
    synchro("update R$SYNCHRO set R$CODE1 = 1, R$CODE2 = 100");
    synchro("update R$SENDER set SITENAME = 'WEST'");
    window.answers = {true};
    press("SBReadFromSynchro");
    ASSERT_EQ(window.questions.back(), "You HAVE TO make triggers inactive! Read now?");
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("PRIMARY"), std::string::npos) << window.messages.back();
    auto* pages = window.findChild<QTabWidget*>("PCSynchronize");
    EXPECT_EQ(pages->currentWidget()->objectName().toStdString(), "TSCollision");
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(dm.TMaster.tableName(), "CUSTOMER");
    EXPECT_TRUE(dm.QSynchro6.active());
    EXPECT_EQ(localRows("select NAME from CUSTOMER"), (std::vector<std::string>{"inserted here"}));
    shoot("TSCollision-after-read");
}

}  // namespace quorvel::test

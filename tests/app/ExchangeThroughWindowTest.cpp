// The exchange pressed through the window: the fill adds a history row,
// enables "Success" and says what it sent; a read that collides brings up the
// collision page with the failing table on both sides, says that nothing was
// applied, and the window stays usable; the collision page's buttons settle
// a collision on the right rows only.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QLabel>

#include "QtTestSupport.h"
#include "synchro/Operations.h"
#include "app/DataNavigator.h"
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
    EXPECT_EQ(window.statusPanel(1), "  Fill done: 1 rows sent (CUSTOMER 1), 0 journal entries.");
    EXPECT_EQ(dm.QSynchro.recordCount(), history + 1);
    EXPECT_TRUE(window.findChild<QPushButton*>("SBSuccess")->isEnabled());
    EXPECT_TRUE(window.workAreaEnabled());
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");

    // "Success" declined leaves the fill's button; done, the window takes it away.
    auto* fill = window.findChild<QPushButton*>("SBFillSynchro");
    window.answers = {false};
    press("SBSuccess");
    EXPECT_TRUE(fill->isEnabled());
    window.answers = {true};
    press("SBSuccess");
    // The question says first that only what every site has read goes.
    EXPECT_EQ(window.questions.back().rfind("\"Success\" removes from the journal only what every site has read.", 0), 0u)
        << window.questions.back();
    EXPECT_TRUE(window.questions.back().ends_with("\n\nAre you sure?")) << window.questions.back();
    EXPECT_FALSE(fill->isEnabled());
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");

    // Another site inserted the same key: the synchro database now says so.
    synchro("delete from CUSTOMER");
    synchro(customer(1, "inserted there too", 1, 102));
    synchro("update R$SYNCHRO set R$CODE1 = 1, R$CODE2 = 100");
    synchro("update R$SENDER set SITENAME = 'WEST', SITENUMBER = 1");
    window.answers = {true};
    press("SBReadFromSynchro");
    ASSERT_EQ(window.questions.back(), "You HAVE TO make triggers inactive! Read now?");
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("PRIMARY"), std::string::npos) << window.messages.back();
    auto* pages = window.findChild<QTabWidget*>("PCSynchronize");
    EXPECT_EQ(pages->currentWidget()->objectName().toStdString(), "TSCollision");
    EXPECT_TRUE(window.workAreaEnabled());
    EXPECT_EQ(dm.TMaster.tableName(), "CUSTOMER");
    EXPECT_TRUE(dm.QSynchro6.active());
    EXPECT_EQ(localRows("select NAME from CUSTOMER"), (std::vector<std::string>{"inserted here"}));
    EXPECT_EQ(window.statusPanel(1), "  Nothing was applied: the read stopped on CUSTOMER (INSERT pass).");
    EXPECT_EQ(window.statusPanel(0), "   Status: Error!");
    // The grids come from the read's report: the failing sent row, the local row with its key.
    EXPECT_EQ(dm.QSynchro6.fieldByName("NAME").asString(), "inserted there too");
    EXPECT_EQ(dm.TMaster.fieldByName("NAME").asString(), "inserted here");
    shoot("TSCollision-after-read");
}

// The read runs with the replication triggers on: its button does not wait
// for "Make Triggers Inactive", its question says what fires, and the
// triggers are on after it as before. Switching them off asks first, saying
// that nobody's changes are captured then.
TEST_F(ExchangeThroughWindow, AReadRunsWithTheTriggersOnAndSwitchingThemOffAsksFirst) {
    makeDatabases({.trig = 0});
    local("update R$SCHEMA set TRIGGERS = 2");
    local("create generator AUDITED");
    local("create trigger AUDIT_CUSTOMER for CUSTOMER after insert as declare n integer; "
          "begin n = gen_id(AUDITED, 1); end");
    synchro(customer(5, "sent by WEST", 1, 105));
    synchro("insert into R$SYNCHRO values (4, '2026-03-01', 1, 100)");
    using Connection = app::TfmBrowser::Connection;
    ASSERT_TRUE(window.connectWith(Connection::Local, {localAlias, "SYSDBA", ""}).isDone());
    ASSERT_TRUE(window.connectWith(Connection::InSynchro, {synchroAlias, "SYSDBA", ""}).isDone());
    window.show();
    EXPECT_TRUE(window.isEnabled(ctl::SBReadFromSynchro));
    EXPECT_TRUE(window.isEnabled(ctl::SBInactiveTriggers));
    EXPECT_FALSE(window.isEnabled(ctl::SBActiveTriggers));

    window.answers = {true};
    window.findChild<QPushButton*>("SBReadFromSynchro")->click();
    EXPECT_EQ(window.questions.back(), "Other users may keep working during the read. Your own triggers on the "
                                       "working tables are active and fire for the rows it applies. Read now?");
    EXPECT_TRUE(window.messages.empty()) << window.messages.front();
    EXPECT_EQ(localRows("select NAME from CUSTOMER"), std::vector<std::string>{"sent by WEST"});
    EXPECT_EQ(localRows("select gen_id(AUDITED, 0), gen_id(R$TRIG, 0) from RDB$DATABASE"),
              std::vector<std::string>{"1|0"});
    EXPECT_EQ(window.statusPanel(1), "  Read done: 1 inserted, 0 updated, 0 deleted.");
    EXPECT_TRUE(window.isEnabled(ctl::SBReadFromSynchro));
    // The log's page shows the read, newest first.
    auto* main = window.findChild<QTabWidget*>("PCMain");
    main->setCurrentWidget(window.findChild<QWidget*>("TSLog"));
    ASSERT_TRUE(dm.QLog.active());
    EXPECT_EQ(dm.QLog.fieldByName("ACTION").asString(), "read");
    EXPECT_EQ(dm.QLog.fieldByName("OUTCOME").asString(), "done");

    window.answers = {false};
    window.findChild<QPushButton*>("SBInactiveTriggers")->click();
    EXPECT_NE(window.questions.back().find("switches change capture off for every user"), std::string::npos)
        << window.questions.back();
    EXPECT_EQ(localRows("select gen_id(R$TRIG, 0) from RDB$DATABASE"), std::vector<std::string>{"0"});
    EXPECT_TRUE(window.isEnabled(ctl::SBInactiveTriggers));
    EXPECT_EQ(window.statusPanel(1), "  Read done: 1 inserted, 0 updated, 0 deleted.") << "a question declined changes nothing";

    // Guarded, the user's trigger skips the rows a read applies.
    window.answers = {true};
    window.findChild<QPushButton*>("SBGuardTriggers")->click();
    EXPECT_NE(window.questions.back().find("AUDIT_CUSTOMER (CUSTOMER)"), std::string::npos) << window.questions.back();
    EXPECT_EQ(localRows("select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME = 'AUDIT_CUSTOMER' and "
                        "RDB$TRIGGER_SOURCE containing 'R$READING'"),
              std::vector<std::string>{"1"});
}

// "Exchange by Packages" asks for the two folders, proposing those
// remembered for the database, and runs the exchange: this fixture's
// database has no set key, so the send says how to get one.
TEST_F(ExchangeThroughWindow, AnExchangeByPackagesAsksForTheFoldersAndRemembersThem) {
    makeDatabases({});
    const QString in = QDir(QString::fromStdString(ws.dir())).filePath("in"),
                  out = QDir(QString::fromStdString(ws.dir())).filePath("out");
    ASSERT_TRUE(QDir().mkpath(in) && QDir().mkpath(out));
    ASSERT_TRUE(window.connectWith(app::TfmBrowser::Connection::Local, {localAlias, "SYSDBA", ""}).isDone());
    window.show();
    ASSERT_TRUE(window.isEnabled(ctl::SBExchangePackages));

    window.inputs = {in.toStdString(), out.toStdString()};
    window.findChild<QPushButton*>("SBExchangePackages")->click();
    EXPECT_EQ(window.proposed, (std::vector<std::string>{"", ""}));
    ASSERT_FALSE(window.messages.empty());
    EXPECT_NE(window.messages.back().find("key import"), std::string::npos) << window.messages.back();
    EXPECT_EQ(window.statusPanel(1), "  Exchange: 0 read, 0 refused, 0 left; nothing sent.");

    window.proposed.clear();
    window.findChild<QPushButton*>("SBExchangePackages")->click();  // cancelled at the first box
    EXPECT_EQ(window.proposed, (std::vector<std::string>{in.toStdString()}));
}

// The list of sites shows, once the master is connected, each registered
// clone with the last of its fills read here and the last master fill it read.
TEST_F(ExchangeThroughWindow, TheSitesListShowsEachPeerAfterConnecting) {
    makeDatabases({});
    // The fixture's clone WEST has read this site's fills up to 3.
    local("update R$PEERS set LASTREAD = 4, LASTREADDATE = '2026-12-01', ACKNOWLEDGED = 6, "
          "ACKNOWLEDGEDDATE = '2026-12-02'");
    local("set generator R$FILLNUMBER to 7");
    ASSERT_TRUE(window.connectWith(app::TfmBrowser::Connection::Local, {localAlias, "SYSDBA", ""}).isDone());

    EXPECT_EQ(window.findChild<QLabel*>("LPeers")->text().toStdString(), "Sites (this site's last fill: 7)");
    auto* grid = window.findChild<QTableWidget*>("GPeers");
    ASSERT_EQ(grid->rowCount(), 1);
    std::vector<std::string> line;
    for (int c = 0; c < grid->columnCount(); ++c) line.push_back(grid->item(0, c)->text().toStdString());
    EXPECT_EQ(line, (std::vector<std::string>{"WEST", "4 (2026-12-01)", "6 (2026-12-02)"}));
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    window.show();
    window.findChild<QTabWidget*>("PCMain")->setCurrentIndex(3);
    shoot("TSFillSynchro-sites");
}

// Two sites inserted customer 1; the local grid shows other rows as well.
TEST_F(ExchangeThroughWindow, CopyWritesOnlyOverTheLocalRowWithTheSynchroKey) {
    makeDatabases({});
    local(customer(1, "Netherlands here", 0, 4001));
    local(customer(2, "Portugal", 0, 4002));
    synchro(customer(1, "Netherlands there", 1, 102));
    synchro("insert into R$SYNCHRO values (4, \"2026-03-01\", 1, 100)");
    window.show();
    window.answers = {true};
    press("SBReadFromSynchro");
    ASSERT_EQ(dm.TMaster.tableName(), "CUSTOMER");
    // The failed insert is gone: no pending row, no second row with key 1.
    EXPECT_EQ(dm.TMaster.state(), engine::DataSetState::Browse);
    EXPECT_EQ(dm.TMaster.recordCount(), 2);
    EXPECT_NE(window.text("LCollisionTable").find("CUSTOMER"), std::string::npos);
    EXPECT_TRUE(window.isEnabled("SBCopyNaturalKey"));
    EXPECT_FALSE(window.isEnabled("SBDropDeleteEntry"));

    // Portugal selected on the local side: the copy still goes over customer 1.
    dm.TMaster.moveTo(1);
    const int synchroRow = dm.QSynchro6.currentRow();
    window.answers = {true};
    press("SBCopyNaturalKey");
    const std::string question = window.questions.back();
    EXPECT_NE(question.find("Netherlands there"), std::string::npos) << question;
    EXPECT_NE(question.find("Netherlands here"), std::string::npos) << question;
    EXPECT_EQ(localRows("select ID, NAME, R$CODE2 from CUSTOMER order by ID"),
              (std::vector<std::string>{"1|Netherlands there|4001", "2|Portugal|4002"}));
    EXPECT_EQ(dm.QSynchro6.currentRow(), synchroRow);
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");
    EXPECT_NE(window.messages.back().find("Copied"), std::string::npos) << window.messages.back();

    // The synchro row is shown, never edited: its navigator only moves.
    auto* nav = window.findChild<app::DataNavigator*>("DBNCollisionSynchro");
    EXPECT_TRUE(nav->button(app::DataNavigator::Delete)->isHidden());
    window.setError();
    window.answers = {true};
    press("SBPassOverSynchroRow");
    EXPECT_EQ(synchroRows("select ID from CUSTOMER"), std::vector<std::string>{"1"});
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");
    EXPECT_NE(window.messages.back().find("The master keeps its"), std::string::npos) << window.messages.back();
    synchro("delete from CUSTOMER");

    // No local row holds the key: refused, nothing written.
    synchro(customer(3, "Spain there", 1, 103));
    dm.QSynchro6.close();
    dm.QSynchro6.setSql("select * from CUSTOMER");
    dm.QSynchro6.open();
    window.answers = {true};
    press("SBCopyNaturalKey");
    EXPECT_NE(window.messages.back().find("no row of CUSTOMER with the key (3)"), std::string::npos)
        << window.messages.back();
    EXPECT_EQ(localRows("select NAME from CUSTOMER order by ID"),
              (std::vector<std::string>{"Netherlands there", "Portugal"}));
}

// The clone deleted customer 7; here an order refers to it: the read stops
// in its DELETE pass.
TEST_F(ExchangeThroughWindow, AReadStoppedDeletingShowsTheDEntriesAndDroppingOneSettlesIt) {
    makeDatabases({}, "create table ORDERS (ID integer not null primary key, CUST integer references CUSTOMER);\n");
    local(customer(7, "still ordering", 0, 7));
    local("insert into ORDERS values (1, 7)");
    local(customer(8, "other", 0, 8));
    synchro("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 7, \"D\", \"CUSTOMER\")");
    synchro("insert into R$SYNCHRO values (4, \"2026-03-01\", 1, 100)");

    synchro::ReadReport report;
    ASSERT_FALSE(synchro::ReadFromSynchro(dm.UserDB(), dm.SynchroDB(), ui, &report, true).isDone());
    ASSERT_TRUE(report.collision);
    EXPECT_EQ(report.collision->table, "CUSTOMER");
    EXPECT_EQ(report.collision->pass, "DELETE");
    EXPECT_EQ(report.collision->entry, (replica::RecordCode{0, 7}));
    EXPECT_FALSE(report.collision->localRow.empty());

    window.show();
    window.answers = {true};
    press("SBReadFromSynchro");
    EXPECT_EQ(dm.TMaster.tableName(), "CUSTOMER");
    EXPECT_EQ(dm.TMaster.fieldByName("ID").asInteger(), 7);
    ASSERT_NE(dm.QSynchro6.findField("OPERATION"), nullptr);
    EXPECT_EQ(dm.QSynchro6.recordCount(), 1);
    EXPECT_NE(window.text("LCollisionTable").find("CUSTOMER"), std::string::npos);
    EXPECT_FALSE(window.isEnabled("SBCopyNaturalKey"));
    EXPECT_TRUE(window.isEnabled("SBDropDeleteEntry"));
    shoot("TSCollision-delete-pass");

    window.answers = {true};
    press("SBDropDeleteEntry");
    EXPECT_EQ(synchroRows("select OPERATION from R$DELETEDUPDATED"), std::vector<std::string>{"D"});
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");
    EXPECT_NE(window.messages.back().find("Kept the row"), std::string::npos) << window.messages.back();

    window.answers = {true};
    press("SBReadFromSynchro");
    EXPECT_EQ(window.statusPanel(0), "   Status: OK.");
    EXPECT_EQ(window.statusPanel(1), "  Read done: 0 inserted, 0 updated, 0 deleted.");
    EXPECT_EQ(localRows("select ID from CUSTOMER order by ID"), (std::vector<std::string>{"7", "8"}));
}

}  // namespace quorvel::test

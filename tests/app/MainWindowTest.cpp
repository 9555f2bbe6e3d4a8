// The main window as the operator first sees it: pages, components, captions,
// hints, initial states and the fixed texts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QInputDevice>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTranslator>

#include "QtTestSupport.h"
#include "support/FakeFrontend.h"
#include "app/DataGrid.h"
#include "app/fLoginPrompt.h"

namespace quorvel::test {
namespace {

class MainWindow : public ::testing::Test, protected WithQtApp {
protected:
    DM dm;
    ScriptedBrowser w{dm};

    QTabWidget* pages(const char* name) { return w.findChild<QTabWidget*>(name); }
    QStringList captions(const char* name) {
        QStringList out;
        auto* p = pages(name);
        for (int i = 0; i < p->count(); ++i) out << p->widget(i)->objectName() + "=" + p->tabText(i);
        return out;
    }
    QStringList memoLines(const char* name) {
        return w.findChild<QPlainTextEdit*>(name)->toPlainText().split('\n');
    }
};

TEST_F(MainWindow, HasEveryPageInOrderWithItsCaption) {
    EXPECT_EQ(w.objectName(), "fmBrowser");
    EXPECT_EQ(w.windowTitle(), " Quorvel V 1.0");
    EXPECT_EQ(w.size(), QSize(646, 448));
    EXPECT_EQ(captions("PCMain"),
              QStringList({"TSHelp=Replication overview", "TSPrepare=Prepare for cloning", "TSClone=Cloning",
                           "TSFillSynchro=Fill SYNCHRO", "TSSynchronize=Synchronize", "TSLog=Exchange log"}));
    EXPECT_EQ(captions("PCPrepare"),
              QStringList({"TSPrepareMeta=Add meta structures to Master DB", "TSPickGens=Generator selection",
                           "TSTableSelection=Table selection", "TSCreateSynchro=Create Synchro DB"}));
    EXPECT_EQ(captions("PCSynchronize"),
              QStringList({"TSReadSynchro=Read from SYNCHRO", "TSCollision=Collision resolving",
                           "TabSheet1=Collision description"}));
    EXPECT_EQ(pages("PCMain")->currentWidget()->objectName(), "TSHelp");

    const auto menu = w.menuBar()->actions();
    ASSERT_EQ(menu.size(), 3);
    EXPECT_EQ(menu[0]->text(), "&Database");
    EXPECT_EQ(menu[1]->text(), "&Exchange");
    EXPECT_EQ(menu[2]->text(), "&Help");
    ASSERT_EQ(menu[2]->menu()->actions().size(), 1);
    EXPECT_EQ(menu[2]->menu()->actions()[0]->text(), "&About...");
}

// The keyboard reaches what the buttons offer, and nothing they do not: a
// menu item is usable as its button is, and the arrow keys on the tab bar
// pass over the pages a clone hides.
TEST_F(MainWindow, MenusAndKeysReachOnlyWhatTheButtonsOffer) {
    struct Item { const char* menu; const char* button; const char* keys; };
    for (const Item& i : {Item{"MenuDatabase", "SBConnect", "Ctrl+M"},
                          Item{"MenuDatabase", "SBConnectForSynchro", "Ctrl+I"},
                          Item{"MenuExchange", "SBFillSynchro", "Ctrl+F"},
                          Item{"MenuExchange", "SBReadFromSynchro", "Ctrl+R"},
                          Item{"MenuExchange", "SBDropDeleteEntry", ""}}) {
        SCOPED_TRACE(i.button);
        auto* menu = w.findChild<QMenu*>(i.menu);
        auto* item = w.findChild<QAction*>(QString("Menu") + i.button);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->text().contains('&'));
        EXPECT_EQ(item->shortcut(), QKeySequence(i.keys));
        auto* button = w.findChild<QAbstractButton*>(i.button);
        for (bool on : {false, true}) {
            button->setEnabled(on);
            emit menu->aboutToShow();
            EXPECT_EQ(item->isEnabled(), on);
        }
    }
    EXPECT_NE(w.findChild<QAction*>("MenuDisconnect"), nullptr);
    for (QAction* top : w.menuBar()->actions()) EXPECT_TRUE(top->text().startsWith('&')) << top->text().toStdString();

    // A clone's window: the master's pages are hidden, and out of reach.
    w.setVisible("TSPrepare", false);
    w.setVisible("TSClone", false);
    w.show();
    auto* main = pages("PCMain");
    main->setCurrentIndex(0);
    QTabBar* bar = main->tabBar();
    bar->setFocus();
    for (const char* expected : {"TSFillSynchro", "TSSynchronize"}) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(bar, &right);
        EXPECT_EQ(main->currentWidget()->objectName(), expected);
    }
    // The keyboard a key event made goes with the test: left to the end of
    // the process, it would outlive the tests' application and fail there.
    delete const_cast<QInputDevice*>(QInputDevice::primaryKeyboard());
    // Nor is "Erase" on it usable by any other way; no menu item offers it.
    EXPECT_FALSE(w.findChild<QAbstractButton*>("SBEraseMeta")->isEnabled());
    EXPECT_EQ(w.findChild<QAction*>("MenuSBEraseMeta"), nullptr);
}

// Every kind of stop the Tab key reaches shows that it has the focus.
TEST_F(MainWindow, TheKeyboardFocusShowsAtEveryStop) {
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    pages("PCMain")->setCurrentIndex(2);  // "Cloning": a glyph button, a push button, a grid
    for (const char* name : {"SBNewClone", "SBConnectToClone", "DBGClone"}) {
        auto* stop = w.findChild<QWidget*>(name);
        stop->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(stop->hasFocus()) << name;
        const QImage focused = stop->grab().toImage();
        w.findChild<QWidget*>("SBConnect")->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_NE(stop->grab().toImage(), focused) << name;
    }
}

TEST_F(MainWindow, ButtonsCarryTheirCaptionsAndHints) {
    struct Expect { const char* name; const char* caption; const char* hint; };
    const Expect buttons[] = {
        {"SBConnect", "Connect to Master/Clone", "Connect"},
        {"SBCreateMeta", "Create add. structures", "Create add. structures"},
        {"SBEraseMeta", "Erase add. structures", "Erase add. structures"},
        {"SBAddGen", ">", "Add generator to list"},
        {"SBRemoveGen", "<", "Remove generator from list"},
        {"SBAddAltttables", ">>", "Select all"},
        {"SBAddTable", ">", "Add table to list"},
        {"SBRemoveTable", "<", "Remove table from list"},
        {"SBRemoveAllTables", "<<", "Remove All"},
        {"SBCreateTriggers", "Recreate triggers", nullptr},
        {"SBReadddl", nullptr, "Read Master ddl"},
        {"SBConvertddl", nullptr, "Convert to SYNCHRO ddl"},
        {"SBNewClone", nullptr, "New clone"},
        {"SBDelClone", nullptr, "Delete clone"},
        {"SBConnectToClone", "Connect to Clone", "Connect to CLONE"},
        {"SBUpdateCloneGens", "Update CLONE's data", "Update clone's generators"},
        {"SBConnectToSynchro", "Connect to Out Synchro", "Connect to synchro"},
        {"SBDelSynchro", nullptr, "Delete synchro gdb"},
        {"SBFillSynchro", "Fill SYNCHRO gdb", "Fill SYNCHRO gdb"},
        {"SBSuccess", "Success", nullptr},
        {"SBConnectForSynchro", "Connect to In Synchro", "Connect to synchro"},
        {"SBInactiveTriggers", "Make Triggers Inactive", nullptr},
        {"SBReadFromSynchro", "Read from SYNCHRO", "Read from SYNCHRO"},
        {"SBActiveTriggers", "Make Triggers Active", nullptr},
        {"SBCopyNaturalKey", "Copy current record from Synchro", "See \"Collision description\" page"},
    };
    for (const auto& b : buttons) {
        auto* button = w.findChild<QAbstractButton*>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        if (b.caption) {
            EXPECT_EQ(button->text(), b.caption) << b.name;
        }
        if (b.hint) {
            EXPECT_EQ(button->toolTip(), b.hint) << b.name;
        }
    }
    // Coloured bold captions of the buttons that matter most in the cycle.
    for (const char* name : {"SBCreateTriggers", "SBUpdateCloneGens", "SBFillSynchro", "SBSuccess",
                             "SBInactiveTriggers", "SBReadFromSynchro", "SBActiveTriggers"}) {
        auto* button = w.findChild<QAbstractButton*>(name);
        EXPECT_TRUE(button->font().bold()) << name;
    }
    auto colour = [this](const char* name) {
        return w.findChild<QWidget*>(name)->palette().color(QPalette::Active, QPalette::ButtonText);
    };
    EXPECT_EQ(colour("SBCreateTriggers"), QColor(Qt::red));
    EXPECT_EQ(colour("SBUpdateCloneGens"), QColor(Qt::blue));
    EXPECT_EQ(colour("SBReadFromSynchro"), QColor(Qt::yellow));
}

TEST_F(MainWindow, StartsInTheSameStateAsTheCommandLineFrontEnd) {
    // The command-line tool and the tests' fake keep the initial state in
    // plain maps; the window must agree with them control by control.
    struct Store : FakeFrontend {
        using ControlStore::enabled_;
        using ControlStore::texts_;
        using ControlStore::visible_;
    } store;
    auto listed = [](const std::string& name) {
        auto c = ctl::Control::named(name);
        EXPECT_TRUE(c) << name;
        return c.value_or(ctl::LAlias);
    };
    for (const auto& [name, text] : store.texts_) {
        ASSERT_NE(w.control(name), nullptr) << name;
        EXPECT_EQ(w.text(listed(name)), text) << name;
    }
    for (const auto& [name, enabled] : store.enabled_) EXPECT_EQ(w.isEnabled(listed(name)), enabled) << name;
    for (const auto& [name, visible] : store.visible_) EXPECT_EQ(w.isVisible(listed(name)), visible) << name;
    EXPECT_EQ(w.statusPanel(0), store.statusPanel(0));
    EXPECT_EQ(w.statusPanel(1), store.statusPanel(1));

    EXPECT_TRUE(w.isEnabled("SBCreateMeta"));
    EXPECT_TRUE(w.isEnabled("SBEraseMeta"));
    EXPECT_TRUE(w.isVisible("TSPrepare"));
    EXPECT_TRUE(w.isVisible("TSClone"));
    EXPECT_EQ(w.findChild<QProgressBar*>("PBar")->maximum(), 11);
    EXPECT_EQ(w.findChild<QProgressBar*>("PBTrigger")->maximum(), 100);
    for (const char* bold : {"LAlias", "LMaster", "LCloneName", "LSynchro1", "LSynchro2"})
        EXPECT_TRUE(w.findChild<QLabel*>(bold)->font().bold()) << bold;
    EXPECT_EQ(w.findChild<QLabel*>("Label3")->text(), "Alias:");
    EXPECT_EQ(w.findChild<QLabel*>("Label20")->text(), "Master/Clone:");
    EXPECT_EQ(w.findChild<QWidget*>("StatusPanel0")->width(), 150);
    // The second panel takes the rest of the bar at any width, and a long
    // summary widens neither it nor the window beyond the screen.
    w.setStatusPanel(1, "  Fill done: " + std::string(400, 'x'));
    for (int width : {800, 1920}) {
        w.resize(width, 600);
        w.show();
        QApplication::processEvents();
        EXPECT_GT(w.findChild<QWidget*>("StatusPanel1")->width(), width - 200) << width;
        EXPECT_LE(w.width(), width);
    }
}

TEST_F(MainWindow, GridsAreBoundToTheirListsAndReadOnlyWhereTheyShouldBe) {
    const std::pair<const char*, engine::DataSet*> bound[] = {
        {"DBGTables", &dm.QTables},         {"DBGGens", &dm.QGenerator},
        {"DBGCloneGens", &dm.QPKGens},      {"DBGWorkingTables", &dm.QWorkingTables},
        {"DBGClone", &dm.QClone},           {"DBGSynchroHistory", &dm.QSynchro},
        {"DBGFillProcess", &dm.QTableOrder}, {"DBGReadProcess", &dm.QTableOrder},
        {"DBGCollisionMaster", &dm.TMaster}, {"DBGCollisionSynchro", &dm.QSynchro6},
    };
    for (const auto& [name, ds] : bound) {
        auto* g = w.grid(name);
        ASSERT_NE(g, nullptr) << name;
        EXPECT_EQ(&g->dataModel().dataSet(), ds) << name;
        EXPECT_EQ(g->selectionBehavior(), QAbstractItemView::SelectRows) << name;
        const bool editable = std::string(name) == "DBGCollisionMaster";  // the synchro file is never edited
        EXPECT_EQ(g->editTriggers() != QAbstractItemView::NoEditTriggers, editable) << name;
    }
    EXPECT_TRUE(w.grid("DBGFillProcess")->horizontalHeader()->isHidden());
    EXPECT_TRUE(w.grid("DBGReadProcess")->horizontalHeader()->isHidden());
    EXPECT_FALSE(w.grid("DBGClone")->horizontalHeader()->isHidden());
    for (const char* nav : {"DBNCollisionMaster", "DBNCollisionSynchro"})
        EXPECT_NE(w.control(nav), nullptr) << nav;
}

TEST_F(MainWindow, OverviewTextKeepsItsLinesAndBlanks) {
    const QStringList help = memoLines("MHelp");
    ASSERT_EQ(help.size(), 78);
    EXPECT_EQ(help.first(), "1. Overview");
    EXPECT_EQ(help[3], "      1. Overview");
    EXPECT_EQ(help[10], "     Quorvel is intended for fullfilling the following tasks:");
    EXPECT_EQ(help[20], "- define list of generators used for primary key generation ");
    EXPECT_EQ(help[21], "  (PK generators);");
    EXPECT_EQ(help[45], "     For replication master DB data you have to fill synchro.gdb file, ");
    EXPECT_EQ(help[58], "      Synchro.gdb from all clone sides must be read before next");
    EXPECT_EQ(help[63], "");
    EXPECT_EQ(help[64], "     \"Success\" removes from the journal only the changes that every");
    EXPECT_EQ(help[71], "      2. Restrictions");
    EXPECT_EQ(help[75], "- There is limit = (2 147 483 646)*(2 147 483 646) records for master ");
    EXPECT_EQ(help.last(), "- All operations must be done in the single user mode.");
    int trailingBlank = 0;
    for (const auto& l : help) trailingBlank += l.endsWith(' ');
    EXPECT_EQ(trailingBlank, 7);
    EXPECT_TRUE(w.findChild<QPlainTextEdit*>("MHelp")->isReadOnly());

    const QStringList prepare = memoLines("MPrepare");
    ASSERT_EQ(prepare.size(), 8);
    EXPECT_EQ(prepare[3], "MaxValue1*2000000000 + MaxValue2");
    EXPECT_EQ(prepare.last(), "");
    EXPECT_EQ(memoLines("Memo1"),
              QStringList({"Hint:", "Select generators which are used for primary key generation"}));
    EXPECT_EQ(memoLines("Memo3").first(), "Hint: ");
    EXPECT_EQ(memoLines("Memo3")[1],
              "Select tables subject to replication. Then press \"Recreate triggers\" button.");
    const QStringList clone = memoLines("MClone");
    ASSERT_EQ(clone.size(), 8);
    EXPECT_EQ(clone[1], "1. Press\"New\" button and define new CLONE's name and MaxValues");
    EXPECT_EQ(clone[2], "2. Make Buckup to master.bkp");
    EXPECT_TRUE(w.findChild<QPlainTextEdit*>("MCreateClone")->toPlainText().isEmpty());
    const QString collisions = w.findChild<QPlainTextEdit*>("Memo2")->toPlainText();
    for (const char* title : {"Dependent tables.", "Natural Primary Key.", "The same record updating.",
                              "Integrity loss"})
        EXPECT_TRUE(collisions.contains(title)) << title;
    EXPECT_TRUE(w.findChild<QPlainTextEdit*>("Memo2")->font().fixedPitch() ||
                QFontInfo(w.findChild<QPlainTextEdit*>("Memo2")->font()).fixedPitch());
}

TEST_F(MainWindow, NamedControlsAnswerTheOperations) {
    w.setText("LFillAction", "Clear Synchro tables");
    EXPECT_EQ(w.text("LFillAction"), "Clear Synchro tables");
    w.setText("EditSource", "/tmp/master.ddl");
    EXPECT_EQ(w.findChild<QLineEdit*>("EditSource")->text(), "/tmp/master.ddl");

    w.setVisible("TSPrepare", false);
    w.setVisible("TSClone", false);
    auto* main = pages("PCMain");
    EXPECT_FALSE(main->isTabVisible(1));
    EXPECT_FALSE(main->isTabVisible(2));
    EXPECT_FALSE(w.isVisible("TSPrepare"));
    w.setVisible("TSPrepare", true);
    EXPECT_TRUE(main->isTabVisible(1));
    EXPECT_TRUE(w.isVisible("TSPrepare"));
    EXPECT_FALSE(w.isVisible("TSClone"));

    // A button's own state reads the same while the whole window is disabled.
    w.setEnabled("SBFillSynchro", true);
    w.setWorking();
    EXPECT_TRUE(w.isEnabled("SBFillSynchro"));
    EXPECT_FALSE(w.isEnabled("SBSuccess"));
    w.setOK();

    w.setVisible("PBTrigger", true);
    EXPECT_TRUE(w.isVisible("PBTrigger"));
    w.setProgressMax("PBTrigger", 40);
    w.setProgress("PBTrigger", 25);
    EXPECT_EQ(w.progress("PBTrigger"), 25);
    // A position beyond the range is still shown rather than dropped.
    w.setProgress("PBar", 14);
    EXPECT_EQ(w.progress("PBar"), 14);

    w.setStatusPanel(1, "");
    EXPECT_EQ(w.statusPanel(1), "");

    w.showPage("TSCollision");
    EXPECT_EQ(pages("PCSynchronize")->currentWidget()->objectName(), "TSCollision");
    EXPECT_EQ(main->currentWidget()->objectName(), "TSSynchronize");

    // An unknown name does not compile; every name that does is a control
    // or a page of the window.
    EXPECT_FALSE(ctl::Control::named("NoSuchControl"));
    for (ctl::Control c : ctl::Control::all())
        EXPECT_NE(w.control(c.str()), nullptr) << c.name();
}

// The window's texts go through Qt's translator: with one that marks every
// text it is asked for, a window built afresh shows them marked, from the
// layout, the hint texts, the status words, a dialog and a handler alike.
TEST_F(MainWindow, ItsTextsGoThroughTheTranslator) {
    struct Marking : QTranslator {
        QString translate(const char*, const char* source, const char*, int) const override {
            return QString::fromUtf8("\u00ab") + QString::fromUtf8(source);
        }
        bool isEmpty() const override { return false; }
    } marking;
    ASSERT_TRUE(QCoreApplication::installTranslator(&marking));
    struct Removed {
        QTranslator& t;
        ~Removed() { QCoreApplication::removeTranslator(&t); }
    } removed{marking};
    DM otherDm;
    ScriptedBrowser t{otherDm};
    auto marked = [](const QString& text) { return QString::fromUtf8("\u00ab") + text; };

    EXPECT_EQ(t.findChild<QAbstractButton*>("SBFillSynchro")->text(), marked("Fill SYNCHRO gdb"));
    EXPECT_EQ(t.findChild<QAbstractButton*>("SBCopyNaturalKey")->toolTip(),
              marked("See \"Collision description\" page"));
    EXPECT_EQ(t.menuBar()->actions()[0]->text(), marked("&Database"));
    EXPECT_EQ(t.findChild<QAction*>("MenuSBSuccess")->text(), marked("&Success"));
    auto* synchronize = t.findChild<QTabWidget*>("PCSynchronize");
    EXPECT_EQ(synchronize->tabText(1), marked("Collision resolving"));
    EXPECT_TRUE(t.findChild<QPlainTextEdit*>("MHelp")->toPlainText().startsWith(marked("1. Overview\n")));
    EXPECT_EQ(t.statusPanel(0), marked("   Status: No events").toStdString());
    EXPECT_EQ(t.loginDialog().windowTitle(), marked("Login"));
    t.SBPassOverSynchroRowClick();
    EXPECT_EQ(t.messages, std::vector<std::string>{marked("Select the record in \"Synchro\" first.").toStdString()});
}

}  // namespace
}  // namespace quorvel::test

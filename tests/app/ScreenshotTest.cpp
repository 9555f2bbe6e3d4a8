// Pictures of the window for a person to look at. Runs only when
// QUORVEL_SCREENSHOT_DIR names a folder; under a real X server (Xvfb) it also
// grabs the whole screen, e.g. with the application running beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "QtTestSupport.h"
#include "app/DataGrid.h"
#include "app/about_un.h"
#include "app/logo.h"
#include "app/fClone.h"
#include "app/fAliases.h"
#include "app/fLoginPrompt.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

QString screenshotDir() {
    const char* d = std::getenv("QUORVEL_SCREENSHOT_DIR");
    return d && *d ? QString(d) : QString();
}

TEST(Screenshots, EveryPage) {
    const QString dir = screenshotDir();
    if (dir.isEmpty()) GTEST_SKIP() << "QUORVEL_SCREENSHOT_DIR not set";
    qtApp();
    QDir().mkpath(dir);
    if (QGuiApplication::platformName() == "xcb")
        QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/screen.png");

    Workspace ws;
    ws.createDatabase("MASTER",
                      "create table CUSTOMER (ID integer not null primary key, NAME varchar(40));\n"
                      "create table ORDERS (ID integer not null primary key, CUST integer);\n"
                      "create generator GEN_CUST;\n"
                      "insert into CUSTOMER values (1, 'Ann');\n"
                      "commit;\n");
    DM dm;
    ScriptedBrowser w{dm};
    Workspace::connect(dm.UserDB(), "MASTER");
    dm.QTables.open();
    dm.QGenerator.open();
    dm.TMaster.setTableName("CUSTOMER");
    dm.TMaster.open();
    w.setText("LAlias", "MASTER");
    w.setStatusPanel(1, "");
    w.setWorking();
    w.setOK();
    w.show();

    auto* main = w.findChild<QTabWidget*>("PCMain");
    auto* prepare = w.findChild<QTabWidget*>("PCPrepare");
    auto* synchronize = w.findChild<QTabWidget*>("PCSynchronize");
    // Every page at its first size, then at the two sizes of a screen (the
    // status bar carrying a long summary there).
    QString size;
    auto shoot = [&](const QString& name) {
        QApplication::processEvents();
        w.grab().save(dir + "/" + name + size + ".png");
    };
    for (const QSize& s : {QSize(), QSize(800, 600), QSize(1920, 1080)}) {
        if (s.isValid()) {
            w.resize(s);
            size = QString("-%1x%2").arg(s.width()).arg(s.height());
            w.setStatusPanel(1, "  Fill done: 1250 rows sent (CUSTOMER 400, PRODUCT 350, ORDERS 300, ORDERLINE 200), "
                                "37 journal entries.");
        }
        for (int i = 0; i < main->count(); ++i) {
            main->setCurrentIndex(i);
            const QString page = main->widget(i)->objectName();
            if (page == "TSPrepare") {
                for (int j = 0; j < prepare->count(); ++j) {
                    prepare->setCurrentIndex(j);
                    shoot(prepare->widget(j)->objectName());
                }
            } else if (page == "TSSynchronize") {
                for (int j = 0; j < synchronize->count(); ++j) {
                    synchronize->setCurrentIndex(j);
                    shoot(synchronize->widget(j)->objectName());
                }
            } else {
                shoot(page);
            }
        }
    }
    for (auto* d : std::initializer_list<QWidget*>{&w.aliasDialog(), &w.loginDialog(), &w.aboutBox(),
                                                   &w.cloneDialogWindow()}) {
        d->show();
        QApplication::processEvents();
        d->grab().save(dir + "/" + d->objectName() + ".png");
        d->hide();
    }
    app::TQuorvelLogo logo;
    logo.show();
    QApplication::processEvents();
    logo.grab().save(dir + "/QuorvelLogo.png");
    w.answers = {true};
    w.close();
    dm.UserDB().disconnect();
}

}  // namespace
}  // namespace quorvel::test

// Start-up: splash window, application title, the data module and the
// windows in their order, then the message loop.
#include <QApplication>
#include <cstdio>

#include "app/DisplayCheck.h"
#include "app/about_un.h"
#include "app/fBrowser.h"
#include "app/logo.h"
#include "app/fClone.h"
#include "app/fAliases.h"
#include "app/fLoginPrompt.h"
#include "db/DM.h"
#include "engine/Interrupt.h"

int main(int argc, char** argv) {
    using namespace quorvel;
    if (!app::displayAvailable()) {
        std::fprintf(stderr,
                     "Quorvel needs a graphical display, and none was found "
                     "(DISPLAY and WAYLAND_DISPLAY are not set).\n"
                     "Start it inside a desktop session, or use quorvel-cli in a terminal.\n");
        return app::kNoDisplayExitStatus;
    }
    QApplication application(argc, argv);

    // Owned by nobody: the main window destroys it when first shown.
    auto* QuorvelLogo = new app::TQuorvelLogo;
    QuorvelLogo->showNow();

    QApplication::setApplicationName("Quorvel");

    DM dm;
    app::TfmBrowser fmBrowser(dm);
    app::TfmAliases fmAliases;
    app::TfmLoginPrompt fmLoginPrompt;
    app::TAboutBox AboutBox;
    app::TfmClone fmClone;
    fmBrowser.setDialogs(&fmAliases, &fmLoginPrompt, &AboutBox, &fmClone);
    fmBrowser.setSplash(QuorvelLogo);

    // Ctrl+C in the starting terminal or kill: the running statement is
    // cancelled and the window closes as when the user quits; the data
    // module then detaches the databases. The signal is not a question, so
    // "Exit now?" is not asked: exit() ends every event loop, open dialogs
    // included, without asking the windows.
    engine::installInterruptHandlers([](int) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { QCoreApplication::exit(engine::interruptedExitStatus()); }, Qt::QueuedConnection);
    });

    fmBrowser.show();
    // A signal taken by a dialog shown before the main loop leaves nothing
    // to wait for.
    const int status = engine::interrupted() ? 0 : application.exec();
    return engine::interrupted() ? engine::interruptedExitStatus() : status;
}

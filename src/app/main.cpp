// Start-up: splash window, application title, the data module and the
// windows in their order, then the message loop.
#include <QApplication>
#include <cstdio>

#include "app/DisplayCheck.h"
#include "app/WindowRun.h"
#include "app/about_un.h"
#include "app/fBrowser.h"
#include "app/logo.h"
#include "app/fClone.h"
#include "app/fAliases.h"
#include "app/fLoginPrompt.h"
#include "db/DM.h"

int main(int argc, char** argv) {
    using namespace quorvel;
    if (!app::displayAvailable()) {
        std::fprintf(stderr,
                     "Quorvel needs a graphical display, and none was found "
                     "(DISPLAY and WAYLAND_DISPLAY are not set).\n"
                     "Start it inside a desktop session, or use quorvel-cli in a terminal.\n");
        return app::kNoDisplayExitStatus;
    }
    app::holdSignalsForTheWindow();
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

    fmBrowser.show();
    return app::runWindow(application, fmBrowser);
}

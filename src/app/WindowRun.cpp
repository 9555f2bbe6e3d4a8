#include "app/WindowRun.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

#include "app/fBrowser.h"
#include "engine/Interrupt.h"

namespace quorvel::app {

namespace {

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

// Takes each held signal and hands it to the interrupt handler on this
// thread alone, which cancels the running statements and ends the loop (a
// second signal ends the process at once).
void takeSignals() {
    const sigset_t set = endingSignals();
    for (;;) {
        int sig = 0;
        if (sigwait(&set, &sig) != 0) continue;
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, sig);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        raise(sig);  // delivered to this thread, the only one that takes it
        pthread_sigmask(SIG_BLOCK, &one, nullptr);
    }
}

}  // namespace

void holdSignalsForTheWindow() {
    const sigset_t set = endingSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int runWindow(QApplication& application, TfmBrowser& window) {
    // Ctrl+C in the starting terminal or kill: the running statement is
    // cancelled and the loop ends as when the user quits. exit() ends every
    // event loop, open dialogs included, without asking the windows.
    engine::installInterruptHandlers([](int) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { QCoreApplication::exit(engine::interruptedExitStatus()); }, Qt::QueuedConnection);
    });
    std::thread(takeSignals).detach();
    // A signal taken by a dialog shown before the loop leaves nothing to wait for.
    const int status = engine::interrupted() ? 0 : application.exec();
    // The databases go here, before any window or the data module is torn down.
    window.hide();
    for (engine::Database* db : {&window.dm().UserDB(), &window.dm().CloneDB(), &window.dm().SynchroDB()})
        db->disconnect();
    return engine::interrupted() ? engine::interruptedExitStatus() : status;
}

}  // namespace quorvel::app

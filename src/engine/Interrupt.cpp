#include "Interrupt.h"

#include <fcntl.h>
#include <ibase.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "InterruptWatch.h"

namespace quorvel::engine {

using namespace fb;

namespace {

constexpr int kGraceSeconds = 15;
std::atomic<int> received{0};
std::atomic<bool> cancelPending{false};
std::atomic<bool> installed{false};
int wakeFds[2] = {-1, -1};

std::mutex watchedMutex;
std::vector<IAttachment*>& watched() {
    static auto* v = new std::vector<IAttachment*>;  // never destroyed: the watcher may outlive main
    return *v;
}

// Async-signal-safe: an atomic exchange and a write to the pipe. The
// cancellation itself needs locks and the client library, so the watcher
// thread does it.
void onSignal(int sig) {
    int none = 0;
    if (!received.compare_exchange_strong(none, sig)) _exit(128 + received.load());
    const unsigned char byte = static_cast<unsigned char>(sig);
    ssize_t ignored = write(wakeFds[1], &byte, 1);
    (void)ignored;
}

void setHandlers() {
    struct sigaction act {};
    act.sa_handler = onSignal;
    sigemptyset(&act.sa_mask);
    // No SA_RESTART: a program waiting for a typed answer gets EINTR and
    // takes it as no answer, instead of waiting on.
    act.sa_flags = 0;
    sigaction(SIGINT, &act, nullptr);
    sigaction(SIGTERM, &act, nullptr);
}

void cancelRunningStatements() {
    std::lock_guard<std::mutex> lock(watchedMutex);
    // Nothing running there is no failure worth reporting.
    QuietStatus st;
    for (IAttachment* att : watched()) att->cancelOperation(&st, fb_cancel_raise);
}

void watch(std::function<void(int)> then) {
    for (;;) {
        unsigned char byte = 0;
        ssize_t n = read(wakeFds[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        cancelRunningStatements();
        // A statement the server cannot cancel (a damaged file can keep it
        // busy for ever) must not outlive the signal: the process ends on
        // its own a little later, whatever it is doing.
        std::thread([byte] {
            std::this_thread::sleep_for(std::chrono::seconds(kGraceSeconds));
            _exit(128 + byte);
        }).detach();
        if (then) then(byte);
    }
}

}  // namespace

void installInterruptHandlers(std::function<void(int)> onSignalThen) {
    if (installed.exchange(true)) return;
    if (pipe2(wakeFds, O_CLOEXEC) != 0) {
        installed = false;
        return;
    }
    std::thread(watch, std::move(onSignalThen)).detach();
    setHandlers();
}

int interruptSignal() { return received.load(); }

void reclaimSignals() {
    if (installed) setHandlers();
}

void watchAttachment(IAttachment* att) {
    std::lock_guard<std::mutex> lock(watchedMutex);
    watched().push_back(att);
}

void unwatchAttachment(IAttachment* att) {
    std::lock_guard<std::mutex> lock(watchedMutex);
    auto& v = watched();
    v.erase(std::remove(v.begin(), v.end(), att), v.end());
}

void cancelOperation() {
    cancelPending = true;
    cancelRunningStatements();
}

void endCancel() {
    cancelPending = false;
    // A cancel that reached the server just after the operation's last
    // statement stays pending on the attachment and would stop its next
    // statement, whoever runs it: switching cancellation off and on again
    // drops it.
    std::lock_guard<std::mutex> lock(watchedMutex);
    QuietStatus st;
    for (IAttachment* att : watched()) {
        att->cancelOperation(&st, fb_cancel_disable);
        att->cancelOperation(&st, fb_cancel_enable);
    }
}

void throwIfCancelled() {
    if (cancelPending.exchange(false)) throw DbError("operation was cancelled", 0, 0, Failure::Cancelled);
}

void throwIfInterrupted() {
    throwIfCancelled();
    if (received.load() != 0) throw DbError("operation was cancelled", 0, 0, Failure::Cancelled);
}

}  // namespace quorvel::engine

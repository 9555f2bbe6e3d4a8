#include "app/Worker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>

namespace quorvel::app {

namespace {

std::atomic<bool> running{false};

// Passes each report to the window's reporter on the window's thread and
// waits for it to be taken (a question, for its answer).
class HopReporter : public Reporter {
public:
    HopReporter(Reporter& window, QObject& windowThread) : window_(window), context_(windowThread) {}

    void step(const std::string& what) override { hop([&] { window_.step(what); }); }
    void progress(long long done, long long total) override { hop([&] { window_.progress(done, total); }); }
    void rows(const std::string& table, long long count) override { hop([&] { window_.rows(table, count); }); }
    bool confirm(const std::string& question) override {
        bool yes = false;
        hop([&] { yes = window_.confirm(question); });
        return yes;
    }
    void notice(const std::string& text) override { hop([&] { window_.notice(text); }); }
    void error(const std::string& text) override { hop([&] { window_.error(text); }); }
    // The window's own loop keeps it painted meanwhile.
    void breathe() override {}

private:
    template <class F>
    void hop(F&& f) {
        if (QThread::currentThread() == context_.thread()) {
            f();
            return;
        }
        QMetaObject::invokeMethod(&context_, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }

    Reporter& window_;
    QObject& context_;
};

}  // namespace

bool workerRunning() { return running.load(); }

Outcome runOnWorker(Reporter& reporter, const std::function<Outcome(Reporter&)>& operation) {
    QEventLoop loop;
    HopReporter hop(reporter, loop);
    std::optional<Outcome> outcome;
    std::exception_ptr failure;
    std::atomic<bool> done{false};
    running = true;
    std::thread worker([&] {
        try {
            outcome = operation(hop);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        // Dropped unread if the loop is gone by then.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    while (!done) {
        loop.exec();
        // Quitting (a signal): the loop returns at once; the window's
        // thread still takes the operation's reports until it has ended.
        if (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    running = false;
    if (failure) std::rethrow_exception(failure);
    return outcome.value_or(
        Outcome::failed(QCoreApplication::translate("quorvel::app::TfmBrowser", "Unexpected error").toStdString()));
}

}  // namespace quorvel::app

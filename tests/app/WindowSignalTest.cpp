// The window as a process: Ctrl+C in its terminal (SIGINT) or kill (SIGTERM)
// closes it without asking, with 130 / 143, instead of it running on; also
// while it holds a database, which it lets go on the way out, and while an
// operation runs, which the signal cancels.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <QTimer>

#include "QtTestSupport.h"
#include "app/WindowRun.h"
#include "app/Worker.h"
#include "support/ChildProcess.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

// The window connected to the alias named in QUORVEL_WINDOW_CHILD, run as the
// program runs it; started by the cases below as a process of their own.
// With QUORVEL_WINDOW_WORK set, a statement of many seconds runs meanwhile
// on the window's worker.
TEST(WindowSignalChild, Run) {
    const char* alias = std::getenv("QUORVEL_WINDOW_CHILD");
    if (!alias) GTEST_SKIP() << "a process of its own, started by WindowSignal";
    app::holdSignalsForTheWindow();
    QApplication& application = qtApp();
    int status = 2;
    {
        DM dm;
        app::TfmBrowser window(dm);
        if (window.connectWith(app::TfmBrowser::Connection::Local, {alias, "SYSDBA", ""}).isDone()) {
            window.show();
            if (std::getenv("QUORVEL_WINDOW_WORK"))
                QTimer::singleShot(0, &window, [&] {
                    window.runOperation([&] {
                        return app::runOnWorker(window, [&](Reporter& r) {
                            r.step("Counting");
                            std::printf("connected\n");
                            std::fflush(stdout);
                            dm.UserDB().execute("execute block as declare i integer = 0; begin "
                                                "while (i < 2000000000) do i = i + 1; end");
                            return Outcome::done();
                        });
                    });
                });
            else
                std::printf("connected\n");
            std::fflush(stdout);
            status = app::runWindow(application, window);
        }
    }
    // Reached only when the database was let go: a detach that hangs is
    // ended by the interrupt's last resort, which prints nothing.
    std::printf("ended\n");
    std::fflush(stdout);
    std::_Exit(status);
}

struct Case {
    int signal;
    bool connected, working;
};

class WindowSignal : public ::testing::TestWithParam<Case> {};

TEST_P(WindowSignal, ClosesTheWindowWithoutAsking) {
    const auto [sig, connected, working] = GetParam();
    Workspace ws;
    ws.createDatabase("Shop", "CREATE TABLE T (ID INTEGER);\nCOMMIT;");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string log = ws.path("window.log");
    pid_t pid = 0;
    if (connected) {
        ::setenv("QUORVEL_WINDOW_CHILD", "Shop", 1);
        if (working) ::setenv("QUORVEL_WINDOW_WORK", "1", 1);
        pid = startProcess("/proc/self/exe", {"--gtest_filter=WindowSignalChild.Run"}, log);
        ::unsetenv("QUORVEL_WINDOW_CHILD");
        ::unsetenv("QUORVEL_WINDOW_WORK");
        // Signalled only once it holds the database.
        for (int i = 0; i < 400 && fileText(log).find("connected") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_NE(fileText(log).find("connected"), std::string::npos) << fileText(log);
    } else {
        pid = startProcess(QUORVEL_APP_BINARY, {}, log);
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    ASSERT_EQ(kill(pid, sig), 0);
    const int status = waitForExit(pid, std::chrono::seconds(20));
    ASSERT_NE(status, -1) << "the window still ran 20 s after the signal";
    EXPECT_EQ(status, 128 + sig) << fileText(log);
    if (connected) EXPECT_NE(fileText(log).find("ended"), std::string::npos) << "the detach hung: " << fileText(log);
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowSignal,
                         ::testing::Values(Case{SIGINT, false, false}, Case{SIGTERM, false, false},
                                           Case{SIGINT, true, false}, Case{SIGTERM, true, false},
                                           Case{SIGTERM, true, true}),
                         [](const auto& info) {
                             return std::string(info.param.signal == SIGINT ? "SIGINT" : "SIGTERM") +
                                    (info.param.connected ? "Connected" : "") + (info.param.working ? "Working" : "");
                         });

}  // namespace
}  // namespace quorvel::test

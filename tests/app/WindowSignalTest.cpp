// The window as a process: Ctrl+C in its terminal (SIGINT) or kill (SIGTERM)
// closes it without asking, with 130 / 143, instead of it running on.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/ChildProcess.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

class WindowSignal : public ::testing::TestWithParam<int> {};

TEST_P(WindowSignal, ClosesTheWindowWithoutAsking) {
    const int sig = GetParam();
    Workspace ws;
    ws.createDatabase("Shop", "CREATE TABLE T (ID INTEGER);\nCOMMIT;\n");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string log = ws.path("window.log");
    pid_t pid = startProcess(QUORVEL_APP_BINARY, {}, log);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(kill(pid, sig), 0);
    const int status = waitForExit(pid, std::chrono::seconds(20));
    ASSERT_NE(status, -1) << "the window still ran 20 s after the signal";
    EXPECT_EQ(status, 128 + sig) << fileText(log);
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

}  // namespace
}  // namespace quorvel::test

// quorvel-cli as a process: Ctrl+C (SIGINT) and kill (SIGTERM) during a long
// operation end it promptly with 130 / 143, and the database keeps nothing of
// the interrupted work.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using Clock = std::chrono::steady_clock;

int runCli(const std::vector<std::string>& args, const std::string& log) {
    return waitForExit(startProcess(QUORVEL_CLI_BINARY, args, log), std::chrono::seconds(120));
}

std::string count(const std::string& db, const std::string& select) {
    std::string out = Workspace::isqlOutput(db, "SET HEADING OFF;\n" + select + ";\n");
    out.erase(0, out.find_first_not_of(" \n"));
    out.erase(out.find_last_not_of(" \n") + 1);
    return out;
}

class CliInterrupt : public ::testing::TestWithParam<int> {};

TEST_P(CliInterrupt, StopsRecreatingTriggersAndLeavesTheRowsUnnumbered) {
    const int sig = GetParam();
    Workspace ws;
    const std::string db = ws.createDatabase(
        "Shop",
        "CREATE TABLE BIG (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
        "SET TERM ^ ;\n"
        "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 600000) DO BEGIN "
        "INSERT INTO BIG VALUES (:I, 'row ' || :I); I = I + 1; END END^\n"
        "SET TERM ; ^\n"
        "COMMIT;\n");
    const std::string log = ws.path("cli.log");
    ASSERT_EQ(runCli({"--local", "Shop", "--yes", "create-meta", "--max1", "0", "--max2", "2000000000"}, log), 0)
        << fileText(log);
    ASSERT_EQ(runCli({"--local", "Shop", "--yes", "add-table", "BIG"}, log), 0) << fileText(log);
    const std::string triggersBefore =
        count(db, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME starting with 'R$'");

    pid_t pid = startProcess(QUORVEL_CLI_BINARY, {"--local", "Shop", "--yes", "recreate-triggers"}, log);
    // Attach, the dropping of the old arming and the new columns come first;
    // the numbering of 600,000 rows takes far longer than that (200,000 were
    // at times numbered within the second).
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const auto sent = Clock::now();
    ASSERT_EQ(kill(pid, sig), 0);
    // A hang check, not a speed test: the bound is generous.
    const int status = waitForExit(pid, std::chrono::seconds(20));
    ASSERT_NE(status, -1) << "quorvel-cli still ran 20 s after the signal";
    EXPECT_EQ(status, 128 + sig) << fileText(log) << "ended "
                                 << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count()
                                 << " ms after the signal";

    EXPECT_EQ(count(db, "select count(*) from BIG where R$CODE1 is not null or R$CODE2 is not null"), "0");
    EXPECT_EQ(count(db, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME starting with 'R$'"),
              triggersBefore);
    EXPECT_EQ(count(db, "select count(*) from BIG"), "600000");
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

}  // namespace
}  // namespace quorvel::test

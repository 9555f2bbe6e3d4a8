// A synchro file damaged on the way (bytes changed at random): every read of
// it ends, by itself or at SIGTERM, and one that does not go through changes
// nothing and is never taken for a collision to settle; nor is a database
// the read cannot write. (Values changed
// inside a row read like any others: only a sealed package tells them.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "ExchangeSites.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using DamagedSynchro = ExchangeSites;

// Waits up to `limit` for the child; its status, or nullopt if it still runs.
std::optional<int> waitFor(pid_t pid, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return status;
        if (Clock::now() > end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void damage(const std::string& file, std::mt19937_64& rnd) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    // Most of a fresh file is empty pages: the damage goes where its
    // metadata and rows are, the first pages.
    const auto size = std::min<std::uint64_t>(fs::file_size(file), 96 * 8192);
    const int bytes = std::uniform_int_distribution<int>(1, 4)(rnd);
    for (int i = 0; i < bytes; ++i) {
        f.seekp(static_cast<std::streamoff>(std::uniform_int_distribution<std::uint64_t>(0, size - 1)(rnd)));
        f.put(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rnd)));
    }
}

TEST_F(DamagedSynchro, EveryReadEndsAndOneThatFailsChangesNothingAndIsNoCollision) {
    makeClone();
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Paid 1000 EUR' WHERE ID = 1;"
                               " INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (77, 'Ines', 'Faro'); COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const std::string before = contents(clone);
    std::mt19937_64 rnd(exchange::seedOf("DamagedSynchro"));
    const int copies = exchange::envInt("QUORVEL_FUZZ", 40);
    const std::string site = ws.path("site.fdb"), damaged = ws.path("damaged.fdb"), log = ws.path("read.log");
    mustRun({"aliases", "add", "Site", site});
    mustRun({"aliases", "add", "Damaged", damaged});
    int applied = 0, refused = 0, stopped = 0;
    for (int i = 0; i < copies; ++i) {
        SCOPED_TRACE("copy " + std::to_string(i));
        fs::copy_file(clone, site, fs::copy_options::overwrite_existing);
        fs::copy_file(synchro, damaged, fs::copy_options::overwrite_existing);
        damage(damaged, rnd);
        const pid_t pid = exchange::spawnCli({"--local", "Site", "--synchro", "Damaged", "read", "--yes"}, log);
        std::optional<int> status = waitFor(pid, std::chrono::seconds(60));
        if (!status) {
            ++stopped;
            ::kill(pid, SIGTERM);
            status = waitFor(pid, std::chrono::seconds(30));
            if (!status) {
                ::kill(pid, SIGKILL);
                waitFor(pid, std::chrono::seconds(30));
                ADD_FAILURE() << "SIGTERM did not end the read";
                continue;
            }
        }
        std::ifstream in(log);
        const std::string said(std::istreambuf_iterator<char>(in), {});
        if (WIFEXITED(*status) && WEXITSTATUS(*status) == 0) {
            ++applied;
            continue;
        }
        ++refused;
        EXPECT_EQ(said.find("Settle it with"), std::string::npos) << said;
        EXPECT_EQ(contents(site), before) << said;
    }
    std::cout << "[ damaged  ] " << copies << " copies: " << applied << " read, " << refused << " refused, "
              << stopped << " stopped by SIGTERM" << std::endl;
}

// A database the read cannot write is no collision either.
TEST_F(DamagedSynchro, AReadOnlyDatabaseIsRefusedAsSuchAndIsNoCollision) {
    makeClone();
    Workspace::runIsql(clone, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (88, 'Rui', 'Braga'); COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    ASSERT_EQ(std::system(("gfix -user SYSDBA -mode read_only '" + master + "' 2>&1").c_str()), 0);
    const CliResult r = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    std::system(("gfix -user SYSDBA -mode read_write '" + master + "' 2>&1").c_str());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write this database"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Settle it with"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quorvel::test

// A synchro database comes from another site: its database triggers never
// run when the tool opens it, one with code in it is refused, the commands
// that settle a collision in it touch nothing but a working table, and one
// damaged on the way (bytes changed at random) is read, or refused changing
// nothing, never taken for a collision, and every read of it ends, by itself
// or at SIGTERM. (Values changed inside a row read like any others: only a
// sealed package tells them.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "cli/Help.h"
#include "ExchangeSites.h"
#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

using ForeignSynchro = ExchangeSites;

TEST_F(ForeignSynchro, ItsOnConnectTriggerNeverRuns) {
    makeClone();
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    // What a crafted file would do to the reading site; here it only counts.
    Workspace::runIsql(synchro, "CREATE TABLE OPENED (N INTEGER); COMMIT; SET TERM ^ ;"
                                " CREATE TRIGGER ON_OPEN ON CONNECT AS BEGIN INSERT INTO OPENED VALUES (1); END ^"
                                " SET TERM ; ^ COMMIT;");
    const std::string count = "select count(*) from OPENED;";
    const int before = std::stoi(value(synchro, count));
    const CliResult read = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(read.status, quorvel::cli::kExitRefused);
    EXPECT_NE(read.err.find("holds a trigger ON_OPEN"), std::string::npos) << read.err;
    runCli({"--local", "Clone", "--synchro", "Synchro", "history", "--yes"});
    EXPECT_EQ(std::stoi(value(synchro, count)), before + 1) << "only the count's own connection";
}

TEST_F(ForeignSynchro, OneWithCodeInItIsRefusedByNameBeforeAnythingChanges) {
    makeClone();
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    const struct {
        const char* script;
        const char* named;
    } cases[] = {
        {"CREATE PROCEDURE P1 AS BEGIN END ^", "procedure P1"},
        {"CREATE FUNCTION F1 RETURNS INTEGER AS BEGIN RETURN 1; END ^", "function F1"},
        {"CREATE VIEW V1 AS SELECT * FROM CUSTOMER ^", "view V1"},
    };
    const std::string masterBefore = contents(master);
    for (const auto& c : cases) {
        const std::string crafted = ws.path("crafted.fdb");
        fs::copy_file(synchro, crafted, fs::copy_options::overwrite_existing);
        Workspace::runIsql(crafted, std::string("SET TERM ^ ; ") + c.script + " SET TERM ; ^ COMMIT;");
        mustRun({"aliases", "add", "Crafted", crafted});
        const CliResult r = runCli({"--local", "Master", "--synchro", "Crafted", "read", "--yes"});
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << c.named;
        EXPECT_NE(r.err.find(std::string("holds a ") + c.named), std::string::npos) << r.err;
    }
    EXPECT_EQ(contents(master), masterBefore);
}

TEST_F(ForeignSynchro, SettlingRefusesWhatIsNoSynchroDatabaseOrNoWorkingTable) {
    makeClone();
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"--local", "Clone", "--synchro", "Master", "delete-synchro-row", "CUSTOMER", "1"}, "replicated database"},
        {{"--local", "Clone", "--synchro", "Synchro", "copy-from-synchro", "R$CLONE", "WEST"}, "no working table"},
        {{"--local", "Clone", "--synchro", "Synchro", "drop-delete-entry", "R$CLONE", "0", "1"}, "no working table"},
    };
    const std::string masterBefore = contents(master), cloneBefore = contents(clone), synchroBefore = contents(synchro);
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--yes");
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << c.args[4];
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_EQ(contents(master), masterBefore);
    EXPECT_EQ(contents(clone), cloneBefore);
    EXPECT_EQ(contents(synchro), synchroBefore);
}

TEST_F(ForeignSynchro, OneDamagedOnTheWayIsReadOrRefusedAndNeverTakenForACollision) {
    makeClone();
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Paid 1000 EUR' WHERE ID = 1;"
                               " INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (77, 'Ines', 'Faro'); COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const std::string before = contents(clone);
    std::mt19937_64 rnd(exchange::seedOf("ForeignSynchro"));
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

}  // namespace
}  // namespace quorvel::test

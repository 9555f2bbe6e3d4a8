// Other users keep working while the tool fills and reads: the master and
// its clone WEST on a private server, each with an isql session inserting,
// updating and deleting rows in transactions held open for random times,
// while WEST fills, the master reads and fills, WEST reads (each killed at a
// random moment now and then and simply run again, or run again later when
// another user's lock stops it). After the sessions end, two plain rounds
// must bring both sites to the same rows: every change of every session
// reached the other site, none was passed over by a fill's mark or left
// unjournaled by a read.
//
// The sessions touch rows of their own (by a hash of the key, tags of their own),
// so no change is overruled as a concurrent update of the same row.
//
// Short by default; the long run:
//   QUORVEL_BESIDE_ROUNDS=20 ctest -R WorkingBeside --timeout 3600 --output-on-failure
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "RandomWork.h"
#include "TemplateSitesTest.h"
#include "engine/Aliases.h"
#include "support/FirebirdServer.h"

using namespace quorvel::test;
using namespace quorvel::test::exchange;

namespace {

const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"M", "master.fdb"}, {"W", "west.fdb"}, {"SM", "sm.fdb"}, {"SW", "sw.fdb"}};

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class WorkingBesideTest : public TemplateSitesTest {
protected:
    // The aliases name the files (embedded, for the checks) or the same
    // files through the server (for the sessions and the tool).
    void throughServer(bool on) {
        for (const auto& [alias, file] : kFiles) {
            const std::string path = ws.dir() + "/" + file;
            quorvel::engine::Aliases::add(alias, on ? server().databaseName(path) : path);
        }
    }
    static FirebirdServer& server() { return FirebirdServer::shared(); }

    // A session's script: the work in transactions of one to four
    // statements, each held open a random while by a busy loop.
    std::string script(const std::vector<std::string>& work) {
        std::string s = "SET SQL DIALECT 1;\nSET TERM ^ ;\n";
        for (std::size_t i = 0; i < work.size();) {
            s += "SET TRANSACTION READ COMMITTED NO WAIT^\n";
            for (std::size_t n = 1 + rnd_() % 4; n > 0 && i < work.size(); --n) s += work[i++] + "^\n";
            s += "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + std::to_string(rnd_() % 4000000) +
                 ") DO I = I + 1; END^\nCOMMIT^\n";
        }
        return s;
    }

    // The session of `alias` on its rows (half of each table's, by key),
    // started as an isql process through the server.
    pid_t session(const std::string& alias, Worker& worker, int round, int parity) {
        Keys free;
        const Keys keys = keysAt(alias);
        for (const auto& [table, all] : keys)
            for (const std::string& key : all)
                if (std::hash<std::string>()(key) % 2 == static_cast<std::size_t>(parity)) free[table].push_back(key);
        std::vector<std::string> work;
        randomWork(rnd_, worker, "in round " + std::to_string(round), 90, free, keys, work, written_);
        const std::string file = ws.dir() + "/" + alias + ".sql";
        std::ofstream(file) << script(work);
        return spawnProgram({"/usr/bin/isql-fb", "-q", "-user", "SYSDBA", "-password", server().password(), "-i", file,
                             server().databaseName(ws.dir() + "/" + kFiles[alias == "M" ? 0 : 1].second)},
                            ws.dir() + "/" + alias + ".isql.log");
    }

    // One exchange command through the server, killed at a random moment
    // now and then and run again; one stopped by another user's lock runs
    // again a moment later. A read killed after its commit is refused as
    // not newer when run again: it was done.
    void step(const std::vector<std::string>& command) {
        std::vector<std::string> args = command;
        args.insert(args.end(), {"--password", server().password(), "--yes"});
        const std::string log = ws.dir() + "/step.log";
        for (int attempt = 0; attempt < 60; ++attempt) {
            std::ofstream(log, std::ios::trunc).close();
            const pid_t pid = spawnCli(args, log);
            const bool kill = rnd_() % 4 == 0;
            if (kill) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100 + rnd_() % 2500));
                ::kill(pid, SIGKILL);
            }
            int status = 0;
            bool killed = false;
            const bool ok = reap(pid, &status, &killed);
            const std::string out = readFile(log);
            if (ok) return;
            if (killed) {
                ++kills_;
                continue;
            }
            if (out.find("has read its fill no.") != std::string::npos && attempt > 0) return;
            if (out.find("Another user is changing") != std::string::npos) {
                ++locked_;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                continue;
            }
            FAIL() << command.back() << " failed:\n" << out;
        }
        FAIL() << command.back() << " did not get through in 60 attempts";
    }

    void round() {
        step({"--local", "W", "--synchro", "SW", "fill"});
        step({"--local", "M", "--synchro", "SW", "read"});
        step({"--local", "M", "--synchro", "SM", "fill"});
        step({"--local", "W", "--synchro", "SM", "read"});
    }

    std::mt19937_64 rnd_{seedOf("WorkingBeside")};
    Written written_;
    int kills_ = 0, locked_ = 0, failedStatements_ = 0;
};

TEST_F(WorkingBesideTest, EveryChangeMadeDuringFillsAndReadsReachesTheOtherSite) {
    if (!server().running()) GTEST_SKIP() << server().error();
    Worker west{"WEST session", "SW"}, master{"master session", "SM"};
    const int rounds = envInt("QUORVEL_BESIDE_ROUNDS", 2);
    for (int r = 0; r < rounds; ++r) {
        throughServer(false);
        // Rows enough that the fill and the read take a while.
        sql("W", {"execute block as declare i integer = 0; begin while (i < 4000) do begin "
                  "insert into BULK (ID, TXT, N) values (gen_id(GEN_BULK, 1), 'bulk', ::i); i = i + 1; end end"});
        const pid_t atWest = session("W", west, r, 0);
        const pid_t atMaster = session("M", master, r, 1);
        throughServer(true);
        round();
        int status = 0;
        reap(atWest, &status);
        reap(atMaster, &status);
        for (const char* alias : {"W", "M"}) {
            // A statement of a session may meet the read's lock and fail
            // (its change then never happened); a session must have worked.
            const std::string log = readFile(ws.dir() + "/" + alias + ".isql.log");
            ASSERT_EQ(log.find("password"), std::string::npos) << log;
            ASSERT_EQ(log.find("network"), std::string::npos) << log;
            for (std::size_t at = log.find("Statement failed"); at != std::string::npos;
                 at = log.find("Statement failed", at + 1))
                ++failedStatements_;
        }
        if (HasFatalFailure()) return;
    }
    for (int r = 0; r < 2; ++r) round();
    throughServer(false);
    std::cout << "[ beside   ] " << rounds << " rounds, " << kills_ << " steps killed, " << locked_
              << " stopped by a lock, " << written_.sequence.size() << " updates made, " << failedStatements_
              << " statements of the sessions met a lock" << std::endl;
    EXPECT_EQ(differences(dump("M"), dump("W"), "master", "WEST"), "");
}

}  // namespace

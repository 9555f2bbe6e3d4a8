// "Make Triggers Inactive" and "Recreate triggers" killed at random moments:
// whatever the moment, the triggers of the working tables are either as
// before or as after (or, for the arming, recorded as switched off); a
// reactivation then brings back exactly the triggers that were on, and a
// second "Recreate triggers" finishes the arming.
//
// QUORVEL_KILLS sets the number of kills (5 by default), QUORVEL_KILL_TABLES
// the number of working tables (100 by default), QUORVEL_KILL_ROWS the rows
// of the first (10,000 by default). QUORVEL_KILL_VALIDATE=1 checks the file
// with gfix -v after every rerun, =2 after every kill too. The numbering
// leaves no damage; the arming's DDL killed midway, about once in a hundred
// kills, leaves a catalogue table's pages or index with errors for gfix
// (Firebird 3's writes of a DDL cut short), now and then past the rerun.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "PrepareFixture.h"
#include "prepare/Operations.h"

extern char** environ;

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

int envNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

class TriggerKillTest : public test::PrepareTest {
protected:
    int tables = envNumber("QUORVEL_KILL_TABLES", 100);

    void SetUp() override {
        // Every table has its own primary key; the first also rows, an audit
        // trigger of the user's that is on and one that the user switched off.
        std::string script = "CREATE TABLE AUDIT (ID INTEGER);\n";
        for (int i = 1; i <= tables; ++i)
            script += "CREATE TABLE T" + std::to_string(i) + " (ID INTEGER NOT NULL PRIMARY KEY);\n";
        // Enough rows in T1 that the numbering, while the user's triggers are
        // off, takes a good share of a run.
        script += "COMMIT;\nSET TERM ^ ;\nEXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " +
                  std::to_string(envNumber("QUORVEL_KILL_ROWS", 10000)) + ") DO "
                  "BEGIN INSERT INTO T1 VALUES (:I); I = I + 1; END END ^\nSET TERM ; ^\nCOMMIT;\nSET TERM ^ ;\n"
                  "CREATE TRIGGER USER_ON FOR T1 ACTIVE AFTER UPDATE AS BEGIN INSERT INTO AUDIT VALUES (1); END ^\n"
                  "CREATE TRIGGER USER_OFF FOR T1 INACTIVE BEFORE INSERT AS BEGIN END ^\n"
                  "SET TERM ; ^\nCOMMIT;\n";
        openMaster(script);
        createMeta();
        std::vector<std::string> names;
        for (int i = 1; i <= tables; ++i) names.push_back("T" + std::to_string(i));
        arm(names);
    }

    // Runs quorvel-cli with `command` on the master; returns its process id.
    pid_t startCli(const char* command) {
        const char* argv[] = {QUORVEL_CLI_BINARY, "--local", "MASTER", command, nullptr};
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, argv[0], &files, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&files);
        EXPECT_EQ(rc, 0) << "cannot start " << argv[0];
        return pid;
    }

    static int waitFor(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }

    int64_t toolTriggersOff() {
        return scalar("select count(*) from rdb$triggers where rdb$trigger_name starting with \"R$\" "
                      "and rdb$trigger_inactive = 1");
    }
    Rows userTriggersOff() {
        return rows("select rdb$trigger_name from rdb$triggers where rdb$trigger_inactive = 1 "
                    "and not rdb$trigger_name starting with \"R$\" "
                    "and (rdb$system_flag is null or rdb$system_flag = 0) order by 1");
    }
    int64_t trig() { return scalar("select gen_id(R$Trig, 0) from rdb$database"); }
};

TEST_F(TriggerKillTest, AKilledDeactivationLeavesTheTriggersAsBeforeOrAsAfter) {
    const int kills = envNumber("QUORVEL_KILLS", 5);
    // The child opens the database file itself: the embedded engine lets one
    // process at a time have it.
    dm.UserDB().disconnect();

    // One whole run, timed, gives the span the kills are spread over.
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(waitFor(startCli("triggers-inactive")), 0);
    auto span = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(waitFor(startCli("triggers-active")), 0);

    std::random_device seedSource;
    const unsigned seed = seedSource();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int64_t> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(span).count());
    int midway = 0;
    for (int k = 0; k < kills; ++k) {
        const int64_t at = moment(random);
        pid_t pid = startCli("triggers-inactive");
        std::this_thread::sleep_for(std::chrono::microseconds(at));
        kill(pid, SIGKILL);
        const int status = waitFor(pid);
        if (WIFSIGNALED(status)) ++midway;

        test::Workspace::connect(dm.UserDB(), "MASTER");
        SCOPED_TRACE("kill " + std::to_string(k + 1) + " after " + std::to_string(at) + " us, seed " +
                     std::to_string(seed));
        const int64_t off = toolTriggersOff();
        ASSERT_TRUE(off == 0 || off == 3 * tables) << off << " of " << 3 * tables << " R$ triggers off";
        if (off) {
            // Switched off completely; R$Trig may not have been set yet, which
            // the next run puts right before it switches them on.
            ASSERT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"USER_OFF"});
            EXPECT_EQ(userTriggersOff(), (Rows{"USER_OFF", "USER_ON"}));
            resetUi();
            ASSERT_TRUE(prepare::MakeTriggersActive(db, ui).isDone()) << ui.lastMessage();
        }
        EXPECT_EQ(toolTriggersOff(), 0);
        EXPECT_EQ(userTriggersOff(), Rows{"USER_OFF"});
        EXPECT_EQ(trig(), 0);
        dm.UserDB().disconnect();
    }
    std::cout << kills << " kills, " << midway << " of them before the run ended (seed " << seed << ")\n";
}

TEST_F(TriggerKillTest, AKilledArmingIsFinishedByTheNextRun) {
    const int kills = envNumber("QUORVEL_KILLS", 5);
    dm.UserDB().disconnect();
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(waitFor(startCli("recreate-triggers")), 0);
    auto span = std::chrono::steady_clock::now() - started;

    std::random_device seedSource;
    const unsigned seed = seedSource();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int64_t> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(span).count());
    int halfArmed = 0;
    const int validate = envNumber("QUORVEL_KILL_VALIDATE", 0);
    for (int k = 0; k < kills; ++k) {
        const int64_t at = moment(random);
        pid_t pid = startCli("recreate-triggers");
        std::this_thread::sleep_for(std::chrono::microseconds(at));
        kill(pid, SIGKILL);
        waitFor(pid);

        SCOPED_TRACE("kill " + std::to_string(k + 1) + " after " + std::to_string(at) + " us, seed " +
                     std::to_string(seed));
        if (validate == 2) {
            EXPECT_EQ(test::Workspace::validationErrors(path), "") << "after the kill";
        }
        test::Workspace::connect(dm.UserDB(), "MASTER");
        // The numbering never reached the user's audit trigger.
        EXPECT_EQ(scalar("select count(*) from AUDIT"), 0);
        if (userTriggersOff() != Rows{"USER_OFF"}) {
            // Stopped while the user's triggers were off: recorded as such.
            EXPECT_EQ(rows("select TRIGGERNAME from R$INACTIVETRIGGERS"), Rows{"USER_OFF"});
            ++halfArmed;
        }
        dm.UserDB().disconnect();

        // Whatever the moment, the next run arms every table.
        ASSERT_EQ(waitFor(startCli("recreate-triggers")), 0);
        if (validate != 0) {
            EXPECT_EQ(test::Workspace::validationErrors(path), "") << "after the rerun";
        }
        test::Workspace::connect(dm.UserDB(), "MASTER");
        EXPECT_EQ(scalar("select count(*) from rdb$triggers where rdb$trigger_name starting with \"R$\" "
                         "and rdb$trigger_inactive = 0"),
                  3 * tables);
        EXPECT_EQ(scalar("select count(*) from T1 where R$CODE1 is null or R$CODE2 is null"), 0);
        EXPECT_EQ(rows("select SYNCHRONUMBER from R$SYNCHRO"), Rows{"0"});
        EXPECT_EQ(scalar("select count(*) from AUDIT"), 0);
        EXPECT_EQ(userTriggersOff(), Rows{"USER_OFF"});
        EXPECT_EQ(trig(), 0);
        dm.UserDB().disconnect();
    }
    std::cout << kills << " kills, " << halfArmed << " of them while the user's triggers were off (seed " << seed
              << ")\n";
}

}  // namespace

// A site restored from a backup would draw again the record codes and fill
// numbers it drew after the backup: it is refused until it is re-registered
// (the master takes what only its file holds, and it is made again), or
// until the operator says the restore lost nothing.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "cli/Help.h"
#include "ExchangeSites.h"
#include "OperatorSites.h"
#include "clone/Gbak.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using RestoredSite = ExchangeSites;

TEST_F(RestoredSite, IsRefusedUntilMadeAgainOrItsRestoreIsAccepted) {
    makeClone();
    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
    const std::string backup = ws.path("west.fbk"), restored = ws.path("restored.fdb");
    ASSERT_NO_THROW(clone::backUpDatabase(clone, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    mustRun({"aliases", "add", "Restored", restored});

    const std::string before = contents(restored), synchroBefore = contents(synchro);
    for (const char* command : {"fill", "read"}) {
        const CliResult r = runCli({"--local", "Restored", "--synchro", "Synchro", command, "--yes"});
        EXPECT_EQ(r.status, quorvel::cli::kExitRefused) << r.out << r.err;
        EXPECT_NE(r.err.find("This database was restored from a backup or copied: the file of WEST was made "),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("\"re-register WEST --max1 .. --max2 .. TARGET\""),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(contents(restored), before);
    EXPECT_EQ(contents(synchro), synchroBefore);

    // A maintenance backup and restore, nothing done in between: accepted.
    EXPECT_EQ(runCli({"--local", "Clone", "accept-restore", "--yes"}).status, quorvel::cli::kExitRefused) << "no restore to accept";
    mustRun({"--local", "Restored", "accept-restore", "--yes"});
    mustRun({"--local", "Restored", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
}

// What WEST did before its backup (whether sent or not) and after its
// restore reaches every site through re-register, but for rows whose codes
// WEST may have drawn twice.
struct Restore {
    const char* name;
    bool fillsAfterBackup;        // the lost file sent, after the backup, what it held unsent
    const char* taken;            // customers the master holds afterwards
    const char* leftBehind;       // in the notice, or "" when nothing is
};

class ReRegistered : public ExchangeSites, public ::testing::WithParamInterface<Restore> {};

TEST_P(ReRegistered, TheMasterTakesWhatOnlyTheRestoredFileHolds) {
    const Restore& c = GetParam();
    makeClone();
    const std::string backup = ws.path("west.fbk"), restored = ws.path("restored.fdb");
    auto westWorks = [&](const std::string& db, int id, const char* city, const char* newName) {
        Workspace::runIsql(db, "UPDATE CUSTOMER SET CITY = '" + std::string(city) + "' WHERE ID = " +
                                   std::to_string(id) + "; INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES "
                                   "(GEN_ID(GEN_CUSTOMER, 1), '" + newName + "', 'West'); COMMIT;");
    };
    auto westSends = [&] {
        mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
        mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    };
    if (c.fillsAfterBackup) {
        westWorks(clone, 1, "Sent", "Sent");
        ASSERT_NO_THROW(clone::backUpDatabase(clone, backup, {}));
        westSends();
    } else {
        westWorks(clone, 1, "Sent", "Sent");
        westSends();
        westWorks(clone, 2, "Unsent", "Unsent");
        ASSERT_NO_THROW(clone::backUpDatabase(clone, backup, {}));
    }
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    mustRun({"aliases", "add", "Restored", restored});
    // Users go on before anyone notices: they may update and delete, but no
    // code is drawn in a restored file.
    Workspace::runIsql(restored, "UPDATE CUSTOMER SET CITY = 'After' WHERE ID = 3; COMMIT;");
    const std::string insert = Workspace::isqlOutput(
        restored, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'After', 'West'); COMMIT;");
    EXPECT_NE(insert.find("This database was restored from a backup or copied"), std::string::npos) << insert;

    const std::string again = ws.path("west2.fdb");
    const std::vector<std::string> reRegister = {"--local", "Master", "--clone", "Restored", "re-register", "WEST",
                                                 "--max1", "2", "--max2", "1000000000", again, "--yes"};
    const CliResult r = mustRun(reRegister);
    EXPECT_EQ(r.err.find("left behind") != std::string::npos, *c.leftBehind != 0) << r.err;
    if (*c.leftBehind) {
        EXPECT_NE(r.err.find(c.leftBehind), std::string::npos) << r.err;
    }
    EXPECT_EQ(value(master, "select cast(list(NAME, ',') as varchar(300)) from (select NAME from CUSTOMER where CITY = 'West' order "
                            "by NAME);"),
              c.taken);
    EXPECT_EQ(value(master, "select cast(list(CITY, ',') as varchar(300)) from (select CITY from CUSTOMER where ID <= 3 order by ID);"),
              c.fillsAfterBackup ? "Sent,Porto,After" : "Sent,Unsent,After");
    EXPECT_EQ(value(master, "select NUMBER || ' ' || ME from R$CLONE where NAME = 'WEST';"), "2 C");
    const CliResult rerun = mustRun(reRegister);
    EXPECT_NE(rerun.err.find("WEST was re-registered before"), std::string::npos) << rerun.err;

    // The new WEST holds what the master holds, and exchanges.
    mustRun({"aliases", "add", "West2", again});
    EXPECT_EQ(value(again, "select cast(list(NAME, ',') as varchar(300)) from (select NAME from CUSTOMER order by NAME);"),
              value(master, "select cast(list(NAME, ',') as varchar(300)) from (select NAME from CUSTOMER order by NAME);"));
    westWorks(again, 1, "Again", "Again");
    mustRun({"--local", "West2", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Again");
    EXPECT_EQ(value(master, "select count(distinct R$CODE1 || '/' || R$CODE2) from CUSTOMER;"),
              value(master, "select count(*) from CUSTOMER;"));
}

INSTANTIATE_TEST_SUITE_P(
    Restores, ReRegistered,
    ::testing::Values(Restore{"UnsentBeforeTheBackup", false, "Sent,Unsent", ""},
                      Restore{"FillAfterTheBackupRead", true, "Sent",
                              "1 row of WEST's restored file (in CUSTOMER) were left behind"}),
    [](const auto& info) { return std::string(info.param.name); });

// Killed at any moment and run again (removing a half-made target, as the
// message says), re-register ends with WEST made again and what only the
// restored file held taken once.
TEST_F(RestoredSite, AReRegisterKilledAtAnyMomentIsRunAgainToTheEnd) {
    namespace fs = std::filesystem;
    makeClone();
    Workspace::runIsql(clone, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Unsent', "
                              "'West'); UPDATE CUSTOMER SET CITY = 'Unsent' WHERE ID = 2; COMMIT;");
    const std::string backup = ws.path("west.fbk"), restored = ws.path("restored.fdb");
    ASSERT_NO_THROW(clone::backUpDatabase(clone, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    mustRun({"aliases", "add", "Restored", restored});
    const std::string masterCopy = ws.path("master.copy"), target = ws.path("again.fdb");
    fs::copy_file(master, masterCopy);
    const std::vector<std::string> args = {"--local", "Master", "--clone", "Restored", "re-register", "WEST",
                                           "--max1", "2", "--max2", "1000000000", target, "--yes"};
    std::mt19937_64 rnd(exchange::seedOf("AReRegisterKilledAtAnyMomentIsRunAgainToTheEnd"));
    std::chrono::microseconds whole{0};
    for (int round = 0; round < 8; ++round) {
        fs::copy_file(masterCopy, master, fs::copy_options::overwrite_existing);
        fs::remove(target);
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = exchange::spawnCli(args, ws.path("killed.log"));
        if (round > 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(
                std::uniform_int_distribution<int64_t>(0, whole.count() * 11 / 10)(rnd)));
            ::kill(-pid, SIGKILL);  // with its gbak, as a power cut would
        }
        exchange::reap(pid);
        // Its gbak gone too (for at most five seconds).
        for (int i = 0; i < 500 && ::kill(-pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (round == 0) {
            whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            continue;
        }
        // A target the killed run left half made is removed, as the message says.
        CliResult r = runCli(args);
        if (r.status != 0 && r.err.find(target + " exists") != std::string::npos) {
            fs::remove(target);
            r = runCli(args);
        }
        ASSERT_EQ(r.status, 0) << "round " << round << "\n" << r.out << r.err;
        EXPECT_EQ(value(master, "select count(*) from CUSTOMER where NAME = 'Unsent';"), "1") << round;
        EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 2;"), "Unsent") << round;
        EXPECT_EQ(value(master, "select NUMBER || ' ' || ME from R$CLONE where NAME = 'WEST';"), "2 C") << round;
        EXPECT_EQ(value(target, "select count(*) from CUSTOMER;"), value(master, "select count(*) from CUSTOMER;"));
    }
}

// A master restored from its backup takes the rows of the clone that read
// its newest fill; every clone is then re-registered, which takes what only
// it held, and the sites exchange again.
TEST_F(RestoredSite, ARestoredMasterTakesTheNewestClonesRowsAndEveryCloneIsReRegistered) {
    makeClone();
    const std::string east = ws.path("east.fdb");
    mustRun({"--local", "Master", "make-clone", "EAST", "--max1", "2", "--max2", "1000000000", east, "--yes"});
    mustRun({"aliases", "add", "East", east});
    const std::string restored = copyOfMaster("restored-master.fdb", "RestoredMaster");

    // After the backup: the master's own work reaches WEST; EAST's reaches
    // the master only.
    Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Lost master' WHERE ID = 1; INSERT INTO CUSTOMER "
                               "(ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Lost row', 'M'); COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    Workspace::runIsql(east, "UPDATE CUSTOMER SET CITY = 'East' WHERE ID = 3; COMMIT;");
    mustRun({"--local", "East", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});

    const CliResult refused = runCli({"--local", "RestoredMaster", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(refused.status, quorvel::cli::kExitRefused) << refused.out << refused.err;
    EXPECT_NE(refused.err.find("the file of the master was made"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("re-register-master"), std::string::npos) << refused.err;
    const std::string before = contents(restored);
    const CliResult notNewest = runCli({"--local", "RestoredMaster", "--clone", "East", "re-register-master", "--yes"});
    EXPECT_EQ(notNewest.status, quorvel::cli::kExitRefused) << notNewest.out << notNewest.err;
    EXPECT_NE(notNewest.err.find("run accept-restore"), std::string::npos) << notNewest.err;
    EXPECT_EQ(contents(restored), before);

    mustRun({"--local", "RestoredMaster", "--clone", "Clone", "re-register-master", "--yes"});
    EXPECT_EQ(value(restored, "select count(*) from CUSTOMER where NAME = 'Lost row';"), "1");
    mustRun({"--local", "East", "--synchro", "Synchro", "fill", "--yes"});
    EXPECT_EQ(runCli({"--local", "RestoredMaster", "--synchro", "Synchro", "read", "--yes"}).status, quorvel::cli::kExitRefused)
        << "a clone of the earlier incarnation";
    const std::string east2 = ws.path("east2.fdb"), west2 = ws.path("west2.fdb");
    mustRun({"--local", "RestoredMaster", "--clone", "East", "re-register", "EAST", "--max1", "3", "--max2",
             "1000000000", east2, "--yes"});
    mustRun({"--local", "RestoredMaster", "--clone", "Clone", "re-register", "WEST", "--max1", "4", "--max2",
             "1000000000", west2, "--yes"});
    EXPECT_EQ(value(restored, "select cast(list(CITY, ',') as varchar(300)) from (select CITY from CUSTOMER "
                              "where ID <= 3 order by ID);"),
              "Lost master,Porto,East");
    const std::string customers = "select cast(list(NAME || CITY, ',') as varchar(900)) from (select NAME, CITY "
                                  "from CUSTOMER order by ID);";
    EXPECT_EQ(value(east2, customers), value(restored, customers));
    EXPECT_EQ(value(west2, customers), value(restored, customers));

    // They exchange again.
    mustRun({"aliases", "add", "West2", west2});
    mustRun({"aliases", "add", "East2", east2});
    Workspace::runIsql(west2, "UPDATE CUSTOMER SET CITY = 'West again' WHERE ID = 2; COMMIT;");
    mustRun({"--local", "West2", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "RestoredMaster", "--synchro", "Synchro", "read", "--yes"});
    mustRun({"--local", "RestoredMaster", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "East2", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(east2, "select CITY from CUSTOMER where ID = 2;"), "West again");
}

}  // namespace
}  // namespace quorvel::test

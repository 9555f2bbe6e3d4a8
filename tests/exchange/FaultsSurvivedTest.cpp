// What the exchange meets outside its own making: a database it may not
// write (a file or a database in read-only mode), a synchro database another process holds, a row another attachment
// has locked, and a synchro database made from another master's definition.
// Each ends with a message and leaves both databases as they were.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/Help.h"
#include "OperatorSites.h"
#include "support/ToolObjects.h"
#include "engine/Database.h"
#include "engine/Query.h"

using namespace quorvel;
using quorvel::test::CliResult;
using quorvel::test::ExchangeSites;

namespace {

// Makes a file unwritable for as long as it lives. Root writes through file
// permissions, so as root the file is made immutable instead; where that is
// not allowed either, `ok()` is false and the test skips.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : path_(std::move(path)) {
        if (::geteuid() == 0) {
            immutable_ = true;
            ok_ = std::system(("chattr +i '" + path_ + "' 2>/dev/null").c_str()) == 0;
        } else {
            ok_ = std::system(("chmod a-w '" + path_ + "'").c_str()) == 0;
        }
    }
    ~ReadOnlyFile() {
        const std::string undo = (immutable_ ? "chattr -i '" : "chmod u+w '") + path_ + "' 2>/dev/null";
        if (std::system(undo.c_str()) != 0) ADD_FAILURE() << "could not make " << path_ << " writable again";
    }
    bool ok() const { return ok_; }

private:
    std::string path_;
    bool immutable_ = false, ok_ = false;
};

class ExchangeFaults : public ExchangeSites {
protected:
    // A change at the clone filled into the synchro database, ready to read
    // at the master; the fill's outcome as JSON.
    CliResult cloneChangeFilled() {
        makeClone();
        test::Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1; COMMIT;");
        return mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--json"});
    }

    static void expectNothingChanged(const std::string& database, const std::string& before) {
        EXPECT_EQ(contents(database), before) << database;
    }
};

TEST_F(ExchangeFaults, FillIntoOrFromAReadOnlyFileChangesNothing) {
    test::Workspace::runIsql(master, "UPDATE CUSTOMER SET CITY = 'Nice' WHERE ID = 2; COMMIT;");
    for (const std::string* readOnly : {&synchro, &master}) {
        SCOPED_TRACE(*readOnly);
        const std::string masterBefore = contents(master), synchroBefore = contents(synchro);
        CliResult fill;
        {
            ReadOnlyFile guard(*readOnly);
            if (!guard.ok()) GTEST_SKIP() << "cannot make " << *readOnly << " read-only here (chattr +i refused)";
            fill = test::runCli({"--local", "Master", "--synchro", "Synchro", "fill"});
        }
        EXPECT_EQ(fill.status, 1) << fill.out;
        EXPECT_NE(fill.err.find(*readOnly), std::string::npos) << "the message names the file: " << fill.err;
        EXPECT_EQ(fill.out, "") << "nothing reported as sent";
        expectNothingChanged(master, masterBefore);
        expectNothingChanged(synchro, synchroBefore);
    }
    // Writable again, the same fill goes through.
    CliResult fill = mustRun({"--local", "Master", "--synchro", "Synchro", "fill"});
    EXPECT_EQ(value(synchro, "select CITY from CUSTOMER where ID = 2;"), "Nice");
}

// A database in read-only mode is no collision to settle either.
TEST_F(ExchangeFaults, ReadIntoAReadOnlyModeDatabaseIsRefusedAsSuchAndIsNoCollision) {
    cloneChangeFilled();
    ASSERT_EQ(std::system(("gfix -user SYSDBA -mode read_only '" + master + "' 2>&1").c_str()), 0);
    const CliResult r = test::runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    std::system(("gfix -user SYSDBA -mode read_write '" + master + "' 2>&1").c_str());
    EXPECT_EQ(r.status, quorvel::cli::kExitRefused);
    EXPECT_NE(r.err.find("cannot write this database"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Settle it with"), std::string::npos) << r.err;
}

TEST_F(ExchangeFaults, ReadOfASynchroDatabaseHeldByAnotherProcessChangesNothing) {
    cloneChangeFilled();
    const std::string masterBefore = contents(master), synchroBefore = contents(synchro);

    // isql holds the synchro database open, with a row of it updated and not
    // committed, until its input ends.
    const std::string said = ws.path("holder.out");
    FILE* holder = popen(("isql-fb -q -user SYSDBA '" + synchro + "' >'" + said + "' 2>&1").c_str(), "w");
    ASSERT_NE(holder, nullptr);
    std::fputs("UPDATE CUSTOMER SET CITY = 'Held' WHERE ID = 1;\nSELECT 'HOLDING' FROM RDB$DATABASE;\n", holder);
    std::fflush(holder);
    bool holding = false;
    for (int i = 0; i < 300 && !holding; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream in(said);
        std::stringstream text;
        text << in.rdbuf();
        holding = text.str().find("HOLDING") != std::string::npos;
    }
    CliResult read;
    if (holding) read = test::runCli({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    std::fputs("ROLLBACK;\n", holder);
    pclose(holder);
    ASSERT_TRUE(holding) << "isql never held the synchro database";

    EXPECT_EQ(read.status, quorvel::cli::kExitRetry) << read.out;
    EXPECT_NE(read.err.find(synchro), std::string::npos) << "the message names the file: " << read.err;
    expectNothingChanged(master, masterBefore);
    expectNothingChanged(synchro, synchroBefore);
    EXPECT_EQ(value(master, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME starting with 'R$' "
                            "and RDB$TRIGGER_INACTIVE = 1;"),
              "0");
}

TEST_F(ExchangeFaults, ReadMeetingALocalRowLockedByAnotherAttachmentChangesNothing) {
    // The outcomes as --json gives them: the fill's, the locked read's (try
    // again later) and the read's once the lock is gone.
    const CliResult fill = cloneChangeFilled();
    EXPECT_EQ(fill.out.rfind(R"({"outcome":"done","exitStatus":0,"message":"",)", 0), 0u) << fill.out;
    EXPECT_NE(fill.out.find(R"("fill":{"site":"WEST","siteNumber":1,"number":)"), std::string::npos) << fill.out;
    EXPECT_NE(fill.out.find(R"({"name":"CUSTOMER","rows":1})"), std::string::npos) << fill.out;
    mustRun({"--local", "Master", "triggers-inactive", "--yes"});
    const std::string masterBefore = contents(master), synchroBefore = contents(synchro);
    CliResult read;
    {
        // Another attachment of this process updated the row the read must
        // update, and has not committed: the read's no-wait update fails at once.
        engine::Database other("Other");
        test::Workspace::connect(other, "Master");
        other.startTransaction();
        engine::Query q(other);
        q.setSql("update CUSTOMER set NAME = 'Locked' where ID = 1");
        q.execSql();
        read = test::runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes", "--json"});
        other.rollbackQuietly();
        other.disconnect();
    }
    EXPECT_EQ(read.status, quorvel::cli::kExitRetry) << read.out;
    EXPECT_EQ(read.out.rfind(R"({"outcome":"retry","exitStatus":5,"message":"Another user is changing)", 0), 0u)
        << read.out;
    EXPECT_NE(read.out.find(R"("collision":null})"), std::string::npos) << read.out;
    // A lock, not a collision: read again later, nothing to settle.
    EXPECT_NE(read.err.find("Another user is changing a row of CUSTOMER"), std::string::npos) << read.err;
    EXPECT_NE(read.err.find("Nothing was applied: read again later."), std::string::npos) << read.err;
    EXPECT_EQ(read.err.find("Settle it"), std::string::npos) << read.err;
    expectNothingChanged(master, masterBefore);
    expectNothingChanged(synchro, synchroBefore);

    // Once the lock is gone the same synchro database reads whole.
    const CliResult again = mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes", "--json"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 1;"), "Westville");
    EXPECT_NE(again.out.find(R"({"name":"CUSTOMER","deleted":0,"inserted":0,"sameRow":0,"stayDeleted":0,)"
                             R"("updated":1,"masterWins":0,)"),
              std::string::npos)
        << again.out;
    EXPECT_NE(again.out.find(R"("fill":{"site":"WEST","siteNumber":1,)"), std::string::npos) << again.out;
}

TEST_F(ExchangeFaults, SynchroDatabaseOfAnotherDefinitionIsRefusedBeforeAnythingChanges) {
    cloneChangeFilled();
    const std::string masterBefore = contents(master);
    // The replication tables and a filled mark, as any filled synchro database has.
    const std::string filled =
        test::synchroObjectsScript(1) +
        "INSERT INTO R$SYNCHRO VALUES (1, '2026-12-01', 1, 1);\n"
        "INSERT INTO R$DELETEDUPDATED VALUES (0, 1, 'D', 'CUSTOMER');\n"
        "COMMIT;\n";
    const std::string stock = "CREATE TABLE STOCK (ID INTEGER NOT NULL PRIMARY KEY, TITLE VARCHAR(20), QTY INTEGER [4],"
                              " R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
                              "CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER,"
                              " R$CODE1 INTEGER, R$CODE2 INTEGER);\n";
    struct Case {
        const char* alias;
        std::string script, missing;
    };
    const Case cases[] = {
        {"OtherNoTable",
         filled + "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30),"
                  " R$CODE1 INTEGER, R$CODE2 INTEGER);\nCOMMIT;\nINSERT INTO CUSTOMER VALUES (1, 'Other', 'Oslo', 1, 5);\n"
                  "COMMIT;\n",
         "has no table ORDERS"},
        {"OtherNoColumn",
         filled + stock + "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40),"
                          " R$CODE1 INTEGER, R$CODE2 INTEGER);\nCOMMIT;\nINSERT INTO CUSTOMER VALUES (1, 'Other', 1, 5);\n"
                          "COMMIT;\n",
         "has no column CITY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        const std::string other = ws.createDatabase(c.alias, c.script);
        const std::string otherBefore = test::Workspace::isqlOutput(other, "select * from CUSTOMER; select * from R$SYNCHRO;"
                                                                     " select * from R$DELETEDUPDATED;");
        CliResult read = test::runCli({"--local", "Master", "--synchro", c.alias, "read", "--switch-triggers", "--yes"});
        EXPECT_EQ(read.status, quorvel::cli::kExitRefused) << read.out;
        EXPECT_NE(read.err.find(c.missing), std::string::npos) << read.err;
        EXPECT_NE(read.err.find("Nothing was changed."), std::string::npos) << read.err;
        expectNothingChanged(master, masterBefore);
        EXPECT_EQ(test::Workspace::isqlOutput(other, "select * from CUSTOMER; select * from R$SYNCHRO;"
                                               " select * from R$DELETEDUPDATED;"),
                  otherBefore);
        EXPECT_EQ(value(master, "select count(*) from RDB$TRIGGERS where RDB$TRIGGER_NAME starting with 'R$' "
                                "and RDB$TRIGGER_INACTIVE = 1;"),
                  "0")
            << "the triggers switched back on after the refusal";

        // A fill into it is refused the same way, before the synchro database
        // is emptied.
        CliResult fill = test::runCli({"--local", "Master", "--synchro", c.alias, "fill"});
        EXPECT_EQ(fill.status, quorvel::cli::kExitRefused) << fill.out;
        EXPECT_NE(fill.err.find(c.missing), std::string::npos) << fill.err;
        expectNothingChanged(master, masterBefore);
        EXPECT_EQ(value(other, "select count(*) from CUSTOMER;"), "1");
    }
}

}  // namespace

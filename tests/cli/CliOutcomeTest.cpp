// quorvel-cli's exit statuses come from how each operation ended: a refusal
// or a cancellation (nothing changed) exits with 3, a failure with 1, each
// saying what happened; wrong usage exits with 2.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Cli.h"
#include "cli/Help.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

struct Result {
    int status;
    std::string out, err;
    bool says(const std::string& text) const { return err.find(text) != std::string::npos; }
};

Result cli(std::vector<std::string> args, const std::string& input = "", bool interactive = false) {
    std::istringstream in(input);
    std::ostringstream out, err;
    int rc = cli::run(args, in, out, err, interactive);
    return {rc, out.str(), err.str()};
}

const char* kShop =
    "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "CREATE GENERATOR GEN_A;\nCOMMIT;\n"
    "INSERT INTO A VALUES (1);\nCOMMIT;\n";

class CliOutcome : public ::testing::Test {
protected:
    test::Workspace ws;

    Result local(std::vector<std::string> args) {
        args.insert(args.begin(), {"--local", "Shop"});
        return cli(args);
    }
    // A master with the meta structures, table A listed and armed.
    void prepareShop() {
        ws.createDatabase("Shop", kShop);
        ASSERT_EQ(local({"create-meta"}).status, 0);
        ASSERT_EQ(local({"add-table", "A"}).status, 0);
        ASSERT_EQ(local({"recreate-triggers"}).status, 0);
    }
};

TEST_F(CliOutcome, EveryPreparationRefusalExitsWithThree) {
    ws.createDatabase("Shop", kShop);
    // The bounds are checked before anything is created.
    Result bad = local({"create-meta", "--max1", "abc"});
    EXPECT_EQ(bad.status, cli::kExitRefused);
    EXPECT_TRUE(bad.says("Invalid number")) << bad.err;

    ASSERT_EQ(local({"create-meta"}).status, 0);
    Result offset = local({"add-gen", "GEN_A", "--offset", "12x"});
    EXPECT_EQ(offset.status, cli::kExitRefused);
    EXPECT_TRUE(offset.says("Invalid number")) << offset.err;

    EXPECT_EQ(local({"remove-table", "A"}).status, cli::kExitRefused) << "not listed: not found";
    ASSERT_EQ(local({"add-table", "A"}).status, 0);
    Result twice = local({"add-table", "A"});
    EXPECT_EQ(twice.status, cli::kExitFailed) << "the server's refusal";
    EXPECT_TRUE(twice.says("PRIMARY or UNIQUE KEY")) << twice.err;
    EXPECT_EQ(local({"add-gen", "NO_SUCH_GEN"}).status, cli::kExitRefused);
    EXPECT_EQ(local({"remove-gen", "GEN_A"}).status, cli::kExitRefused) << "not listed: not found";
}

TEST_F(CliOutcome, AFailureNamesItsStepAndCarriesTheServersMessage) {
    ws.createDatabase("Shop", kShop);
    // Before the meta structures there is no list of working tables.
    Result early = local({"recreate-triggers"});
    EXPECT_EQ(early.status, 1);
    EXPECT_TRUE(early.says("Recreate triggers")) << early.err;
    EXPECT_TRUE(early.says("R$WORKINGTABLES")) << early.err;
    EXPECT_FALSE(early.says("The operation ended with an error.")) << early.err;

    for (const char* command : {"triggers-inactive", "triggers-active", "select-all-tables"}) {
        Result r = local({command});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_FALSE(r.err.empty()) << command;
    }
}

TEST_F(CliOutcome, ADeclinedConfirmationIsNotSuccess) {
    prepareShop();
    // No terminal and no --yes: the question is answered No.
    Result r = local({"erase-meta"});
    EXPECT_EQ(r.status, cli::kExitRefused);
    EXPECT_TRUE(r.says("Erase now? No")) << r.err;
    EXPECT_TRUE(r.says("Cancelled: nothing was changed.")) << r.err;

    // Answered No on a terminal.
    Result no = cli({"--local", "Shop", "erase-meta"}, "n\n", true);
    EXPECT_EQ(no.status, cli::kExitRefused);
    EXPECT_TRUE(no.says("Cancelled")) << no.err;

    EXPECT_EQ(local({"--yes", "erase-meta"}).status, 0);
}

TEST_F(CliOutcome, CommandsWithoutTheirDatabaseAreWrongUsage) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"status"}, {"create-meta"}, {"erase-meta"}, {"add-table", "A"}, {"recreate-triggers"},
             {"triggers-inactive"}, {"new-clone", "EAST", "--max1", "1", "--max2", "2"},
             {"delete-clone", "EAST"}, {"--local", "Shop", "update-clone", "EAST"}}) {
        Result r = cli(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage: quorvel-cli"), std::string::npos);
    }
}

TEST_F(CliOutcome, CloningRefusalsExitWithThreeAndFailuresWithOne) {
    prepareShop();
    Result bad = local({"new-clone", "EAST", "--max1", "1", "--max2", "x"});
    EXPECT_EQ(bad.status, cli::kExitRefused);
    EXPECT_TRUE(bad.says("Invalid number")) << bad.err;
    // Above the largest low word of a record code.
    Result high = local({"new-clone", "EAST", "--max1", "1", "--max2", "2000000001"});
    EXPECT_EQ(high.status, cli::kExitRefused);
    EXPECT_TRUE(high.says("Invalid number")) << high.err;

    ASSERT_EQ(local({"new-clone", "EAST", "--max1", "1", "--max2", "2000000000"}).status, 0);
    Result again = local({"new-clone", "EAST", "--max1", "3", "--max2", "0"});
    EXPECT_EQ(again.status, cli::kExitRefused);
    EXPECT_TRUE(again.says("registered already")) << again.err;

    EXPECT_EQ(local({"delete-clone", "WEST"}).status, cli::kExitRefused);
    Result declined = local({"delete-clone", "EAST"});
    EXPECT_EQ(declined.status, cli::kExitRefused);
    EXPECT_TRUE(declined.says("Cancelled")) << declined.err;
    // The clone database is the master itself: it holds no R$Update to drop
    // and marks itself, so the update goes through; a missing alias fails.
    Result noClone = local({"--clone", "Nowhere", "update-clone", "EAST"});
    EXPECT_EQ(noClone.status, 1);
    EXPECT_TRUE(noClone.says("Cannot connect to Nowhere")) << noClone.err;
}

TEST_F(CliOutcome, CreateMetaOnAPreparedDatabaseSaysTheBoundsWereNotApplied) {
    ws.createDatabase("Shop", kShop);
    Result first = local({"create-meta", "--max1", "3", "--max2", "400"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_FALSE(first.says("not applied"));

    Result second = local({"create-meta", "--max1", "9", "--max2", "900"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(second.says("the bounds given (--max1/--max2) were not applied")) << second.err;
    // Without bounds given there is nothing to warn about.
    EXPECT_FALSE(local({"create-meta"}).says("not applied"));
}

TEST_F(CliOutcome, StatusTellsTheArmingTheTriggerSwitchAndTheTableOrder) {
    ws.createDatabase("Shop", kShop);
    ASSERT_EQ(local({"create-meta"}).status, 0);
    ASSERT_EQ(local({"add-table", "A"}).status, 0);
    Result listed = local({"status"});
    EXPECT_NE(listed.out.find("Working tables armed: no\n  A: no record-code columns"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("Triggers switched off for a read: no"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Table order: no"), std::string::npos) << listed.out;

    ASSERT_EQ(local({"recreate-triggers"}).status, 0);
    EXPECT_NE(local({"status"}).out.find("Working tables armed: yes"), std::string::npos);

    ASSERT_EQ(local({"triggers-inactive"}).status, 0);
    Result off = local({"status"});
    EXPECT_NE(off.out.find("Triggers switched off for a read: yes"), std::string::npos) << off.out;
    ASSERT_EQ(local({"triggers-active"}).status, 0);

    // A row added while the triggers were off has no record code.
    test::Workspace::runIsql(ws.path("shop.fdb"),
                             "alter trigger R$1 inactive;\ncommit;\ninsert into A (ID) values (2);\ncommit;\n"
                             "alter trigger R$1 active;\ncommit;\n");
    Result gap = local({"status"});
    EXPECT_NE(gap.out.find("  A: 1 rows without a record code"), std::string::npos) << gap.out;
}

// What `status` says of two states a look at the database must reveal: codes
// drawn past the site's range (rows a fill never sends) and an arming stopped
// midway (triggers off, but not for a read).
TEST_F(CliOutcome, StatusWarnsOfCodesPastTheRangeAndNamesAHalfArmedDatabase) {
    prepareShop();
    struct Case {
        const char* sql;  // run on the armed master
        std::vector<std::string> says, saysNot;
    };
    const Case cases[] = {
        {"", {"Triggers switched off for a read: no"}, {"Warning", "Half-armed"}},
        {"set generator R$GEN1 to 1;",
         {"Warning: the record codes of MASTER are used up: its range ends at (0, 2000000000) and its code "
          "generator stands at (1, "},
         {"Half-armed"}},
        // Where a recreate-triggers stopped while it numbered the rows: no
        // tool trigger, the triggers recorded as off.
        {"drop trigger R$1; drop trigger R$2; drop trigger R$3; set generator R$TRIG to 1;",
         {"Triggers switched off for a read: no\nHalf-armed: a recreate-triggers was stopped while it numbered "
          "the rows", "Run recreate-triggers again to finish it."},
         {"Triggers switched off for a read: yes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        if (*c.sql) test::Workspace::runIsql(ws.path("shop.fdb"), std::string(c.sql) + "\ncommit;\n");
        Result r = local({"status"});
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string& text : c.says) EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
        for (const std::string& text : c.saysNot) EXPECT_EQ(r.out.find(text), std::string::npos) << r.out;
    }
    // The next recreate-triggers finishes the arming.
    ASSERT_EQ(local({"recreate-triggers"}).status, 0);
    EXPECT_EQ(local({"status"}).out.find("Half-armed"), std::string::npos);
}

}  // namespace

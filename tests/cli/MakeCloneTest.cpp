// make-clone: registering, backing up, restoring and updating a clone in one
// command gives a clone that knows who it is, where its codes and keys start
// and what of the master it has read; what it refuses leaves everything as
// it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Help.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

struct Result {
    int status;
    std::string err;
    bool says(const std::string& text) const { return err.find(text) != std::string::npos; }
};

Result cli(std::vector<std::string> args) {
    args.push_back("--yes");
    std::istringstream in;
    std::ostringstream out, err;
    const int rc = cli::run(args, in, out, err, false);
    return {rc, err.str()};
}

class MakeClone : public ::testing::Test {
protected:
    void SetUp() override {
        ws.createDatabase("Shop",
                          "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, N VARCHAR(20));\n"
                          "CREATE GENERATOR GEN_A;\nCOMMIT;\nSET GENERATOR GEN_A TO 5;\n"
                          "INSERT INTO A VALUES (1, 'first');\nCOMMIT;\n");
        for (std::vector<std::string> step : {std::vector<std::string>{"create-meta"},
                                              {"add-table", "A"},
                                              {"add-gen", "GEN_A", "--offset", "1000"},
                                              {"recreate-triggers"}}) {
            step.insert(step.begin(), {"--local", "Shop"});
            ASSERT_EQ(cli(step).status, 0) << ::testing::PrintToString(step);
        }
    }

    Result make(const std::string& name, const std::string& max1, const std::string& target,
                const std::string& local = "Shop") {
        return cli({"--local", local, "make-clone", name, "--max1", max1, "--max2", "0", target});
    }

    // First column of the first row on the database of `alias`.
    static int64_t integer(const std::string& alias, const std::string& sql) {
        engine::Database db("Probe");
        test::Workspace::connect(db, alias);
        engine::Query q(db);
        q.setSql(sql);
        q.open();
        return q.field(0).asInteger();
    }

    test::Workspace ws;
};

TEST_F(MakeClone, MakesWorkingClonesThatKnowTheirIdentityRangeAndPeers) {
    struct Made {
        const char* name;
        int number;
        const char* max1;
        int64_t gen1, gen2;  // where the clone's record codes start: after the bound below it
    };
    for (const Made& c : {Made{"WEST", 1, "2", 1, 0}, Made{"EAST", 2, "3", 2, 1}}) {
        SCOPED_TRACE(c.name);
        const std::string target = ws.path(std::string(c.name) + ".fdb");
        const Result r = make(c.name, c.max1, target);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string alias = std::string("Made") + c.name;
        ASSERT_EQ(cli({"aliases", "add", alias, target}).status, 0);

        const std::string name = std::string("\"") + c.name + "\"";
        EXPECT_EQ(integer(alias, "select count(*) from R$CLONE where ME = \"Y\" and Name = " + name), 1);
        EXPECT_EQ(integer(alias, "select count(*) from R$CLONE where ME = \"Y\""), 1);
        EXPECT_EQ(integer(alias, "select gen_id(R$GEN1, 0) from rdb$database"), c.gen1);
        EXPECT_EQ(integer(alias, "select gen_id(R$GEN2, 0) from rdb$database"), c.gen2);
        EXPECT_EQ(integer(alias, "select gen_id(GEN_A, 0) from rdb$database"), 5 + 1000 * c.number);

        // The registration counts as a master fill the clone has read
        // through the backup: both sides say so, with the same number.
        const int64_t drawn = integer("Shop", "select gen_id(R$FILLNUMBER, 0) from rdb$database");
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(integer("Shop", "select Acknowledged from R$PEERS where SiteNumber = " +
                                      std::to_string(c.number)),
                  drawn);
        EXPECT_EQ(integer(alias, "select count(*) from R$PEERS"), 1);
        EXPECT_EQ(integer(alias, "select LastRead from R$PEERS where SiteNumber = 0"), drawn);
    }
    EXPECT_EQ(integer("Shop", "select count(*) from R$PEERS"), 2);

    // A clone makes no clones: its copy would be a second WEST.
    const std::string north = ws.path("north.fdb");
    const Result fromClone = make("NORTH", "4", north, "MadeWEST");
    EXPECT_EQ(fromClone.status, cli::kExitRefused);
    EXPECT_TRUE(fromClone.says("is the clone WEST")) << fromClone.err;
    EXPECT_FALSE(std::filesystem::exists(north));
}

TEST_F(MakeClone, RefusesBeforeAnythingIsRegisteredOrWritten) {
    const std::string existing = ws.path("kept.fdb");
    std::ofstream(existing) << "not a database";
    struct Case {
        const char* max1;
        std::string target, says;
    };
    for (const Case& c : {Case{"1", existing, existing + " exists: nothing was made."},
                          Case{"x", ws.path("west.fdb"), "Invalid number"}}) {
        SCOPED_TRACE(c.target);
        const Result r = make("WEST", c.max1, c.target);
        EXPECT_EQ(r.status, cli::kExitRefused);
        EXPECT_TRUE(r.says(c.says)) << r.err;
        EXPECT_EQ(integer("Shop", "select count(*) from R$CLONE where Name = \"WEST\""), 0);
    }
    std::ifstream kept(existing);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a database");
    EXPECT_FALSE(std::filesystem::exists(ws.path("west.fdb")));
}

TEST_F(MakeClone, AStepAfterTheRegistrationThatFailsSaysWhatIsLeft) {
    // No gbak to run: the clone is registered, nothing else is made.
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", ws.path("no-tools").c_str(), 1);
    const Result r = make("WEST", "2", ws.path("west.fdb"));
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.says("Clone WEST is registered at the master.")) << r.err;
    EXPECT_TRUE(r.says("What is left: delete the clone with \"delete-clone WEST\"")) << r.err;
    EXPECT_EQ(integer("Shop", "select count(*) from R$CLONE where Name = \"WEST\""), 1);
    EXPECT_FALSE(std::filesystem::exists(ws.path("west.fdb")));
}

}  // namespace

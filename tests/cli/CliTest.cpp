// quorvel-cli run in-process on real databases: exit statuses, where the
// messages go, and the alias and status commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Json.h"
#include "db/Today.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "operation/Version.h"
#include "replica/SchemaVersion.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

using namespace quorvel;

namespace {

struct Result {
    int status;
    std::string out, err;
};

Result runCli(std::vector<std::string> args, const std::string& input = "", bool interactive = false) {
    std::istringstream in(input);
    std::ostringstream out, err;
    int rc = cli::run(args, in, out, err, interactive);
    return {rc, out.str(), err.str()};
}

// A usage error says the one thing that is wrong and where to look, in at
// most three lines; for a known command, its own synopsis.
TEST(CliTest, WrongUsageExitsWithTwoAndSaysWhereToLook) {
    test::Workspace ws;
    const struct {
        std::vector<std::string> args;
        const char* says;
        const char* look;
    } cases[] = {
        {{}, "no command given", "See: quorvel-cli --help"},
        {{"no-such-command"}, "unknown command no-such-command", "See: quorvel-cli --help"},
        {{"--bogus", "aliases"}, "unknown option --bogus", "See: quorvel-cli --help"},
        {{"aliases", "--local"}, "option --local needs a value", "See: quorvel-cli --help"},
        {{"status", "extra"}, "wrong number of arguments for status", "See: quorvel-cli status --help"},
        {{"aliases", "add", "A"}, "aliases [show NAME", "See: quorvel-cli aliases --help"},
        {{"aliases", "add", "A", "/x.fdb", "NOEQUALS"}, "expected KEY=VALUE, got NOEQUALS",
         "Usage: quorvel-cli aliases [show NAME"},
        {{"add-table"}, "wrong number of arguments for add-table", "Usage: quorvel-cli add-table NAME\n"},
        {{"no-such-command", "--help"}, "unknown command no-such-command", "See: quorvel-cli --help"},
    };
    for (const auto& c : cases) {
        const Result r = runCli(c.args);
        EXPECT_EQ(r.status, cli::kExitUsage) << ::testing::PrintToString(c.args);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.look), std::string::npos) << r.err;
        EXPECT_LE(std::count(r.err.begin(), r.err.end(), '\n'), 3) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// --version, --help and COMMAND --help for every command of the command
// table: each says its usage and the exit statuses, on standard output.
TEST(CliTest, VersionAndEveryCommandsHelp) {
    const Result version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quorvel-cli " + std::string(quorvel::version()) + "\n");
    EXPECT_NE(std::string(quorvel::version()), "");

    const Result help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("3    refused or cancelled"), std::string::npos) << help.out;
    for (const std::string& command : cli::commandWords()) {
        SCOPED_TRACE(command);
        EXPECT_NE(help.out.find("\n  " + command + " "), std::string::npos);
        const Result one = runCli({command, "--help"});
        EXPECT_EQ(one.status, 0);
        EXPECT_EQ(one.out.rfind("Usage: quorvel-cli " + command, 0), 0u) << one.out;
        EXPECT_NE(one.out.find("4    collision"), std::string::npos);
    }
    EXPECT_EQ(runCli({"--help", "fill"}).out, runCli({"fill", "--help"}).out) << "options anywhere";
}

TEST(CliTest, AliasesAreAddedListedShownAndRemoved) {
    test::Workspace ws;
    EXPECT_EQ(runCli({"aliases"}).out, "") << "a missing file means no aliases";
    EXPECT_EQ(runCli({"aliases", "add", "Zeta", "/data/z.fdb"}).status, 0);
    EXPECT_EQ(runCli({"aliases", "add", "Alpha", "localhost:/data/a.fdb", "ROLE=ADMIN"}).status, 0);
    EXPECT_EQ(runCli({"aliases"}).out, "Alpha\nZeta\n");
    EXPECT_EQ(runCli({"aliases", "show", "Alpha"}).out, "SERVER NAME=localhost:/data/a.fdb\nROLE=ADMIN\n");

    // Adding again replaces.
    runCli({"aliases", "add", "Zeta", "/data/z2.fdb"});
    EXPECT_EQ(runCli({"aliases", "show", "Zeta"}).out, "SERVER NAME=/data/z2.fdb\n");

    EXPECT_EQ(runCli({"aliases", "--json"}).out, "{\"aliases\":[\"Alpha\",\"Zeta\"]}\n");
    runCli({"aliases", "add", "Secret", "/data/s.fdb", "PASSWORD=masterkey"});
    EXPECT_EQ(runCli({"aliases", "show", "Secret", "--json"}).out,
              "{\"name\":\"Secret\",\"parameters\":{\"SERVER NAME\":\"/data/s.fdb\",\"PASSWORD\":\"***\"}}\n");
    runCli({"aliases", "remove", "Secret"});

    EXPECT_EQ(runCli({"aliases", "remove", "Zeta"}).status, 0);
    EXPECT_EQ(runCli({"aliases"}).out, "Alpha\n");
    Result gone = runCli({"aliases", "remove", "Zeta"});
    EXPECT_EQ(gone.status, cli::kExitRefused);
    EXPECT_NE(gone.err.find("Zeta"), std::string::npos);
    EXPECT_EQ(runCli({"aliases", "show", "Zeta"}).status, 1);
}

TEST(CliTest, CreatedDatabaseReportsItNeedsMetaStructures) {
    test::Workspace ws;
    std::string path = ws.path("new.fdb");
    Result created = runCli({"create-database", path});
    ASSERT_EQ(created.status, 0) << created.err;
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_NE(test::Workspace::isqlOutput(path, "show sql dialect;").find("1"), std::string::npos);

    runCli({"aliases", "add", "Fresh", path});
    Result st = runCli({"status", "--local", "Fresh"});
    EXPECT_EQ(st.status, 0) << st.err;
    EXPECT_NE(st.out.find("Alias: Fresh"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Dialect: 1"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Create additional meta structures first."), std::string::npos) << st.out;

    // Creating over an existing file fails with the server's message.
    Result again = runCli({"create-database", path});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(again.err.empty());
}

// --dialect makes a database of that dialect; one that contradicts --like,
// or a dialect the tool does not speak, makes nothing.
TEST(CliTest, CreateDatabaseTakesTheDialectGivenOrRefuses) {
    test::Workspace ws;
    ws.createDatabase("Three", "", 3);
    const struct {
        std::vector<std::string> options;
        int status;
        const char* dialect;  // status shows it; nullptr when nothing is made
    } cases[] = {
        {{"--dialect", "3"}, 0, "Dialect: 3"},
        {{"--dialect", "1"}, 0, "Dialect: 1"},
        {{"--like", "Three"}, 0, "Dialect: 3"},
        {{"--dialect", "3", "--like", "Three"}, 0, "Dialect: 3"},
        {{"--dialect", "1", "--like", "Three"}, cli::kExitRefused, nullptr},
        {{"--dialect", "2"}, 2, nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = ws.path("made" + std::to_string(++n) + ".fdb");
        std::vector<std::string> args{"create-database", path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = runCli(args);
        EXPECT_EQ(r.status, c.status) << path << r.out << r.err;
        EXPECT_EQ(std::filesystem::exists(path), c.dialect != nullptr) << path;
        if (!c.dialect) continue;
        runCli({"aliases", "add", "Made", path});
        EXPECT_NE(runCli({"status", "--local", "Made"}).out.find(c.dialect), std::string::npos) << path;
    }
}

TEST(CliTest, StatusOfAPreparedMasterListsItsReplicationTables) {
    test::Workspace ws;
    ws.createDatabase("Shop",
                      test::localObjectsScript() +
                      "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
                      "insert into R$WORKINGTABLES values ('CUSTOMER');\n"
                      "insert into R$PKGENS values ('GEN_CUSTOMER', 100000);\nCOMMIT;");
    Result st = runCli({"--local", "Shop", "status"});
    ASSERT_EQ(st.status, 0) << st.err;
    EXPECT_NE(st.out.find("Master/Clone: MASTER"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Prepare completed"), std::string::npos);
    EXPECT_NE(st.out.find("CUSTOMER"), std::string::npos);
    EXPECT_NE(st.out.find("GEN_CUSTOMER"), std::string::npos);
    EXPECT_NE(st.out.find("100000"), std::string::npos);
    const std::string version = "Replication objects: version " + std::to_string(replica::kLocalVersion) + "\n";
    EXPECT_NE(st.out.find(version), std::string::npos) << st.out;
}

// Registering a clone counts as a master fill that the clone reads through
// the backup: the clone has read it and sent nothing yet.
TEST(CliTest, StatusOfAMasterEndsWithWhatEachRegisteredCloneHasRead) {
    test::Workspace ws;
    ws.createDatabase("Shop", "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY);\nCOMMIT;\n");
    for (std::vector<std::string> step : std::vector<std::vector<std::string>>{
             {"create-meta"}, {"add-table", "A"}, {"recreate-triggers"},
             {"new-clone", "WEST", "--max1", "1", "--max2", "1000000000"}}) {
        step.insert(step.begin(), {"--local", "Shop"});
        ASSERT_EQ(runCli(step).status, 0) << step[2];
    }
    Result st = runCli({"--local", "Shop", "status"});
    ASSERT_EQ(st.status, 0) << st.err;
    const std::string sites = st.out.substr(st.out.find("\nSites (who has read what):\n"));
    // Dates carry the time of day: "(YYYY-MM-DD HH:MM:SS)".
    const std::string stamped = "\nSites (who has read what):\n"
                                "  This site's last fill: 1\n"
                                "  Site  Its last fill read here  Has read this site's fill\n"
                                "  WEST  none                     1 (" + todayText() + " ";
    EXPECT_EQ(sites.rfind(stamped, 0), 0u) << sites;
    EXPECT_EQ(sites.size(), stamped.size() + std::string("HH:MM:SS)\n").size()) << sites;

    // The same as JSON: alone, and as the last member of status.
    const std::string sitesJson = R"({"recorded":true,"lastFill":1,"peers":[{"name":"WEST","number":1,"lastRead":0,)"
                                  R"("lastReadDate":"","acknowledged":1,"acknowledgedDate":")" + todayText() + " ";
    EXPECT_EQ(runCli({"--local", "Shop", "sites", "--json"}).out.rfind(sitesJson, 0), 0u);
    const Result json = runCli({"--local", "Shop", "status", "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind(R"({"alias":"Shop","dialect":1,"site":"MASTER","prepared":true,"triggersSwitchedOff":false,)"
                             R"("halfArmed":false,"version":)", 0), 0u)
        << json.out;
    for (const std::string& part : std::vector<std::string>{
             R"("armed":true,"unarmed":[],"codesPastBound":null,)",
             R"("workingTables":[{"name":"A"}],"keyGenerators":[],)",
             R"("clones":[{"name":"MASTER","number":0,)",
             R"({"name":"WEST","number":1,"max1":1,"max2":1000000000,"me":"N"}],)",
             R"("history":[{"number":0,"date":")" + todayText() + " ",
             "\"sites\":" + sitesJson})
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;
    const Result history = runCli({"--local", "Shop", "history", "--json"});
    EXPECT_EQ(history.out.rfind(R"({"history":[{"number":0,"date":")" + todayText() + " ", 0), 0u) << history.out;
}

// Whatever a database holds, --json writes valid JSON: quotes, backslashes
// and control characters escaped, invalid UTF-8 replaced.
TEST(CliTest, JsonTextsAreEscapedAndValidUtf8) {
    const struct {
        std::string value, json;
    } cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\" \\ there", R"("say \"hi\" \\ there")"},
        {"line\nnext\ttab\r\x01\x7f", R"("line\nnext\ttab\r\u0001\u007f")"},
        {"Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80", "\"Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80\""},
        {"Latin-1 \xfc, cut \xe2\x82, lone \x80, overlong \xc0\xaf", R"("Latin-1 \ufffd, cut \ufffd\ufffd, lone \ufffd, overlong \ufffd\ufffd")"},
    };
    for (const auto& c : cases) EXPECT_EQ(cli::json::text(c.value), c.json) << c.value;
}

// Dialect-1 statements on a dialect-3 database stopped preparation half-way;
// in its own dialect it is prepared whole, its generator offsets 64-bit.
TEST(CliTest, ADialectThreeDatabaseIsPreparedWhole) {
    test::Workspace ws;
    ws.createDatabase("Three", "CREATE GENERATOR GEN_ITEMS;\nCREATE TABLE ITEMS (ID BIGINT NOT NULL PRIMARY KEY);", 3);
    Result prepare = runCli({"--local", "Three", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    EXPECT_EQ(prepare.status, 0) << prepare.err;
    Result gen = runCli({"--local", "Three", "add-gen", "GEN_ITEMS", "--offset", "5000000000", "--yes"});
    EXPECT_EQ(gen.status, 0) << gen.err;
    engine::Database three("Three");
    test::Workspace::connect(three, "Three");
    engine::Query q(three);
    q.setSql("select GenOffset from R$PKGENS");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 5000000000LL);
    q.close();
    three.disconnect();

    Result st = runCli({"--local", "Three", "status"});
    EXPECT_EQ(st.status, 0) << st.err;
    EXPECT_NE(st.out.find("Dialect: 3"), std::string::npos) << st.out;
    EXPECT_NE(st.out.find("Prepare completed"), std::string::npos) << st.out;
}

TEST(CliTest, ConnectionFailureGoesToStandardErrorWithStatusOne) {
    test::Workspace ws;
    Result r = runCli({"status", "--local", "Nowhere"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot connect to Nowhere: Unknown alias: Nowhere"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    // With --json a fill or read says so on standard output too.
    Result json = runCli({"--local", "Nowhere", "--synchro", "Nowhere", "read", "--json"});
    EXPECT_EQ(json.status, cli::kExitFailed);
    EXPECT_EQ(json.out.rfind(R"({"outcome":"failed","exitStatus":1,"message":"Cannot connect to Nowhere)", 0), 0u)
        << json.out;

    Result needsLocal = runCli({"erase-meta"});
    EXPECT_EQ(needsLocal.status, 2) << "a missing --local is wrong usage";
    EXPECT_NE(needsLocal.err.find("--local"), std::string::npos);
}

TEST(CliTest, ConvertDdlEndsWellDespiteACycleAndRefusesAnExtractOfNoWorkingTable) {
    test::Workspace ws;
    std::string shop = ws.createDatabase(
        "Shop",
        test::localObjectsScript() +
        "CREATE TABLE DEPARTMENT (DEPT_NO CHAR(3) NOT NULL PRIMARY KEY, MNGR_NO INTEGER);\n"
        "CREATE TABLE EMPLOYEE (EMP_NO INTEGER NOT NULL PRIMARY KEY, DEPT_NO CHAR(3));\n"
        "COMMIT;\n"
        "insert into R$CLONE values ('MASTER', 0, 0, 2000000000, 'Y');\n"
        "insert into R$WORKINGTABLES values ('DEPARTMENT');\n"
        "insert into R$WORKINGTABLES values ('EMPLOYEE');\nCOMMIT;");
    std::string extract = ws.path("shop.ddl");
    std::ofstream(extract) << "COMMIT WORK;\n"
                              "CREATE TABLE DEPARTMENT (DEPT_NO CHAR(3) NOT NULL, MNGR_NO INTEGER, PRIMARY KEY (DEPT_NO));\n"
                              "CREATE TABLE EMPLOYEE (EMP_NO INTEGER NOT NULL, DEPT_NO CHAR(3), PRIMARY KEY (EMP_NO));\n"
                              "COMMIT WORK;\n"
                              "ALTER TABLE DEPARTMENT ADD FOREIGN KEY (MNGR_NO) REFERENCES EMPLOYEE (EMP_NO);\n"
                              "ALTER TABLE EMPLOYEE ADD FOREIGN KEY (DEPT_NO) REFERENCES DEPARTMENT (DEPT_NO);\n";
    std::string target = ws.path("synchro.ddl");

    Result cycle = runCli({"--local", "Shop", "convert-ddl", extract, target});
    EXPECT_EQ(cycle.status, 0) << cycle.err;
    EXPECT_NE(cycle.err.find("Warning: the tables DEPARTMENT, EMPLOYEE reference each other"), std::string::npos)
        << cycle.err;
    ASSERT_TRUE(std::filesystem::exists(target));
    std::ifstream made(target);
    const std::string script(std::istreambuf_iterator<char>(made), {});
    std::ifstream extractFile(extract);
    const std::string extractText(std::istreambuf_iterator<char>(extractFile), {});

    // "-" reads the extract from standard input, writes the script to
    // standard output (the warning stays on standard error), or both.
    const std::string piped = ws.path("piped.ddl");
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"-", piped}, {extract, "-"}, {"-", "-"}}) {
        SCOPED_TRACE(from + " " + to);
        std::filesystem::remove(piped);
        const Result r = runCli({"--local", "Shop", "convert-ddl", from, to}, from == "-" ? extractText : "");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Warning: the tables DEPARTMENT"), std::string::npos) << r.err;
        if (to == "-") {
            EXPECT_EQ(r.out, script);
            EXPECT_FALSE(std::filesystem::exists(piped));
        } else {
            std::ifstream written(piped);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), script);
        }
    }
    EXPECT_FALSE(std::filesystem::exists("-")) << "no file named -";
    const Result nothing = runCli({"--local", "Shop", "convert-ddl", "-", "-"}, "");
    EXPECT_EQ(nothing.status, cli::kExitRefused) << nothing.err;
    EXPECT_EQ(nothing.out, "") << "nothing on standard output when refused";

    std::string empty = ws.path("empty.ddl");
    std::ofstream(empty).flush();
    std::ofstream(target) << "previous";
    test::Workspace::runIsql(shop, "delete from R$TABLEORDER where TABLENAME = 'DEPARTMENT';\nCOMMIT;\n");
    Result refused = runCli({"--local", "Shop", "convert-ddl", empty, target});
    EXPECT_EQ(refused.status, cli::kExitRefused);
    EXPECT_NE(refused.err.find("defines none of the working tables (DEPARTMENT, EMPLOYEE)"), std::string::npos)
        << refused.err;
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "previous");
    std::string order = test::Workspace::isqlOutput(shop, "SET HEADING OFF;\nselect TABLENAME from R$TABLEORDER;\n");
    EXPECT_NE(order.find("EMPLOYEE"), std::string::npos) << order;
    EXPECT_EQ(order.find("DEPARTMENT"), std::string::npos) << "the order was rewritten:\n" << order;
}

}  // namespace

#include "ExchangeSites.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "cli/Cli.h"
#include "clone/Gbak.h"
#include "engine/Aliases.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "support/ToolObjects.h"

extern char** environ;

namespace fs = std::filesystem;

namespace quorvel::test::exchange {

namespace {

// Customers carry a text BLOB; orders refer to customers and order lines to
// orders (a two-column key); tags have a natural key that both sites may
// pick; BULK is the big table of the kill tests (kBulkRows rows).
const char* const kSchema = R"(
CREATE GENERATOR GEN_CUSTOMER;
CREATE GENERATOR GEN_ORDERS;
CREATE GENERATOR GEN_BULK;
CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40) NOT NULL, CITY VARCHAR(30),
  SCORE NUMERIC(15, 2), NOTE BLOB SUB_TYPE TEXT SEGMENT SIZE 80, CREATED DATE);
CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, CUSTOMER_ID INTEGER NOT NULL REFERENCES CUSTOMER (ID),
  AMOUNT NUMERIC(15, 2), NOTE VARCHAR(80));
CREATE TABLE ORDER_LINE (ORDER_ID INTEGER NOT NULL REFERENCES ORDERS (ID), LINE_NO INTEGER NOT NULL,
  QTY INTEGER, PRIMARY KEY (ORDER_ID, LINE_NO));
CREATE TABLE TAG (CODE CHAR(10) NOT NULL PRIMARY KEY, LABEL VARCHAR(40));
CREATE TABLE BULK (ID INTEGER NOT NULL PRIMARY KEY, TXT VARCHAR(60), N INTEGER);
COMMIT;
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE I INTEGER;
BEGIN
  I = 1;
  WHILE (I <= 40) DO BEGIN
    INSERT INTO CUSTOMER VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Customer ' || :I, 'Town ' || MOD(:I, 7),
      :I * 1.25, 'Note of customer ' || :I, '2026-01-01');
    I = I + 1;
  END
  I = 1;
  WHILE (I <= 60) DO BEGIN
    INSERT INTO ORDERS VALUES (GEN_ID(GEN_ORDERS, 1), MOD(:I, 40) + 1, :I * 2.5, 'Order ' || :I);
    INSERT INTO ORDER_LINE VALUES (:I, 1, :I);
    INSERT INTO ORDER_LINE VALUES (:I, 2, :I + 1);
    I = I + 1;
  END
  I = 1;
  WHILE (I <= 10) DO BEGIN
    INSERT INTO TAG VALUES ('T' || :I, 'Tag ' || :I);
    I = I + 1;
  END
  I = 1;
  WHILE (I <= 22000) DO BEGIN
    INSERT INTO BULK VALUES (GEN_ID(GEN_BULK, 1), 'bulk row ' || :I, :I);
    I = I + 1;
  END
END^
SET TERM ; ^
COMMIT;
)";

std::string shell(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) throw std::runtime_error("cannot run " + command);
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    *status = pclose(p);
    return out;
}

void need(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

void shellOk(const std::string& command) {
    int status = 0;
    const std::string out = shell(command, &status);
    need(status == 0 && out.find("Statement failed") == std::string::npos, command + ":\n" + out);
}

void cliOk(const std::vector<std::string>& args) {
    const CliRun r = cli(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    need(r.status == 0, "quorvel-cli " + line + "\n" + r.text());
}

std::string templateDir() {
    const char* t = std::getenv("QUORVEL_TEST_TMP");
    const std::string base = t && *t ? t : (fs::temp_directory_path() / "quorvel-tests").string();
    return base + "/exchange-template-" + std::to_string(::getpid());
}

// Without an index on the record code, the fill's journal selection and the
// read's deletes scan a table once per journal entry: 11,000 entries over
// 32,000 rows take minutes. An operator adds it; the tool may add its own
// later, so it is added only where no index starts with R$CODE1.
void indexRecordCodes(const std::string& dir) {
    std::string script;
    for (const TableKey& t : replicatedTables())
        script += "EXECUTE BLOCK AS BEGIN\n"
                  "  IF (NOT EXISTS (SELECT 1 FROM RDB$INDICES I JOIN RDB$INDEX_SEGMENTS S"
                  " ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME WHERE I.RDB$RELATION_NAME = '" + t.table +
                  "' AND S.RDB$FIELD_NAME = 'R$CODE1' AND S.RDB$FIELD_POSITION = 0)) THEN\n"
                  "    EXECUTE STATEMENT 'CREATE INDEX IX_" + t.table + "_CODE ON " + t.table +
                  " (R$CODE1, R$CODE2)';\n"
                  "END^\n";
    std::ofstream(dir + "/index.sql") << "SET TERM ^ ;\n" << script << "SET TERM ; ^\nCOMMIT;\n";
    shellOk("isql-fb -q -user SYSDBA -i '" + dir + "/index.sql' '" + dir + "/master.fdb'");
}

// The template's dialect: 1, or QUORVEL_TEST_DIALECT (3) for a run of the
// same tests on a dialect-3 set.
std::string templateDialect() {
    const char* d = std::getenv("QUORVEL_TEST_DIALECT");
    return d && std::string(d) == "3" ? "3" : "1";
}

void makeTemplate(const std::string& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string aliasFile = dir + "/aliases.conf";
    const char* previous = std::getenv("QUORVEL_ALIASES");
    const std::string saved = previous ? previous : "";
    ::setenv("QUORVEL_ALIASES", aliasFile.c_str(), 1);
    struct Restore {
        bool had;
        std::string value;
        ~Restore() {
            if (had) ::setenv("QUORVEL_ALIASES", value.c_str(), 1);
            else ::unsetenv("QUORVEL_ALIASES");
        }
    } restore{previous != nullptr, saved};

    {
        std::ofstream f(dir + "/master.sql");
        f << "SET SQL DIALECT " << templateDialect() << ";\nCREATE DATABASE '" << dir << "/master.fdb' PAGE_SIZE 8192;\nCOMMIT;\n" << kSchema;
    }
    shellOk("isql-fb -q -user SYSDBA -i '" + dir + "/master.sql'");
    cliOk({"aliases", "add", "M", dir + "/master.fdb"});
    cliOk({"--local", "M", "create-meta", "--max1", "0", "--max2", "2000000000", "--yes"});
    cliOk({"--local", "M", "select-all-tables", "--yes"});
    for (const char* g : {"GEN_CUSTOMER", "GEN_ORDERS", "GEN_BULK"})
        cliOk({"--local", "M", "add-gen", g, "--offset", "100000", "--yes"});
    cliOk({"--local", "M", "recreate-triggers", "--yes"});
    indexRecordCodes(dir);
    // The conversion rewrites the master's table order: before the backup.
    shellOk("isql-fb -x -user SYSDBA '" + dir + "/master.fdb' > '" + dir + "/m.ddl'");
    cliOk({"--local", "M", "convert-ddl", dir + "/m.ddl", dir + "/s.ddl", "--yes"});
    cliOk({"--local", "M", "new-clone", "WEST", "--max1", "1", "--max2", "1000000000", "--yes"});
    clone::backUpDatabase(dir + "/master.fdb", dir + "/m.fbk", {});
    clone::restoreDatabase(dir + "/m.fbk", dir + "/west.fdb", {});
    cliOk({"aliases", "add", "W", dir + "/west.fdb"});
    cliOk({"--local", "M", "--clone", "W", "update-clone", "WEST", "--yes"});
    cliOk({"create-database", dir + "/synchro.fdb", "--dialect", templateDialect()});
    shellOk("isql-fb -q -user SYSDBA -i '" + dir + "/s.ddl' '" + dir + "/synchro.fdb'");
    fs::remove(dir + "/m.fbk");
}

struct Connection {
    engine::Database db{"ExchangeTest"};
    explicit Connection(const std::string& alias) {
        db.setAliasName(alias);
        db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
        db.connect();
    }
    ~Connection() { db.disconnect(); }
};

std::string rowText(engine::Query& q) {
    std::string s;
    for (int i = 0; i < q.fieldCount(); ++i) {
        const engine::Field& f = q.field(i);
        s += (i ? "|" : "") + f.name() + "=" + (f.isNull() ? "<null>" : f.asString());
    }
    return s;
}

}  // namespace

const std::vector<TableKey>& replicatedTables() {
    static const std::vector<TableKey> t = {{"CUSTOMER", "ID"},
                                            {"ORDERS", "ID"},
                                            {"ORDER_LINE", "ORDER_ID, LINE_NO"},
                                            {"TAG", "CODE"},
                                            {"BULK", "ID"}};
    return t;
}

CliRun cli(std::vector<std::string> args) {
    args.push_back("--yes");
    std::istringstream in;
    std::ostringstream out, err;
    CliRun r;
    r.status = cli::run(args, in, out, err, false);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::string buildTemplate() {
    static std::string error = [] {
        try {
            makeTemplate(templateDir());
            return std::string();
        } catch (const std::exception& e) {
            return std::string("making the template failed: ") + e.what();
        }
    }();
    static const bool cleaned = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(templateDir(), ec);
        });
        return true;
    }();
    (void)cleaned;
    return error;
}

void copyFile(const std::string& from, const std::string& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::string templateFile(const std::string& name) { return templateDir() + "/" + name; }

void copySites(const std::string& dir) {
    const std::string t = templateDir();
    copyFile(t + "/master.fdb", dir + "/master.fdb");
    copyFile(t + "/west.fdb", dir + "/west.fdb");
    copyFile(t + "/synchro.fdb", dir + "/sm.fdb");
    copyFile(t + "/synchro.fdb", dir + "/sw.fdb");
    engine::Aliases::add("M", dir + "/master.fdb");
    engine::Aliases::add("W", dir + "/west.fdb");
    engine::Aliases::add("SM", dir + "/sm.fdb");
    engine::Aliases::add("SW", dir + "/sw.fdb");
}

void sql(const std::string& alias, const std::vector<std::string>& statements) {
    Connection c(alias);
    c.db.startTransaction();
    for (const std::string& s : statements) {
        try {
            c.db.execute(s);
        } catch (const std::exception& e) {
            throw std::runtime_error(alias + ": " + s + "\n" + e.what());
        }
    }
    c.db.commit();
}

std::vector<std::string> column(const std::string& alias, const std::string& select) {
    Connection c(alias);
    engine::Query q(c.db);
    q.setSql(select);
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) out.push_back(q.field(0).isNull() ? "<null>" : q.field(0).asString());
    q.close();
    return out;
}

int64_t integer(const std::string& alias, const std::string& select) {
    const auto v = column(alias, select);
    if (v.empty() || v[0] == "<null>") throw std::runtime_error(alias + ": no value from " + select);
    return std::stoll(v[0]);
}

std::vector<std::string> rows(const std::string& alias, const std::string& select) {
    Connection c(alias);
    engine::Query q(c.db);
    q.setSql(select);
    q.setUnidirectional(true);
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) out.push_back(rowText(q));
    q.close();
    return out;
}

Dump dump(const std::string& alias, bool withBookkeeping) {
    Dump d;
    for (const TableKey& t : replicatedTables())
        d[t.table] = rows(alias, "select * from " + t.table + " order by " + t.orderBy);
    if (withBookkeeping) {
        d["R$DELETEDUPDATED"] = rows(alias, "select * from " + test::kWholeJournal + " J order by 1, 2, 3, 4, 5, 6, 7");
        d["R$SYNCHRO"] = rows(alias, "select * from R$SYNCHRO order by SynchroNumber");
    }
    return d;
}

std::string differences(const Dump& a, const Dump& b, const std::string& nameA, const std::string& nameB) {
    std::ostringstream out;
    for (const auto& [table, rowsA] : a) {
        const auto it = b.find(table);
        const std::vector<std::string> none;
        const std::vector<std::string>& rowsB = it == b.end() ? none : it->second;
        if (rowsA == rowsB) continue;
        out << table << ": " << rowsA.size() << " rows at " << nameA << ", " << rowsB.size() << " at " << nameB
            << '\n';
        int shown = 0;
        std::size_t i = 0, j = 0;
        while ((i < rowsA.size() || j < rowsB.size()) && shown < 6) {
            if (i < rowsA.size() && j < rowsB.size() && rowsA[i] == rowsB[j]) {
                ++i, ++j;
                continue;
            }
            if (i < rowsA.size()) out << "  " << nameA << ": " << rowsA[i++] << '\n';
            if (j < rowsB.size()) out << "  " << nameB << ": " << rowsB[j++] << '\n';
            ++shown;
        }
    }
    return out.str();
}

std::vector<std::string> inactiveToolTriggers(const std::string& alias) {
    auto off = column(alias,
                      "select RDB$Trigger_Name from RDB$Triggers where RDB$Trigger_Name starting with 'R$' "
                      "and RDB$Trigger_Inactive = 1 order by 1");
    if (integer(alias, "select gen_id(R$Trig, 0) from RDB$DATABASE") != 0) off.push_back("(R$Trig says inactive)");
    return off;
}

uint64_t seedOf(const char* testName) {
    uint64_t seed = std::random_device{}();
    if (const char* s = std::getenv("QUORVEL_SEED"); s && *s) seed = std::stoull(s);
    std::cout << "[ seed     ] " << testName << ": QUORVEL_SEED=" << seed << std::endl;
    return seed;
}

int envInt(const char* name, int byDefault) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : byDefault;
}

pid_t spawnProgram(std::vector<std::string> argvText, const std::string& log) {
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // Its own lock folder: a child killed while it holds a mutex of the
    // engine's lock tables leaves it held there, not in the folder the test
    // and its next children use. The test never opens a file while a child
    // has it open.
    static int children = 0;
    const char* lock = std::getenv("FIREBIRD_LOCK");
    const std::string folder = std::string(lock ? lock : "/tmp/quorvel-lock") + "/child-" + std::to_string(++children);
    fs::create_directories(folder);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("FIREBIRD_LOCK=", 0) != 0) envText.emplace_back(*e);
    envText.push_back("FIREBIRD_LOCK=" + folder);
    std::vector<char*> env;
    for (std::string& e : envText) env.push_back(e.data());
    env.push_back(nullptr);
    // A group of its own: a test may kill it with the tools it started (gbak).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), env.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argvText.front());
    return pid;
}

pid_t spawnCli(const std::vector<std::string>& args, const std::string& log) {
    std::vector<std::string> all{QUORVEL_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    return spawnProgram(std::move(all), log);
}

bool reap(pid_t pid, int* exitStatus, bool* killed) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const bool byItself = WIFEXITED(status);
    if (exitStatus) *exitStatus = byItself ? WEXITSTATUS(status) : -1;
    if (killed) *killed = WIFSIGNALED(status);
    return byItself && WEXITSTATUS(status) == 0;
}

}  // namespace quorvel::test::exchange

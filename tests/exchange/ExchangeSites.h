#pragma once
// A master, its clone WEST and empty synchro databases, made once per test
// process the way an operator makes them (quorvel-cli, isql-fb, gbak) and
// copied for every test, plus what the exchange tests need around them:
// quorvel-cli in-process or as a child process, SQL on a site, whole-table
// dumps and the seed of a randomized run.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace quorvel::test::exchange {

// The replicated tables, parents first, with the columns that order a dump.
struct TableKey {
    std::string table, orderBy;
};
const std::vector<TableKey>& replicatedTables();
// Rows of the big table of the template (enough for 20,000 changes).
constexpr int kBulkRows = 22000;

struct CliRun {
    int status = 0;
    std::string out, err;
    std::string text() const { return "exit " + std::to_string(status) + "\n" + out + err; }
};

// quorvel-cli in this process; every confirmation is answered Yes.
CliRun cli(std::vector<std::string> args);

// The template: master.fdb (armed), west.fdb (the clone, updated),
// synchro.fdb (empty, from the converted definition). Returns "" when made,
// else what failed. Made once per process.
std::string buildTemplate();

// Fresh copies of the template in `dir` with the aliases M (master), W (the
// clone WEST), SM (the master's out-synchro) and SW (the clone's) in the
// alias file that is current.
void copySites(const std::string& dir);
void copyFile(const std::string& from, const std::string& to);
// A file of the template's folder (after buildTemplate), e.g. "synchro.fdb".
std::string templateFile(const std::string& name);

// Statements in one transaction on the database of `alias`.
void sql(const std::string& alias, const std::vector<std::string>& statements);
// The first column of every row of `select`, as text.
std::vector<std::string> column(const std::string& alias, const std::string& select);
int64_t integer(const std::string& alias, const std::string& select);

// Every row of `select` as "NAME=value|NAME=value..." (BLOBs whole, NULL as
// <null>), in the statement's order.
std::vector<std::string> rows(const std::string& alias, const std::string& select);
using Dump = std::map<std::string, std::vector<std::string>>;
// The replicated tables whole, ordered by key; `withBookkeeping` adds the
// journal and the history.
Dump dump(const std::string& alias, bool withBookkeeping = false);
// "" when equal; else the first differing rows of each table, for a message.
std::string differences(const Dump& a, const Dump& b, const std::string& nameA, const std::string& nameB);

// The tool's triggers that are switched off, and the R$Trig state.
std::vector<std::string> inactiveToolTriggers(const std::string& alias);

// A seed from QUORVEL_SEED or a fresh one, printed so a run can be replayed.
uint64_t seedOf(const char* testName);
int envInt(const char* name, int byDefault);

// A program (its path first) as a child process, output to `log`.
pid_t spawnProgram(std::vector<std::string> argv, const std::string& log);
// quorvel-cli as a child process (output to `log`), for killing.
pid_t spawnCli(const std::vector<std::string>& args, const std::string& log);
// Waits for the child; true when it ended by itself with status 0.
bool reap(pid_t pid, int* exitStatus = nullptr, bool* killed = nullptr);

}  // namespace quorvel::test::exchange

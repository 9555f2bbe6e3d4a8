#include "Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>
#include <stdexcept>
#include <unistd.h>

#include "engine/Aliases.h"
#include "engine/Database.h"

namespace fs = std::filesystem;

namespace quorvel::test {

namespace {

std::string baseTmp() {
    const char* t = std::getenv("QUORVEL_TEST_TMP");
    std::string base = t && *t ? t : (fs::temp_directory_path() / "quorvel-tests").string();
    fs::create_directories(base);
    return base;
}

std::string runCommand(const std::string& cmd, int* status) {
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) throw std::runtime_error("cannot run " + cmd);
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    int rc = pclose(p);
    if (status) *status = rc;
    return out;
}

std::string isqlRun(const std::string& database, const std::string& script, int* status,
                    const std::string& user = "SYSDBA") {
    fs::path file = fs::path(baseTmp()) / ("script-" + std::to_string(std::random_device{}()) + ".sql");
    {
        std::ofstream f(file);
        f << "SET SQL DIALECT 1;\n" << script << "\n";
    }
    // An empty database name: the script creates its database itself.
    std::string target = database.empty() ? std::string() : " '" + database + "'";
    std::string out = runCommand("isql-fb -q -user " + user + " -i '" + file.string() + "'" + target, status);
    fs::remove(file);
    return out;
}

// Every embedded Firebird process maps its lock tables from one folder, the
// machine's by default: a process killed at the wrong moment can leave a
// mutex there held, and every other embedded process on the machine then
// waits for ever. A test process and the tools it starts (which inherit the
// setting) keep theirs in a folder of their own; no database file is opened
// by two test processes.
const bool kOwnLockFolder = [] {
    const std::string folder = baseTmp() + "/lock-" + std::to_string(::getpid());
    std::error_code ec;
    fs::create_directories(folder, ec);
    ::setenv("FIREBIRD_LOCK", folder.c_str(), 1);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(std::getenv("FIREBIRD_LOCK"), ec);
    });
    return true;
}();

}  // namespace

Workspace::Workspace() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "ws";
    std::replace(name.begin(), name.end(), '/', '_');
    dir_ = baseTmp() + "/" + name + "-" + std::to_string(::getpid());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    if (const char* prev = std::getenv("QUORVEL_ALIASES")) {
        hadPreviousAliases_ = true;
        previousAliases_ = prev;
    }
    ::setenv("QUORVEL_ALIASES", (dir_ + "/aliases.conf").c_str(), 1);
}

Workspace::~Workspace() {
    if (hadPreviousAliases_) ::setenv("QUORVEL_ALIASES", previousAliases_.c_str(), 1);
    else ::unsetenv("QUORVEL_ALIASES");
    if (!::testing::Test::HasFailure() || std::getenv("QUORVEL_TEST_CLEAN")) {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
}

std::string Workspace::createDatabase(const std::string& alias, const std::string& script, int dialect) {
    std::string file = alias;
    std::transform(file.begin(), file.end(), file.begin(), ::tolower);
    std::string db = dir_ + "/" + file + ".fdb";
    fs::remove(db);
    int status = 0;
    std::string out = isqlRun("",
                              "SET SQL DIALECT " + std::to_string(dialect) + ";\nCREATE DATABASE '" + db +
                                  "' PAGE_SIZE 8192;\nCOMMIT;\n" + script,
                              &status);
    if (status != 0 || out.find("Statement failed") != std::string::npos ||
        out.find("SQLSTATE") != std::string::npos)
        ADD_FAILURE() << "isql failed creating " << db << ":\n" << out;
    engine::Aliases::add(alias, db);
    return db;
}

void Workspace::runIsql(const std::string& database, const std::string& script) {
    int status = 0;
    std::string out = isqlRun(database, script, &status);
    if (status != 0 || out.find("Statement failed") != std::string::npos ||
        out.find("SQLSTATE") != std::string::npos)
        ADD_FAILURE() << "isql failed on " << database << ":\n" << out;
}

void Workspace::runInDialect3(const std::string& database, const std::string& script) {
    int status = 0;
    std::string out = runCommand("gfix -user SYSDBA -sql_dialect 3 '" + database + "'", &status);
    if (status != 0) ADD_FAILURE() << "gfix could not raise " << database << " to dialect 3:\n" << out;
    runIsql(database, "SET SQL DIALECT 3;\n" + script);
    out = runCommand("gfix -user SYSDBA -sql_dialect 1 '" + database + "'", &status);
    if (status != 0) ADD_FAILURE() << "gfix could not lower " << database << " to dialect 1:\n" << out;
}

std::string Workspace::isqlOutput(const std::string& database, const std::string& script, const std::string& user) {
    int status = 0;
    return isqlRun(database, script, &status, user);
}

std::string Workspace::validationErrors(const std::string& database) {
    int status = 0;
    std::istringstream out(runCommand("gfix -v -full -n -user SYSDBA '" + database + "'", &status));
    std::string errors;
    for (std::string line; std::getline(out, line);)
        if (line.find("errors") != std::string::npos && line.find(':') != std::string::npos) errors += line + "\n";
    return errors;
}

void Workspace::connect(engine::Database& db, const std::string& alias) {
    db.disconnect();
    db.setAliasName(alias);
    db.setParams({"USER NAME=SYSDBA", "PASSWORD="});
    db.connect();
}

}  // namespace quorvel::test

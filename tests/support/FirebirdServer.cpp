#include "FirebirdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>
#include <cstring>

namespace fs = std::filesystem;

namespace quorvel::test {

namespace {

const char* kServerBinary = "/usr/sbin/firebird";

// Where the installed client keeps its messages, plugins and character sets.
std::string installedRoot() {
    const char* candidates[] = {"/usr/lib/x86_64-linux-gnu/firebird/3.0", "/usr/lib/aarch64-linux-gnu/firebird/3.0",
                                "/usr/lib/firebird/3.0", "/opt/firebird"};
    for (const char* c : candidates)
        if (fs::exists(fs::path(c) / "plugins")) return c;
    std::error_code ec;
    for (auto& e : fs::directory_iterator("/usr/lib", ec)) {
        fs::path p = e.path() / "firebird" / "3.0";
        if (fs::exists(p / "plugins")) return p.string();
    }
    return {};
}

int freeLoopbackPort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool accepts(int port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

std::string run(const std::string& cmd, int* status) {
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) {
        *status = -1;
        return "cannot run " + cmd;
    }
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    *status = pclose(p);
    return out;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

FirebirdServer::FirebirdServer(std::string password) : password_(std::move(password)) {
    std::string why;
    bool ok = prepareRoot(why);
    // Another program may take the free port first: then try another one.
    for (int attempt = 0; ok && attempt < 3; ++attempt) {
        if (attempt > 0) {
            port_ = freeLoopbackPort();
            writeConfig();
        }
        if (start(why)) return;
        stop();
    }
    error_ = "private Firebird server not available: " + why;
}

void FirebirdServer::writeConfig() {
    // SecurityDatabase (not the "security.db" alias) is what both the
    // server and the embedded engine use for logins and user changes:
    // without it they would use the machine's own security database.
    std::ofstream conf(fs::path(root_) / "firebird.conf");
    conf << "RemoteServicePort = " << port_ << "\n"
         << "RemoteBindAddress = 127.0.0.1\n"
         << "SecurityDatabase = " << root_ << "/security3.fdb\n";
    std::ofstream dbs(fs::path(root_) / "databases.conf");
    dbs << "security.db = " << root_ << "/security3.fdb\n";
}

FirebirdServer::~FirebirdServer() {
    stop();
    if (!root_.empty()) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

FirebirdServer& FirebirdServer::shared() {
    static FirebirdServer server;
    return server;
}

std::string FirebirdServer::databaseName(const std::string& path) const {
    return "127.0.0.1/" + std::to_string(port_) + ":" + path;
}

bool FirebirdServer::prepareRoot(std::string& why) {
    if (!fs::exists(kServerBinary)) {
        why = std::string(kServerBinary) + " is not installed (package firebird3.0-server)";
        return false;
    }
    std::string installed = installedRoot();
    if (installed.empty()) {
        why = "the Firebird 3 root folder (plugins, messages) was not found";
        return false;
    }
    port_ = freeLoopbackPort();
    if (port_ == 0) {
        why = "no free loopback port";
        return false;
    }
    const char* t = std::getenv("QUORVEL_TEST_TMP");
    fs::path base = t && *t ? fs::path(t) : fs::temp_directory_path() / "quorvel-tests";
    root_ = (base / ("fbserver-" + std::to_string(::getpid()) + "-" + std::to_string(port_))).string();
    std::error_code ec;
    fs::remove_all(root_, ec);
    fs::create_directories(root_, ec);
    if (ec) {
        why = "cannot create " + root_ + ": " + ec.message();
        return false;
    }
    // Everything but the configuration comes from the installation.
    for (const char* item : {"firebird.msg", "plugins", "intl", "lib", "UDF", "plugins.conf", "fbtrace.conf"}) {
        fs::path from = fs::path(installed) / item;
        if (fs::exists(from)) fs::create_symlink(from, fs::path(root_) / item, ec);
    }
    writeConfig();
    // A fresh security database, made on the embedded engine, with SYSDBA's
    // password set.
    fs::path script = fs::path(root_) / "security.sql";
    {
        std::ofstream s(script);
        s << "create database '" << root_ << "/security3.fdb';\n"
          << "create or alter user SYSDBA password '" << password_ << "';\n"
          << "commit;\n";
    }
    int status = 0;
    std::string out = run("FIREBIRD='" + root_ + "' isql-fb -q -user SYSDBA -i '" + script.string() + "'", &status);
    if (status != 0 || out.find("Statement failed") != std::string::npos) {
        why = "cannot make the security database: " + out;
        return false;
    }
    return true;
}

bool FirebirdServer::start(std::string& why) {
    fs::path log = fs::path(root_) / "server.log";
    // Everything the child needs is made before fork: the test process may
    // run other threads (the embedded engine's), so the child only calls
    // async-signal-safe functions before exec.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "FIREBIRD=", 9) != 0) env.emplace_back(*e);
    env.push_back("FIREBIRD=" + root_);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(kServerBinary), nullptr};
    int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_t pid = ::fork();
    if (pid < 0) {
        if (logFd >= 0) ::close(logFd);
        why = "fork failed";
        return false;
    }
    if (pid == 0) {
        if (logFd >= 0) {
            ::dup2(logFd, 1);
            ::dup2(logFd, 2);
        }
        ::execve(kServerBinary, argv, envp.data());
        ::_exit(127);
    }
    if (logFd >= 0) ::close(logFd);
    pid_ = pid;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            why = "the server exited at once: " + readFile(log) + readFile(fs::path(root_) / "firebird.log");
            return false;
        }
        if (accepts(port_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    why = "the server did not listen on port " + std::to_string(port_) + ": " + readFile(log);
    return false;
}

void FirebirdServer::stop() {
    if (pid_ <= 0) return;
    // Firebird 3's server often ignores SIGTERM while idle; its databases
    // here are throw-away, so a short grace period is enough.
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace quorvel::test

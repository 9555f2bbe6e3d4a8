#pragma once
// A private Firebird server for tests that must go through the network
// layer: its own root folder (FIREBIRD), a free loopback port, and its own
// security database in which SYSDBA has a known password. It never touches
// the machine's installed server or its security database.
//
//   auto& server = FirebirdServer::shared();
//   if (!server.running()) GTEST_SKIP() << server.error();
//   Aliases::add("REMOTE", server.databaseName(path));   // 127.0.0.1/PORT:path
//   db.setParams({"USER NAME=SYSDBA", "PASSWORD=" + server.password()});
#include <string>
#include <sys/types.h>

namespace quorvel::test {

class FirebirdServer {
public:
    explicit FirebirdServer(std::string password = "Quorvel7");
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;

    // One server for the whole test program, started on first use and
    // stopped when the program ends.
    static FirebirdServer& shared();

    bool running() const { return pid_ > 0; }
    // Why the server is not running (for GTEST_SKIP).
    const std::string& error() const { return error_; }
    int port() const { return port_; }
    const std::string& password() const { return password_; }
    const std::string& root() const { return root_; }
    // The server name of a database file: "127.0.0.1/PORT:/path".
    std::string databaseName(const std::string& path) const;

    void stop();

private:
    bool prepareRoot(std::string& why);
    void writeConfig();
    bool start(std::string& why);

    std::string password_;
    std::string root_;
    std::string error_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace quorvel::test

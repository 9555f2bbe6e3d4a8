#pragma once
// Backing a database up and restoring a backup with the server's own tool,
// gbak, in a process of its own. The embedded engine lets one process at a
// time open a database file: a caller that holds the database connected
// without a server lets it go first.
#include <string>

namespace quorvel::clone {

// Empty: not given (an embedded database needs no password).
struct GbakLogin {
    std::string user = "SYSDBA";
    std::string password;
};

// Both throw std::runtime_error with gbak's own words when it fails or
// cannot be started. A restore never replaces an existing database.
void backUpDatabase(const std::string& database, const std::string& backupFile, const GbakLogin& login);
void restoreDatabase(const std::string& backupFile, const std::string& database, const GbakLogin& login);

}  // namespace quorvel::clone

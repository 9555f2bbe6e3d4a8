#pragma once
// What quorvel-cli says about itself: the whole usage, one command's help,
// the one line a usage error shows, and the exit statuses by kind.
#include <string>

namespace quorvel::cli {

// Exit statuses by kind, so that a script can tell "settle a collision" from
// "try again later" from "nothing was changed". Ctrl+C and kill end the
// program with 128 + the signal's number (130, 143).
enum ExitStatus : int {
    kExitDone = 0,
    kExitFailed = 1,     // a database or file error; what happened on standard error
    kExitUsage = 2,      // wrong usage
    kExitRefused = 3,    // refused or cancelled: nothing was changed
    kExitCollision = 4,  // the read stopped on a collision: settle it, read again
    kExitRetry = 5,      // a row locked by another user, a file in use, a lost connection: try again later
};

// The whole usage text (quorvel-cli --help).
std::string usageText();
// One command's usage and description (quorvel-cli COMMAND --help); empty
// for a word that is no command.
std::string commandHelp(const std::string& command);
// One command's synopsis ("add-table NAME"); empty for no command.
std::string commandSynopsis(const std::string& command);
// The exit-status table as --help ends with it.
std::string exitStatusText();

}  // namespace quorvel::cli

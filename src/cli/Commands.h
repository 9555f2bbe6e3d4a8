#pragma once
// The command table of quorvel-cli. Each command runs one operation (the
// same code as the button of the main window) or a small tool function.
#include <string>
#include <vector>

namespace quorvel::cli {

struct Session;

struct Command {
    const char* name;
    int minArgs;
    int maxArgs;  // -1: any number
    int (*run)(Session&);
};

const Command* findCommand(const std::string& word);
// Every command word, in the order of the tables.
std::vector<std::string> commandWords();
// The exchange's commands (fill, read, history, settling a collision).
const Command* findExchangeCommand(const std::string& word);
std::vector<std::string> exchangeCommandWords();
// The exchange by sealed packages (send, receive, exchange, key).
const Command* findPackageCommand(const std::string& word);
std::vector<std::string> packageCommandWords();

// Command groups, each in a file of its own.
int cmdAliases(Session& s);
int cmdCreateDatabase(Session& s);
int cmdStatus(Session& s);
int cmdSites(Session& s);
int cmdLog(Session& s);
int cmdLogKeep(Session& s);

}  // namespace quorvel::cli

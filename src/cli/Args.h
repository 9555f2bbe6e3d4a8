#pragma once
// Command line of quorvel-cli: options may stand anywhere on the line.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::cli {

struct Args {
    std::vector<std::string> words;             // command and its arguments
    std::map<std::string, std::string> values;  // --local, --max1, ...
    bool yes = false;
    bool help = false;
    bool version = false;
    bool json = false;  // machine-readable output where a command offers it

    std::optional<std::string> value(const std::string& option) const {
        auto it = values.find(option);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
};

// Throws UsageError on an unknown option or a missing option value.
Args parseArgs(const std::vector<std::string>& argv);

struct UsageError {
    std::string message;
};

}  // namespace quorvel::cli

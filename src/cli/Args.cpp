#include "cli/Args.h"

#include <set>

namespace quorvel::cli {

namespace {
const std::set<std::string> kValueOptions = {"--local", "--clone", "--synchro", "--user", "--password", "--fetch-password", "--role",
                                             "--max1", "--max2", "--offset", "--like", "--dialect",
                                             "--inbox", "--outbox", "--since"};
}

Args parseArgs(const std::vector<std::string>& argv) {
    Args a;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& w = argv[i];
        if (w == "--yes" || w == "-y") {
            a.yes = true;
        } else if (w == "--switch-triggers") {
            a.values[w] = "yes";
        } else if (w == "--help" || w == "-h") {
            a.help = true;
        } else if (w == "--version") {
            a.version = true;
        } else if (w == "--json") {
            a.json = true;
        } else if (w.rfind("--", 0) == 0 && w.size() > 2) {
            std::string name = w, value;
            bool inlineValue = false;
            if (auto eq = w.find('='); eq != std::string::npos) {
                name = w.substr(0, eq);
                value = w.substr(eq + 1);
                inlineValue = true;
            }
            if (!kValueOptions.count(name)) throw UsageError{"unknown option " + name};
            if (!inlineValue) {
                if (i + 1 >= argv.size()) throw UsageError{"option " + name + " needs a value"};
                value = argv[++i];
            }
            a.values[name] = value;
        } else {
            a.words.push_back(w);
        }
    }
    return a;
}

}  // namespace quorvel::cli

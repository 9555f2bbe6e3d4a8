#include "cli/Cli.h"

#include <functional>
#include <istream>
#include <map>
#include <ostream>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Help.h"
#include "cli/Session.h"
#include "operation/Version.h"

namespace quorvel::cli {

namespace {

// A usage error: the one thing that is wrong, and where to read more (the
// command's own help when the command is known).
int usageError(std::ostream& err, const std::string& message, const std::string& command) {
    err << "quorvel-cli: " << message << '\n';
    const std::string synopsis = commandSynopsis(command);
    if (!synopsis.empty()) err << "Usage: " << synopsis << "\nSee: quorvel-cli " << command << " --help\n";
    else err << "See: quorvel-cli --help\n";
    return kExitUsage;
}

}  // namespace

int run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out, std::ostream& err,
        bool interactive) {
    Args args;
    try {
        args = parseArgs(argv);
    } catch (const UsageError& u) {
        return usageError(err, u.message, "");
    }
    const std::string command = args.words.empty() ? "" : args.words[0];
    if (args.version) {
        out << "quorvel-cli " << quorvel::version() << '\n';
        return kExitDone;
    }
    if (args.help) {
        if (command.empty()) {
            out << usageText();
            return kExitDone;
        }
        const std::string help = commandHelp(command);
        if (help.empty()) return usageError(err, "unknown command " + command, "");
        out << help;
        return kExitDone;
    }
    if (command.empty()) return usageError(err, "no command given", "");
    const Command* cmd = findCommand(command);
    if (!cmd) return usageError(err, "unknown command " + command, "");
    const int given = static_cast<int>(args.words.size()) - 1;
    if (given < cmd->minArgs || (cmd->maxArgs >= 0 && given > cmd->maxArgs))
        return usageError(err, "wrong number of arguments for " + command, command);
    try {
        Session s(args, in, out, err, interactive);
        return cmd->run(s);
    } catch (const UsageError& u) {
        return usageError(err, u.message, command);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace quorvel::cli

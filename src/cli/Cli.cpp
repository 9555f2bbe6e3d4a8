#include "cli/Cli.h"

#include <functional>
#include <istream>
#include <map>
#include <ostream>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Session.h"

namespace quorvel::cli {

int run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
        std::ostream& err, bool interactive) {
    Args args;
    try {
        args = parseArgs(argv);
    } catch (const UsageError& u) {
        err << "quorvel-cli: " << u.message << "\n\n" << usageText();
        return 2;
    }
    if (args.help) {
        out << usageText();
        return 0;
    }
    if (args.words.empty()) {
        err << usageText();
        return 2;
    }
    const Command* cmd = findCommand(args.words[0]);
    if (!cmd) {
        err << "quorvel-cli: unknown command " << args.words[0] << "\n\n" << usageText();
        return 2;
    }
    const int given = static_cast<int>(args.words.size()) - 1;
    if (given < cmd->minArgs || (cmd->maxArgs >= 0 && given > cmd->maxArgs)) {
        err << "quorvel-cli: wrong number of arguments for " << cmd->name << "\n\n" << usageText();
        return 2;
    }
    try {
        Session s(args, in, out, err, interactive);
        return cmd->run(s);
    } catch (const UsageError& u) {
        err << "quorvel-cli: " << u.message << "\n\n" << usageText();
        return 2;
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
}

}  // namespace quorvel::cli

#pragma once
// quorvel-cli as a function, so tests can run it in-process.
#include <iosfwd>
#include <string>
#include <vector>

namespace quorvel::cli {

// Runs one command line; returns the exit status (see ExitStatus in Help.h).
int run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
        std::ostream& err, bool interactive);

}  // namespace quorvel::cli

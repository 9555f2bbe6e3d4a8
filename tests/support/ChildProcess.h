#pragma once
// One of the project's programs run as a process of its own, for what only a
// process shows: signals and exit statuses.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace quorvel::test {

// Starts `program` with `args`, standard output and error going to `logFile`.
pid_t startProcess(const std::string& program, const std::vector<std::string>& args, const std::string& logFile);

// The exit status of `pid`; -1 when it has not ended within `limit` (it is
// then killed), 1000 + the signal when a signal killed it instead of it
// exiting by itself.
int waitForExit(pid_t pid, std::chrono::seconds limit);

std::string fileText(const std::string& path);

}  // namespace quorvel::test

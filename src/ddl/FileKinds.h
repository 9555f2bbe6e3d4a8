#pragma once
// Names the kind of a file that is not a regular one, for the messages that
// refuse it.
#include <sys/types.h>

#include <string>

namespace quorvel::ddl {

// "a directory", "a named pipe", "a device", ... (with its article).
std::string DescribeFileKind(mode_t mode);

}  // namespace quorvel::ddl

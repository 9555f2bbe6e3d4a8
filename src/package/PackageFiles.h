#pragma once
// The names and places of package files in an exchange folder.
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::package {

inline const char* const kPackageSuffix = ".qvp";
inline const char* const kReadFolder = "read";

// "quorvel-3f2a9c1e-WEST-000012.qvp": the set's first eight characters, the
// sender (letters, digits, _ and - kept, anything else as _) and the fill.
std::string packageName(const std::string& setId, const std::string& sender, int64_t fillNumber);

// The regular files named *.qvp in `dir` (no link, no folder), by name.
std::vector<std::string> packagesIn(const std::string& dir);

// Moves `dir`/`name` into `dir`/read, under a name of its own there
// (a duplicate gets ".2", ".3"...). Throws std::runtime_error.
void moveToRead(const std::string& dir, const std::string& name);

// Whether `dir` is a folder one may write into.
bool isFolder(const std::string& dir);

}  // namespace quorvel::package

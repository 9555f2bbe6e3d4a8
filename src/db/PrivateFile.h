#pragma once
// A file for the operator alone: created or emptied with mode 0600, and
// never through a link planted at its path.
#include <string>

namespace quorvel {

// Writes `text` as the whole file; false when it could not be (a link there,
// no permission), and then nothing else was written.
bool writePrivateFile(const std::string& path, const std::string& text);

}  // namespace quorvel

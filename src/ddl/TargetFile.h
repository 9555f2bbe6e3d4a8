#pragma once
// Writing a file whole without ever losing what stood under its name before.
#include <string>
#include <string_view>

namespace quorvel::ddl {

// Throws FileError when `fileName` names something that must not be replaced
// by a script: a directory, a named pipe, a device, a socket, or a link to
// nothing. A missing file or a regular one (or a link to one) is fine.
void CheckTargetFile(const std::string& fileName);

// Makes `text` the whole contents of `fileName` (created or replaced). The
// text goes into a new file beside it, which is renamed over the name only
// once it is completely on disk; a failure removes that new file alone, so
// the previous file (or its absence) stays as it was. A link is followed:
// the file it points to is replaced, the link kept. Throws FileError,
// checking the name with CheckTargetFile before anything is written.
void WriteWholeFile(const std::string& fileName, std::string_view text);

}  // namespace quorvel::ddl

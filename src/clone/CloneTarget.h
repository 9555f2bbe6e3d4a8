#pragma once
// The database a clone is made in must be new: an existing file is never
// overwritten. Checked before anything is registered or taken.
#include <string>

namespace quorvel::clone {

// Throws Refused when `target` is empty, exists, or lies in a folder that
// does not; a server's file ("host:path") is left to gbak.
void refuseCloneTarget(const std::string& target);

}  // namespace quorvel::clone

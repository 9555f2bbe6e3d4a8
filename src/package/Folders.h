#pragma once
// The two folders of a site's exchange by packages, remembered with the
// alias of its database (lines "PACKAGE INBOX=" and "PACKAGE OUTBOX=" of the
// alias file): the window proposes them, and `exchange` takes them when the
// command line names none.
#include <string>

namespace quorvel::package {

struct Folders {
    std::string inbox, outbox;  // "" when none is remembered
};

Folders rememberedFolders(const std::string& alias);
// Keeps the alias's other lines as they are.
void rememberFolders(const std::string& alias, const Folders& folders);

}  // namespace quorvel::package

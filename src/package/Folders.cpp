#include "package/Folders.h"

#include <cctype>
#include <vector>

#include "engine/Aliases.h"

namespace quorvel::package {

namespace {

const std::string kInbox = "PACKAGE INBOX=", kOutbox = "PACKAGE OUTBOX=";

// Keys are read without regard to case, as the alias file's reader does.
bool startsWith(const std::string& line, const std::string& head) {
    if (line.size() < head.size()) return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(line[i])) != head[i]) return false;
    return true;
}

}  // namespace

Folders rememberedFolders(const std::string& alias) {
    Folders f;
    if (!engine::Aliases::exists(alias)) return f;
    for (const std::string& line : engine::Aliases::parameters(alias)) {
        if (startsWith(line, kInbox)) f.inbox = line.substr(kInbox.size());
        if (startsWith(line, kOutbox)) f.outbox = line.substr(kOutbox.size());
    }
    return f;
}

void rememberFolders(const std::string& alias, const Folders& folders) {
    if (!engine::Aliases::exists(alias)) return;
    std::vector<std::string> kept;
    for (const std::string& line : engine::Aliases::parameters(alias))
        if (!startsWith(line, "SERVER NAME=") && !startsWith(line, kInbox) && !startsWith(line, kOutbox))
            kept.push_back(line);
    if (!folders.inbox.empty()) kept.push_back(kInbox + folders.inbox);
    if (!folders.outbox.empty()) kept.push_back(kOutbox + folders.outbox);
    engine::Aliases::add(alias, engine::Aliases::databaseOf(alias), kept);
}

}  // namespace quorvel::package

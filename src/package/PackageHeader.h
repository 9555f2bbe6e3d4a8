#pragma once
// What a package says of itself, sealed as its first record: the format, the
// set, the sender and its incarnation, the fill it carries, what the sender
// had read of its peers' fills, and how many rows of each table it holds.
// Written as lines "name=value" (a value's %, = and line breaks escaped as
// %XX); read strictly, for a package comes from another site.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::package {

struct PackageHeader {
    int format = 0;
    std::string setId;
    int64_t generation = 0;      // the set's arming the sender is of
    std::string sender;          // its name in R$CLONE
    int64_t senderNumber = 0;    // its number (0: the master)
    std::string incarnation;     // the creation stamp of the sender's file
    int64_t fillNumber = 0;
    std::string fillDate;
    std::string content = "gbak";  // what the content is: a gbak backup of the synchro database
    int64_t journalEntries = 0;
    std::vector<std::pair<int64_t, int64_t>> acknowledged;        // (site number, its last fill read)
    std::vector<std::pair<std::string, int64_t>> tableRows;       // rows sent per table, in the table order

    std::string text() const;
    // Throws std::runtime_error for a text that is no header of this format.
    static PackageHeader parse(const std::string& text);
};

}  // namespace quorvel::package

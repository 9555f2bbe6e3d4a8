#pragma once
// A record code (R$Code1, R$Code2): the name of one row in every database,
// ordered high word first. The fill and the read compare codes with the
// mark and the bound, and look codes up in the journals.
#include <compare>
#include <cstdint>
#include <functional>
#include <string>

namespace quorvel::replica {

struct RecordCode {
    int64_t high = 0;
    int64_t low = 0;
    auto operator<=>(const RecordCode&) const = default;
    std::string text() const { return "(" + std::to_string(high) + ", " + std::to_string(low) + ")"; }
};

struct RecordCodeHash {
    std::size_t operator()(const RecordCode& c) const noexcept {
        return std::hash<int64_t>()(c.high * 2000000011LL + c.low);
    }
};

// SQL conditions on a table's code columns, the values written in decimal.
// Above and below bound R$Code1 on one side; between bounds both words, so
// the server walks the code index over that range alone.
std::string codeAbove(const RecordCode& mark, const std::string& qualifier = "");
std::string codeBelow(const RecordCode& mark, const std::string& qualifier = "");
std::string codeBetween(const RecordCode& low, const RecordCode& high, const std::string& qualifier = "");
// The one row of code `code`.
std::string codeIs(const RecordCode& code);

}  // namespace quorvel::replica

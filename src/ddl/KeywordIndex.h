#pragma once
// The keyword list and its lookup table, both made at compile time. A word
// is looked up by its length, first and last byte (at most two keywords share
// a bucket) and compared byte by byte with capitals lowered: no copy, no hash.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvel::ddl::keywords {

// As the dialect's word list has always been written: "or" appears twice and
// counts once.
inline constexpr std::string_view kWords[] = {
    "active", "add", "after", "all", "alter", "and", "any", "as", "asc", "ascending", "at",
    "auto", "avg", "before", "begin", "between", "blob", "by", "cast", "char", "character",
    "check", "close", "collation", "collate", "column", "commit", "computed", "constraint",
    "containing", "continue", "count", "create", "cstring", "current", "database", "date",
    "decimal", "declare", "default", "delete", "distinct", "do", "domain", "double", "drop",
    "else", "end", "entry_point", "event", "exception", "execute", "exists", "exit", "external",
    "file", "float", "for", "foreign", "from", "full", "function", "generator", "goto", "grant",
    "group", "having", "if", "immediate", "in", "inactive", "index", "init", "inner", "insert",
    "integer", "into", "is", "join", "key", "left", "like", "max", "min", "module_name", "not",
    "null", "numeric", "or", "on", "order", "outer", "plan", "post_event", "precision",
    "procedure", "primary", "public", "references", "returns", "returning_values", "revoke",
    "right", "rollback", "select", "set", "smallint", "sort", "starting", "sum", "suspend",
    "table", "then", "to", "trigger", "union", "unique", "update", "user", "values", "varchar",
    "variable", "varying", "view", "wait", "when", "where", "while", "with", "work", "or",
};
inline constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
inline constexpr size_t kLongest = 16;  // "returning_values"

// Capitals "A" to "Z" lowered, every other byte as it is.
inline constexpr std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return t;
}();

// Bucket [length][first & 31][last & 31]: up to two word numbers, from 1.
using Buckets = std::array<std::array<std::array<std::array<uint8_t, 2>, 32>, 32>, kLongest + 1>;

inline constexpr Buckets kBuckets = [] {
    Buckets b{};
    for (size_t i = 0; i < kWordCount; ++i) {
        std::string_view w = kWords[i];
        auto& slot = b[w.size()][w.front() & 31][w.back() & 31];
        bool present = false;
        for (uint8_t n : slot)
            if (n && kWords[n - 1] == w) present = true;
        if (present) continue;
        if (slot[0] == 0) slot[0] = static_cast<uint8_t>(i + 1);
        else if (slot[1] == 0) slot[1] = static_cast<uint8_t>(i + 1);
        else throw "more than two keywords in one bucket";  // stops the compilation
    }
    return b;
}();

inline bool sameLowered(const unsigned char* word, std::string_view keyword) {
    for (size_t i = 0; i < keyword.size(); ++i)
        if (kLower[word[i]] != static_cast<unsigned char>(keyword[i])) return false;
    return true;
}

inline bool isKeyword(const unsigned char* word, size_t len) {
    if (len - 1 >= kLongest) return false;  // also turns away the empty word
    const auto& slot = kBuckets[len][word[0] & 31][word[len - 1] & 31];
    return (slot[0] && sameLowered(word, kWords[slot[0] - 1])) ||
           (slot[1] && sameLowered(word, kWords[slot[1] - 1]));
}

}  // namespace quorvel::ddl::keywords

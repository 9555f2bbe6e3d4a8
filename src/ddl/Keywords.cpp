#include "ddl/Keywords.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quorvel::ddl {

namespace {

// As the dialect's word list has always been written: "or" appears twice and
// counts once.
constexpr const char* kWords[] = {
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

constexpr size_t kLongest = 16;  // "returning_values"

// Open addressing over the lowered word; sized so that probes stay short.
class KeywordTable {
public:
    KeywordTable() {
        for (const char* w : kWords) {
            size_t len = std::strlen(w);
            size_t slot = hash(reinterpret_cast<const unsigned char*>(w), len) & kMask;
            while (slots_[slot].word && !equal(slots_[slot], w, len)) slot = (slot + 1) & kMask;
            slots_[slot] = {w, static_cast<uint8_t>(len)};
            firstLast_[len][(w[0] | 0x20) & 31] |= 1u << ((w[len - 1] | 0x20) & 31);
        }
    }

    // Most words of an extract are names, and few names share a keyword's
    // length, first and last letter: those are turned away without hashing.
    bool mayContain(const unsigned char* word, size_t len) const {
        return (firstLast_[len][(word[0] | 0x20) & 31] >> ((word[len - 1] | 0x20) & 31)) & 1u;
    }

    bool contains(const unsigned char* lowered, size_t len) const {
        size_t slot = hash(lowered, len) & kMask;
        while (slots_[slot].word) {
            if (equal(slots_[slot], reinterpret_cast<const char*>(lowered), len)) return true;
            slot = (slot + 1) & kMask;
        }
        return false;
    }

private:
    struct Slot {
        const char* word = nullptr;
        uint8_t len = 0;
    };
    static constexpr size_t kMask = 511;

    static size_t hash(const unsigned char* s, size_t len) {
        uint32_t h = 2166136261u;
        for (size_t i = 0; i < len; ++i) h = (h ^ s[i]) * 16777619u;
        return h ^ (h >> 15);
    }
    static bool equal(const Slot& s, const char* w, size_t len) {
        return s.len == len && std::memcmp(s.word, w, len) == 0;
    }

    std::array<Slot, kMask + 1> slots_{};
    uint32_t firstLast_[kLongest + 1][32] = {};
};

const KeywordTable& table() {
    static const KeywordTable t;
    return t;
}

}  // namespace

const std::vector<std::string>& KeywordList() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> l(std::begin(kWords), std::end(kWords));
        std::sort(l.begin(), l.end());
        l.erase(std::unique(l.begin(), l.end()), l.end());
        return l;
    }();
    return list;
}

std::string LowerWord(std::string_view word) {
    std::string lowered(word);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return lowered;
}

bool IsKeyword(std::string_view word) {
    if (word.size() > kLongest || word.empty()) return false;
    if (!table().mayContain(reinterpret_cast<const unsigned char*>(word.data()), word.size())) return false;
    unsigned char lowered[kLongest];
    for (size_t i = 0; i < word.size(); ++i) {
        auto c = static_cast<unsigned char>(word[i]);
        lowered[i] = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
    }
    return table().contains(lowered, word.size());
}

}  // namespace quorvel::ddl

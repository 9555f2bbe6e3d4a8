#include "replica/SqlText.h"

#include <cctype>
#include <cstdint>
#include <utility>

#include "engine/Catalog.h"

namespace quorvel::replica {

std::string quoted(const std::string& value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

bool isIntegerText(const std::string& text, int bits) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    if (b == e) return false;
    bool negative = false;
    if (text[b] == '+' || text[b] == '-') {
        negative = text[b] == '-';
        ++b;
    }
    if (b == e) return false;
    // The columns these texts go into are INTEGER, or BIGINT.
    const uint64_t limit = bits >= 64 ? (negative ? 9223372036854775808ULL : 9223372036854775807ULL)
                                      : (negative ? 2147483648ULL : 2147483647ULL);
    uint64_t value = 0;
    for (size_t i = b; i < e; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

std::string catalogueName(std::string name) {
    return engine::upperName(std::move(name));
}

std::string catalogueName(const engine::Database& db, const std::string& name) {
    return engine::catalogueName(db, name);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

std::optional<std::string> plainName(const std::string& typed) {
    if (typed.empty() || typed.size() > 31 || !std::isalpha(static_cast<unsigned char>(typed[0]))) return std::nullopt;
    std::string name;
    for (char c : typed) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$') return std::nullopt;
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

}  // namespace quorvel::replica

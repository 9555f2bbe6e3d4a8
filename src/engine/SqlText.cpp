#include "SqlText.h"

#include <cctype>
#include <vector>

#include "Catalog.h"
#include "Query.h"

namespace quorvel::engine {

namespace {

bool nameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

struct Token {
    std::string text;
    size_t pos;
    int depth;
};

// Words and single characters outside quotes, with their parenthesis depth.
std::vector<Token> tokens(const std::string& s) {
    std::vector<Token> out;
    int depth = 0;
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '\'' || c == '"') {
            size_t j = s.find(c, i + 1);
            i = j == std::string::npos ? s.size() : j + 1;
        } else if (nameChar(c)) {
            size_t j = i;
            while (j < s.size() && (nameChar(s[j]) || s[j] == '.')) ++j;
            out.push_back({s.substr(i, j - i), i, depth});
            i = j;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else {
            if (c == '(') ++depth;
            out.push_back({std::string(1, c), i, depth});
            if (c == ')') --depth;
            ++i;
        }
    }
    return out;
}

}  // namespace

std::string Query::translateColons(const std::string& sql, std::vector<std::string>* paramNames) {
    std::string out;
    out.reserve(sql.size());
    if (paramNames) paramNames->clear();
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (quote) {
            out += c;
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            continue;
        }
        if (c != ':') {
            out += c;
            continue;
        }
        if (i + 1 < sql.size() && sql[i + 1] == ':') {
            out += ':';
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < sql.size() && nameChar(sql[j])) ++j;
        if (j == i + 1) {
            out += c;
            continue;
        }
        if (paramNames) paramNames->push_back(sql.substr(i + 1, j - i - 1));
        out += '?';
        i = j - 1;
    }
    return out;
}

std::string addDbKeyColumn(const std::string& sql) {
    auto t = tokens(sql);
    if (t.empty() || upperName(t[0].text) != "SELECT") return {};
    size_t from = 0;
    for (size_t i = 1; i < t.size(); ++i)
        if (t[i].depth == 0 && upperName(t[i].text) == "FROM") {
            from = i;
            break;
        }
    if (from < 2 || from + 1 >= t.size()) return {};
    for (size_t i = 1; i < from; ++i) {
        std::string u = upperName(t[i].text);
        if (u == "DISTINCT" || u == "FIRST" || u == "SKIP") return {};
    }
    std::string table = t[from + 1].text;
    if (!nameChar(table[0])) return {};
    std::string qualifier = table;
    if (from + 2 < t.size()) {
        std::string next = upperName(t[from + 2].text);
        static const char* keywords[] = {"WHERE", "ORDER", "GROUP", "HAVING", "PLAN", "ROWS", "FOR", "UNION", ";"};
        bool keyword = false;
        for (const char* k : keywords) keyword = keyword || next == k;
        if (next == "," || next == "JOIN" || next == "LEFT" || next == "RIGHT" || next == "INNER" ||
            next == "FULL" || next == "NATURAL" || next == "CROSS")
            return {};
        if (!keyword && next == "AS" && from + 3 < t.size()) qualifier = t[from + 3].text;
        else if (!keyword && nameChar(next[0])) qualifier = t[from + 2].text;
    }
    // Columns of the select list stay first; the key goes last.
    std::string list = sql.substr(t[1].pos, t[from].pos - t[1].pos);
    size_t b = list.find_first_not_of(" \t\r\n"), e = list.find_last_not_of(" \t\r\n");
    list = list.substr(b, e - b + 1);
    if (list == "*") list = qualifier + ".*";
    return sql.substr(0, t[1].pos) + list + ", " + qualifier + ".RDB$DB_KEY " + sql.substr(t[from].pos);
}

}  // namespace quorvel::engine

#include "replica/TriggerGuard.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace quorvel::replica {

namespace {

// Written around the body exactly so, and found again exactly so by the undo.
const std::string kGuardHead = "BEGIN /* R$GUARD */\n  IF (rdb$get_context('USER_TRANSACTION', 'R$READING') IS NULL) THEN\n";
const std::string kGuardTail = "\nEND /* R$GUARD */";

enum class Kind { Word, Quoted, Literal, Other };

struct Token {
    Kind kind;
    size_t begin, end;
    std::string upper;  // a word in upper case; a quoted name without its quotes; a character as itself
};

bool wordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$'; }

// Comments are dropped; a literal or a quoted name cut off by the end of the
// text makes the whole text unreadable (nothing is then changed).
std::optional<std::vector<Token>> tokens(const std::string& s) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        if (std::isspace(c)) {
            ++i;
        } else if (s.compare(i, 2, "--") == 0) {
            i = s.find('\n', i);
            if (i == std::string::npos) i = s.size();
        } else if (s.compare(i, 2, "/*") == 0) {
            const size_t close = s.find("*/", i + 2);
            if (close == std::string::npos) return std::nullopt;
            i = close + 2;
        } else if (c == '\'' || c == '"') {
            size_t j = i + 1;
            for (;; ++j) {
                if (j >= s.size()) return std::nullopt;
                if (s[j] == static_cast<char>(c)) {
                    if (j + 1 < s.size() && s[j + 1] == static_cast<char>(c)) { ++j; continue; }
                    break;
                }
            }
            out.push_back({c == '"' ? Kind::Quoted : Kind::Literal, i, j + 1, s.substr(i + 1, j - i - 1)});
            i = j + 1;
        } else if (wordChar(c)) {
            size_t j = i;
            while (j < s.size() && wordChar(static_cast<unsigned char>(s[j]))) ++j;
            std::string word = s.substr(i, j - i);
            for (char& ch : word) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            out.push_back({Kind::Word, i, j, word});
            i = j;
        } else {
            out.push_back({Kind::Other, i, i + 1, std::string(1, static_cast<char>(c))});
            ++i;
        }
    }
    return out;
}

bool is(const Token& t, const char* word) { return t.kind != Kind::Literal && t.kind != Kind::Quoted && t.upper == word; }

// Past a block that starts at `i` (BEGIN): nested BEGIN and CASE close with END.
std::optional<size_t> pastBlock(const std::vector<Token>& ts, size_t i) {
    int depth = 0;
    for (; i < ts.size(); ++i) {
        if (is(ts[i], "BEGIN") || is(ts[i], "CASE")) ++depth;
        else if (is(ts[i], "END") && --depth == 0) return i + 1;
    }
    return std::nullopt;
}

// Past the declarations that start at `i`, at the BEGIN of the body they
// belong to. A sub-routine ("DECLARE PROCEDURE P ... AS ... BEGIN ... END")
// has declarations and a body of its own; a forward one ends with ";".
std::optional<size_t> pastDeclarations(const std::vector<Token>& ts, size_t i) {
    while (i < ts.size() && is(ts[i], "DECLARE")) {
        const bool routine = i + 1 < ts.size() && (is(ts[i + 1], "PROCEDURE") || is(ts[i + 1], "FUNCTION"));
        int parens = 0;
        for (++i; i < ts.size(); ++i) {
            if (is(ts[i], "(")) ++parens;
            else if (is(ts[i], ")")) --parens;
            else if (parens == 0 && is(ts[i], ";")) { ++i; break; }
            else if (parens == 0 && routine && is(ts[i], "AS")) {
                const std::optional<size_t> body = pastDeclarations(ts, i + 1);
                if (!body || *body >= ts.size() || !is(ts[*body], "BEGIN")) return std::nullopt;
                const std::optional<size_t> end = pastBlock(ts, *body);
                if (!end) return std::nullopt;
                i = *end < ts.size() && is(ts[*end], ";") ? *end + 1 : *end;
                break;
            }
        }
    }
    return i;
}

}  // namespace

std::optional<std::string> guardedSource(const std::string& source) {
    const std::optional<std::vector<Token>> ts = tokens(source);
    if (!ts || ts->empty() || !is(ts->front(), "AS")) return std::nullopt;
    const std::optional<size_t> body = pastDeclarations(*ts, 1);
    if (!body || *body >= ts->size() || !is((*ts)[*body], "BEGIN")) return std::nullopt;
    // The body is the text's last block: it closes with the last END.
    if (!is(ts->back(), "END") || pastBlock(*ts, *body) != ts->size()) return std::nullopt;
    const size_t begin = (*ts)[*body].begin, end = ts->back().end;
    return source.substr(0, begin) + kGuardHead + "  " + source.substr(begin, end - begin) + kGuardTail +
           source.substr(end);
}

std::optional<std::string> unguardedSource(const std::string& source) {
    const size_t head = source.find(kGuardHead);
    const size_t tail = source.rfind(kGuardTail);
    if (head == std::string::npos || tail == std::string::npos || tail < head + kGuardHead.size() + 2)
        return std::nullopt;
    const size_t body = head + kGuardHead.size() + 2;
    return source.substr(0, head) + source.substr(body, tail - body) + source.substr(tail + kGuardTail.size());
}

bool testsTheRead(const std::string& source) {
    const std::optional<std::vector<Token>> ts = tokens(source);
    if (!ts) return false;
    return std::any_of(ts->begin(), ts->end(),
                       [](const Token& t) { return t.kind == Kind::Literal && t.upper == "R$READING"; });
}

TriggerWrites writesOf(const std::string& source) {
    TriggerWrites out;
    const std::optional<std::vector<Token>> found = tokens(source);
    if (!found) return out;
    const std::vector<Token>& ts = *found;
    auto add = [](std::vector<std::string>& list, const std::string& name) {
        if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    };
    for (size_t i = 0; i < ts.size(); ++i) {
        // An assignment starts a statement: after ";", BEGIN, THEN, ELSE or DO.
        const bool statementStart = i == 0 || is(ts[i - 1], ";") || is(ts[i - 1], "BEGIN") ||
                                    is(ts[i - 1], "THEN") || is(ts[i - 1], "ELSE") || is(ts[i - 1], "DO");
        // "NEW" quoted is the same name as NEW.
        const bool isNew = is(ts[i], "NEW") || (ts[i].kind == Kind::Quoted && ts[i].upper == "NEW");
        if (statementStart && i + 3 < ts.size() && isNew && is(ts[i + 1], ".") &&
            ts[i + 2].kind != Kind::Literal && is(ts[i + 3], "="))
            add(out.newColumns, ts[i + 2].upper);
        if (i + 2 < ts.size() && is(ts[i], "GEN_ID") && is(ts[i + 1], "(") && ts[i + 2].kind != Kind::Literal)
            add(out.generators, ts[i + 2].upper);
        if (i + 3 < ts.size() && is(ts[i], "NEXT") && is(ts[i + 1], "VALUE") && is(ts[i + 2], "FOR"))
            add(out.generators, ts[i + 3].upper);
    }
    return out;
}

}  // namespace quorvel::replica

#pragma once
// Token lists of a text, for readable lexer expectations.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ddl/IbLex.h"

namespace quorvel::test {

struct Tok {
    ddl::TTokenKind kind;
    std::string text;
    bool operator==(const Tok&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Tok& t) {
    return os << ddl::TokenKindName(t.kind) << " [" << t.text << "]";
}

// Every token up to (not including) the first tkEnd.
inline std::vector<Tok> lexAll(const std::string& text) {
    ddl::TMyStream stream;
    stream.LoadFromString(text);
    ddl::TLex lex(stream);
    std::vector<Tok> out;
    for (ddl::TTokenKind k; (k = lex.NextToken()) != ddl::tkEnd;)
        out.push_back({k, std::string(lex.TokenText())});
    return out;
}

}  // namespace quorvel::test

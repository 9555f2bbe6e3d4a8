#include "ddl/ExtractDialect.h"

#include <string>

#include "ddl/IbLex.h"
#include "ddl/Keywords.h"

namespace quorvel::ddl {

std::optional<int> ExtractDialect(const TMyStream& source) {
    TLex lex(source);
    // The last words read, lower case; comments between them do not count.
    std::string words[3];
    for (TTokenKind k = lex.NextToken(); k != tkEnd; k = lex.NextToken()) {
        if (k == tkComment) continue;
        if (k == tkNumber && words[0] == "set" && words[1] == "sql" && words[2] == "dialect") {
            std::string digits(lex.TokenText());
            if (digits.size() > 3 || digits.find('.') != std::string::npos) return std::nullopt;
            return std::stoi(digits);
        }
        std::string word = LowerWord(lex.TokenText());
        if (k == tkKeyword && word == "create") break;
        words[0] = std::move(words[1]);
        words[1] = std::move(words[2]);
        words[2] = std::move(word);
    }
    return std::nullopt;
}

}  // namespace quorvel::ddl

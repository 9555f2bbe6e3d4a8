#include "ddl/TableReferences.h"

#include "ddl/IbLex.h"
#include "ddl/Names.h"

namespace quorvel::ddl {

namespace {

bool isKeyword(TTokenKind k, const TLex& lex, std::string_view word) {
    return k == tkKeyword && lex.TokenText() == word;
}

}  // namespace

std::vector<TRefPair> FindReferences(const TMyStream& source) {
    std::vector<TRefPair> pairs;
    TLex lex(source);
    TTokenKind k = lex.NextToken();
    while (k != tkEnd) {
        if (!isKeyword(k, lex, "ALTER")) {
            k = lex.NextToken();
            continue;
        }
        k = lex.NextToken();
        if (k == tkEnd) break;
        if (lex.TokenText() != "TABLE") continue;  // ALTER PROCEDURE, ALTER TRIGGER, ...: look at this token again
        k = lex.NextToken();
        if (k == tkEnd) break;
        std::string child = NormalName(lex.TokenText());

        // The rest of the statement. A missing ";" must not let one statement
        // take its referenced table from the next one.
        k = lex.NextToken();
        while (k != tkEnd) {
            if (k == tkDelimiter && lex.TokenText() == ";") {
                k = lex.NextToken();
                break;
            }
            if (isKeyword(k, lex, "ALTER") || isKeyword(k, lex, "CREATE")) break;
            if (lex.TokenText() == "REFERENCES") {
                k = lex.NextToken();
                if (k == tkEnd) break;
                std::string parent = NormalName(lex.TokenText());
                if (parent != child) pairs.push_back({child, std::move(parent)});
            }
            k = lex.NextToken();
        }
    }
    return pairs;
}

}  // namespace quorvel::ddl

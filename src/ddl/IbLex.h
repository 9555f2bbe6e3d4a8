#pragma once
// Reads an extracted metadata text as a sequence of tokens: each with its kind
// and its text, and no grammar. Bytes, not characters: only the ASCII letters
// are letters.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ddl/MStream.h"

namespace quorvel::ddl {

// The ordinal values are part of the contract; 12 is not used.
enum TTokenKind : uint8_t {
    tkEnd = 0,
    tkComment = 1,       // "/* ... */"; its text is empty
    tkKeyword = 2,       // a word whose lower-case form is in the keyword list
    tkIdent = 3,         // any other word
    tkNumber = 4,        // digits with at most one decimal point
    tkString = 5,        // a literal in single quotes, quotes included
    tkNotEqual = 6,      // "<>"
    tkGreaterEqual = 7,  // ">="
    tkLessEqual = 8,     // "<="
    tkOperator = 9,      // "*" "+" "-" "=" "/" "<" ">" alone
    tkDelimiter = 10,    // "(" ")" "," "." ":" ";" "[" "]"
    tkConcat = 11,       // "||"
    tkUnknown = 13,      // quoted names (quotes kept), malformed numbers, cut-off literals, stray bytes
};

const char* TokenKindName(TTokenKind kind);

class TLex {
public:
    // Starts at the stream's StartPos; the stream must outlive the lexer.
    explicit TLex(const TMyStream& stream);

    // The next token's kind; its text is then TokenText(). Once the end is
    // reached every call returns tkEnd again and leaves TokenText() as it was.
    TTokenKind NextToken();

    // A view into the stream's text, valid while the stream lives. A doubled
    // quote inside a literal or a quoted name stays doubled, so a copied
    // literal or name stays valid SQL.
    std::string_view TokenText() const { return tokenText_; }

private:
    const unsigned char* text_;
    size_t textSize_;
    size_t readPos_;          // index of the next byte to read
    unsigned char curChar_;   // first byte of no token yet; 0 once the text is exhausted
    std::string_view tokenText_;

    unsigned char ReadChar() {
        if (readPos_ < textSize_) return text_[readPos_++];
        return 0;
    }
    unsigned char charAt(size_t pos) const { return pos < textSize_ ? text_[pos] : 0; }
    // Ends a token that covers [start, end): CurChar becomes the byte at end.
    void finish(size_t start, size_t end) {
        tokenText_ = std::string_view(reinterpret_cast<const char*>(text_) + start, end - start);
        curChar_ = charAt(end);
        readPos_ = end < textSize_ ? end + 1 : textSize_;
    }

    TTokenKind comment(size_t start);
    TTokenKind literal(size_t start);
    TTokenKind quotedName(size_t start);
    TTokenKind number(size_t start);
    TTokenKind word(size_t start);
};

}  // namespace quorvel::ddl

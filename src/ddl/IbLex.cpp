#include "ddl/IbLex.h"

#include "ddl/CharClasses.h"
#include "ddl/KeywordIndex.h"

namespace quorvel::ddl {

using chars::kTable;

const char* TokenKindName(TTokenKind kind) {
    switch (kind) {
        case tkEnd: return "tkEnd";
        case tkComment: return "tkComment";
        case tkKeyword: return "tkKeyword";
        case tkIdent: return "tkIdent";
        case tkNumber: return "tkNumber";
        case tkString: return "tkString";
        case tkNotEqual: return "tkNotEqual";
        case tkGreaterEqual: return "tkGreaterEqual";
        case tkLessEqual: return "tkLessEqual";
        case tkOperator: return "tkOperator";
        case tkDelimiter: return "tkDelimiter";
        case tkConcat: return "tkConcat";
        case tkUnknown: return "tkUnknown";
    }
    return "?";
}

TLex::TLex(const TMyStream& stream)
    : text_(stream.Memory()), textSize_(stream.Size()), readPos_(0), curChar_(0) {
    // Reading from StartPos on is the same as a text that begins there.
    size_t start = stream.StartPos < textSize_ ? stream.StartPos : textSize_;
    text_ += start;
    textSize_ -= start;
    curChar_ = ReadChar();
}

// Every rule below starts with CurChar, the token's first byte, at
// text_[start] (start == readPos_ - 1), and ends with finish(), which leaves
// in CurChar the first byte after the token, exactly as reading one byte at a
// time would.
TTokenKind TLex::NextToken() {
    if (chars::is(curChar_, chars::Blank)) {
        // Blanks are most of an extract's bytes (its indentation): skipped
        // with local copies rather than through CurChar one byte at a time.
        size_t pos = readPos_;
        while (pos < textSize_ && (kTable[text_[pos]] & chars::Blank)) ++pos;
        curChar_ = charAt(pos);
        readPos_ = pos < textSize_ ? pos + 1 : textSize_;
    }
    if (curChar_ == 0) return tkEnd;

    const size_t start = readPos_ - 1;
    switch (curChar_) {
        case '\'':
            return literal(start);
        case '"':
            return quotedName(start);
        case '(': case ')': case ',': case '.': case ':': case ';': case '[': case ']':
            finish(start, start + 1);
            return tkDelimiter;
        case '*': case '+': case '-': case '=':
            finish(start, start + 1);
            return tkOperator;
        case '/':
            if (charAt(start + 1) == '*') return comment(start);
            finish(start, start + 1);
            return tkOperator;
        case '<': {
            unsigned char next = charAt(start + 1);
            if (next == '>' || next == '=') {
                finish(start, start + 2);
                return next == '>' ? tkNotEqual : tkLessEqual;
            }
            finish(start, start + 1);
            return tkOperator;
        }
        case '>':
            if (charAt(start + 1) == '=') {
                finish(start, start + 2);
                return tkGreaterEqual;
            }
            finish(start, start + 1);
            return tkOperator;
        case '|':
            if (charAt(start + 1) == '|') {
                finish(start, start + 2);
                return tkConcat;
            }
            finish(start, start + 1);
            return tkUnknown;
        default:
            break;
    }
    if (chars::IsDigit(curChar_)) return number(start);
    if (chars::is(curChar_, chars::WordStart)) return word(start);
    finish(start, start + 1);
    return tkUnknown;
}

// After "/*": up to the first "*/" whose star is not the opening one, or up
// to the first byte 0 (inside the text or past its end). The byte after that
// becomes CurChar, so a comment cut by a byte 0 inside the text goes on with
// what follows the 0.
TTokenKind TLex::comment(size_t start) {
    size_t pos = start + 2;
    size_t after;  // index of the byte after the comment
    for (;;) {
        if (pos >= textSize_) {
            after = textSize_;
            break;
        }
        unsigned char c = text_[pos];
        if (c == 0) {
            after = pos + 1;
            break;
        }
        if (c == '*' && pos + 1 < textSize_ && text_[pos + 1] == '/') {
            after = pos + 2;
            break;
        }
        ++pos;
    }
    finish(after, after);
    tokenText_ = std::string_view();
    return tkComment;
}

// A doubled quote goes on with the literal and stays doubled in the text. The
// end of the text (or a byte 0) inside gives tkUnknown with what was read.
TTokenKind TLex::literal(size_t start) {
    size_t pos = start + 1;
    for (;;) {
        unsigned char c = charAt(pos);
        if (c == 0) {
            finish(start, pos);
            return tkUnknown;
        }
        if (c == '\'') {
            if (charAt(pos + 1) != '\'') {
                finish(start, pos + 1);
                return tkString;
            }
            pos += 2;
            continue;
        }
        ++pos;
    }
}

// A doubled double quote is a quote inside the name ("QUOTE""D"), as a
// dialect-3 extract writes it; it stays doubled in the text, so a copied name
// stays a valid quoted name. A single double quote ends the name.
TTokenKind TLex::quotedName(size_t start) {
    size_t pos = start + 1;
    for (;;) {
        unsigned char c = charAt(pos);
        if (c == 0) {
            finish(start, pos);
            return tkUnknown;
        }
        if (c == '"') {
            if (charAt(pos + 1) != '"') {
                finish(start, pos + 1);
                return tkUnknown;
            }
            pos += 2;
            continue;
        }
        ++pos;
    }
}

// Digits with at most one point, ended by a byte of the number-end class (or
// 0). Any other byte, or a second point, is taken into a tkUnknown token.
TTokenKind TLex::number(size_t start) {
    size_t pos = start + 1;
    bool point = false;
    for (;;) {
        unsigned char c = charAt(pos);
        if (c == 0 || chars::IsNumberEnd(c)) {
            finish(start, pos);
            return tkNumber;
        }
        if (chars::IsDigit(c)) {
            ++pos;
        } else if (c == '.' && !point) {
            point = true;
            ++pos;
        } else {
            finish(start, pos + 1);
            return tkUnknown;
        }
    }
}

TTokenKind TLex::word(size_t start) {
    size_t pos = start + 1;
    while (pos < textSize_ && (kTable[text_[pos]] & chars::WordPart)) ++pos;
    finish(start, pos);
    return keywords::isKeyword(text_ + start, pos - start) ? tkKeyword : tkIdent;
}

}  // namespace quorvel::ddl

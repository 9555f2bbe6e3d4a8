#pragma once
// The lexer written the slow way, one byte at a time with ReadChar, rule by
// rule as the token rules read. The real lexer must give the same kinds and
// texts on any input; the equivalence test and the fuzz target compare them.
#include <cstddef>
#include <string>

#include "ddl/IbLex.h"
#include "ddl/Keywords.h"

namespace quorvel::test {

class ByteLexer {
public:
    ByteLexer(const unsigned char* text, size_t size) : text_(text), size_(size) { cur_ = ReadChar(); }

    ddl::TTokenKind NextToken() {
        using namespace ddl;
        while (cur_ == ' ' || cur_ == '\t' || cur_ == '\n' || cur_ == '\r' || cur_ == 26) cur_ = ReadChar();
        if (cur_ == 0) return tkEnd;
        TokenText.assign(1, static_cast<char>(cur_));
        unsigned char c = cur_;
        if (c == '\'') return literal();
        if (c == '"') return quotedName();
        if (c == '(' || c == ')' || c == ',' || c == '.' || c == ':' || c == ';' || c == '[' || c == ']') {
            cur_ = ReadChar();
            return tkDelimiter;
        }
        if (c == '*' || c == '+' || c == '-' || c == '=') {
            cur_ = ReadChar();
            return tkOperator;
        }
        if (c == '/') {
            unsigned char next = ReadChar();
            if (next == '*') return comment();
            cur_ = next;
            return tkOperator;
        }
        if (c >= '0' && c <= '9') return number();
        if (c == '<') {
            cur_ = ReadChar();
            if (cur_ == '>' || cur_ == '=') {
                TokenText += static_cast<char>(cur_);
                TTokenKind k = cur_ == '>' ? tkNotEqual : tkLessEqual;
                cur_ = ReadChar();
                return k;
            }
            return tkOperator;
        }
        if (c == '>') {
            cur_ = ReadChar();
            if (cur_ == '=') {
                TokenText += '=';
                cur_ = ReadChar();
                return tkGreaterEqual;
            }
            return tkOperator;
        }
        if (c == '|') {
            cur_ = ReadChar();
            if (cur_ == '|') {
                TokenText += '|';
                cur_ = ReadChar();
                return tkConcat;
            }
            return tkUnknown;
        }
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return word();
        cur_ = ReadChar();
        return tkUnknown;
    }

    std::string TokenText;

private:
    const unsigned char* text_;
    size_t size_;
    size_t readPos_ = 1;  // number of the next byte, from 1
    unsigned char cur_ = 0;

    unsigned char ReadChar() {
        unsigned char c = readPos_ <= size_ ? text_[readPos_ - 1] : 0;
        ++readPos_;
        return c;
    }

    ddl::TTokenKind comment() {
        TokenText.clear();
        unsigned char prev = 0, c;
        do {
            c = ReadChar();
            if (prev == '*' && c == '/') break;
            prev = c;
        } while (c != 0);
        cur_ = ReadChar();
        return ddl::tkComment;
    }

    ddl::TTokenKind literal() {
        for (;;) {
            cur_ = ReadChar();
            if (cur_ == 0) return ddl::tkUnknown;
            TokenText += static_cast<char>(cur_);
            if (cur_ == '\'') {
                cur_ = ReadChar();
                if (cur_ != '\'') return ddl::tkString;
                TokenText += '\'';  // a doubled quote stays doubled
            }
        }
    }

    ddl::TTokenKind quotedName() {
        for (;;) {
            cur_ = ReadChar();
            if (cur_ == 0) return ddl::tkUnknown;
            TokenText += static_cast<char>(cur_);
            if (cur_ == '"') {
                cur_ = ReadChar();
                if (cur_ != '"') return ddl::tkUnknown;
                TokenText += '"';  // a doubled quote stays doubled
            }
        }
    }

    static bool numberEnd(unsigned char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 26 || c == ',' || c == ')' ||
               c == '=' || c == '+' || c == '-' || c == '*' || c == '/' || c == ';' || c == '|';
    }

    ddl::TTokenKind number() {
        bool point = false;
        for (;;) {
            cur_ = ReadChar();
            if (cur_ == 0 || numberEnd(cur_)) return ddl::tkNumber;
            if (cur_ >= '0' && cur_ <= '9') {
                TokenText += static_cast<char>(cur_);
            } else if (cur_ == '.' && !point) {
                TokenText += '.';
                point = true;
            } else {
                TokenText += static_cast<char>(cur_);
                cur_ = ReadChar();
                return ddl::tkUnknown;
            }
        }
    }

    ddl::TTokenKind word() {
        for (;;) {
            cur_ = ReadChar();
            bool part = (cur_ >= 'A' && cur_ <= 'Z') || (cur_ >= 'a' && cur_ <= 'z') ||
                        (cur_ >= '0' && cur_ <= '9') || cur_ == '_' || cur_ == '$';
            if (!part) break;
            TokenText += static_cast<char>(cur_);
        }
        const auto& list = ddl::KeywordList();
        std::string lower = ddl::LowerWord(TokenText);
        bool found = false;
        // Bisection of the sorted list, as the list has always been searched.
        size_t lo = 0, hi = list.size();
        while (lo < hi) {
            size_t mid = (lo + hi) / 2;
            if (list[mid] == lower) { found = true; break; }
            if (list[mid] < lower) lo = mid + 1; else hi = mid;
        }
        return found ? ddl::tkKeyword : ddl::tkIdent;
    }
};

}  // namespace quorvel::test

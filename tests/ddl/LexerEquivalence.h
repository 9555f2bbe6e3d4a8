#pragma once
// Runs the real lexer and the byte-at-a-time one side by side over a text.
#include <cstddef>
#include <string>

#include "ByteLexer.h"
#include "ddl/IbLex.h"

namespace quorvel::test {

// "" when both give the same tokens and both repeat tkEnd; otherwise a
// description of the first difference.
inline std::string compareLexers(const unsigned char* data, size_t size) {
    ddl::TMyStream stream;
    stream.LoadFromMemory(data, size);
    ddl::TLex fast(stream);
    ByteLexer slow(stream.Memory(), stream.Size());
    // Every token but the end takes at least one byte.
    for (size_t n = 0; n <= size + 1; ++n) {
        ddl::TTokenKind a = fast.NextToken();
        ddl::TTokenKind b = slow.NextToken();
        if (a != b || fast.TokenText() != slow.TokenText)
            return "token " + std::to_string(n) + ": " + ddl::TokenKindName(a) + " [" +
                   std::string(fast.TokenText()) + "] but byte by byte " + ddl::TokenKindName(b) + " [" +
                   slow.TokenText + "]";
        if (a == ddl::tkEnd) {
            for (int i = 0; i < 2; ++i)
                if (fast.NextToken() != ddl::tkEnd) return "tkEnd did not repeat";
            return "";
        }
    }
    return "more tokens than bytes";
}

}  // namespace quorvel::test

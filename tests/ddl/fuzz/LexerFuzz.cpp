// Fuzz target of the DDL lexer: on any bytes it must not crash or read past
// the text, must give the same tokens as the byte-at-a-time lexer, and must
// repeat tkEnd once reached.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../LexerEquivalence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string difference = quorvel::test::compareLexers(data, size);
    if (!difference.empty()) {
        std::fprintf(stderr, "lexer difference: %s\n", difference.c_str());
        std::abort();
    }
    return 0;
}

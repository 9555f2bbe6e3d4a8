// The fast lexer against the byte-at-a-time one on many texts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "LexerEquivalence.h"

namespace quorvel::test {
namespace {

std::string check(const std::string& text) {
    return compareLexers(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(LexerEquivalence, HandWrittenCorners) {
    const std::string cases[] = {
        "", "/", "/*", "/**", "/**/", "/*/", "*/", "'", "''", "'''", "''''", "\"", "\"\"", "<", ">", "|",
        "||", "<>", "1", "1.", "1..", "1.2.", "1e5", "_", "$", "a$", "\x1A", std::string(1, '\0'),
        std::string("/*\0*/x", 6), std::string("'\0'", 3), std::string("1\0", 2), std::string("a\0/", 3),
        "CREATE TABLE \"x y\" (A INTEGER);", "x''y", "'a'''", "1/*c*/2", "a||b|c", "\xFF\x80z",
        "\"\"\"", "\"\"\"\"", "\"a\"\"", "\"QUOTE\"\"D\"x", std::string("\"a\"\0\"", 5),
    };
    for (const std::string& c : cases) EXPECT_EQ(check(c), "") << "text: " << c;
}

TEST(LexerEquivalence, RandomTextsOverTheInterestingBytes) {
    const std::string alphabet = "aZ_$09.'\"/*-+=<>|(),;:[] \t\r\n\x1A!^\xE9";
    std::mt19937 rng(20261207);
    for (int round = 0; round < 4000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char& c : text) c = (rng() % 50 == 0) ? '\0' : alphabet[rng() % alphabet.size()];
        ASSERT_EQ(check(text), "") << "text: " << text;
    }
}

TEST(LexerEquivalence, RandomBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 64, ' ');
        for (char& c : text) c = static_cast<char>(rng() & 0xFF);
        ASSERT_EQ(check(text), "");
    }
}

}  // namespace
}  // namespace quorvel::test

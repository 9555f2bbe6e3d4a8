#pragma once
// Byte classes of the lexer, one table lookup per byte.
#include <array>
#include <cstdint>

namespace quorvel::ddl::chars {

enum : uint8_t {
    Blank = 1,       // space, tab, line feed, carriage return, byte 26
    Digit = 2,       // "0" to "9"
    Letter = 4,      // "A" to "Z", "a" to "z"
    WordStart = 8,   // a letter or "_"
    WordPart = 16,   // a letter, a digit, "_" or "$"
    NumberEnd = 32,  // what ends a number without belonging to it (never "(", "]", "<", ">", ":", ".")
};

constexpr std::array<uint8_t, 256> makeTable() {
    std::array<uint8_t, 256> t{};
    for (int c : {32, 9, 10, 13, 26}) t[c] |= Blank | NumberEnd;
    for (int c = '0'; c <= '9'; ++c) t[c] |= Digit | WordPart;
    for (int c = 'A'; c <= 'Z'; ++c) t[c] |= Letter | WordStart | WordPart;
    for (int c = 'a'; c <= 'z'; ++c) t[c] |= Letter | WordStart | WordPart;
    t['_'] |= WordStart | WordPart;
    t['$'] |= WordPart;
    for (char c : {',', ')', '=', '+', '-', '*', '/', ';', '|'}) t[static_cast<unsigned char>(c)] |= NumberEnd;
    return t;
}

inline constexpr std::array<uint8_t, 256> kTable = makeTable();

inline bool is(unsigned char c, uint8_t cls) { return (kTable[c] & cls) != 0; }
inline bool IsDigit(unsigned char c) { return is(c, Digit); }
inline bool IsLetter(unsigned char c) { return is(c, Letter); }
inline bool IsNumberEnd(unsigned char c) { return is(c, NumberEnd); }

}  // namespace quorvel::ddl::chars

// The texts typed by the operator or read from the catalogue on their way
// into statements.
#include <gtest/gtest.h>

#include <utility>

#include "replica/SqlText.h"

using quorvel::replica::isIntegerText;
using quorvel::replica::linesOf;
using quorvel::replica::quoted;

TEST(SqlTextTest, LiteralsAreSingleQuotedWithInnerQuotesDoubled) {
    const std::pair<const char*, const char*> cases[] = {
        {"ORDERS", "'ORDERS'"}, {"a'b", "'a''b'"}, {"')", "''')'"}, {"", "''"}, {"Order\"Line", "'Order\"Line'"}};
    for (const auto& [value, literal] : cases) EXPECT_EQ(quoted(value), literal) << value;
}

TEST(SqlTextTest, IntegersMayHaveBlanksAroundAndASign) {
    for (const char* ok : {"0", "2000000000", " 5", "7 ", "\t42\t", "-1", "+3", "2147483647", "-2147483648"})
        EXPECT_TRUE(isIntegerText(ok)) << ok;
    for (const char* bad : {"", "   ", "12a", "1 2", "-", "+", "0x10", "$10", "1.5", "2147483648",
                            "-2147483649", "99999999999999999999"})
        EXPECT_FALSE(isIntegerText(bad)) << bad;
    // Offsets of dialect-3 generators are 64-bit.
    for (const char* ok : {"5000000000", "9223372036854775807", "-9223372036854775808"})
        EXPECT_TRUE(isIntegerText(ok, 64)) << ok;
    for (const char* bad : {"9223372036854775808", "-9223372036854775809", "99999999999999999999"})
        EXPECT_FALSE(isIntegerText(bad, 64)) << bad;
}

TEST(SqlTextTest, LinesAreSplitAtLineBreaksOnly) {
    EXPECT_EQ(linesOf("one"), std::vector<std::string>{"one"});
    EXPECT_EQ(linesOf("a\n  b \n"), (std::vector<std::string>{"a", "  b ", ""}));
}

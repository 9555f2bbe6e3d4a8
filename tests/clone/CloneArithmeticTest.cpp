// The number rules of the clone registry and update, at their boundaries.
#include <gtest/gtest.h>

#include "clone/CloneRange.h"
#include "clone/CloneSql.h"

using namespace quorvel::clone;

namespace {

TEST(CloneRange, StartFollowsTheBoundAndRollsOverPastTheLargestLowWord) {
    EXPECT_EQ(startAfter(3, 500).gen1, 3);
    EXPECT_EQ(startAfter(3, 500).gen2, 501);
    EXPECT_EQ(startAfter(3, 1999999999).gen2, 2000000000);
    EXPECT_EQ(startAfter(3, 2000000000).gen1, 4);
    EXPECT_EQ(startAfter(3, 2000000000).gen2, 0);
    // A bound typed beyond the largest low word still rolls over, never wraps.
    EXPECT_EQ(startAfter(0, 2147483647).gen1, 1);
    EXPECT_EQ(startAfter(0, 2147483647).gen2, 0);
}

TEST(CloneRange, IncrementMustFitASigned32BitInteger) {
    EXPECT_EQ(generatorIncrement(100, 2), 200);
    EXPECT_EQ(generatorIncrement(0, 7), 0);
    EXPECT_EQ(generatorIncrement(2147483647, 1), 2147483647);
    EXPECT_EQ(generatorIncrement(-2147483648LL, 1), -2147483648LL);
    EXPECT_EQ(generatorIncrement(1073741824, 2), std::nullopt);
    EXPECT_EQ(generatorIncrement(-1073741825, 2), std::nullopt);
    EXPECT_EQ(generatorIncrement(2147483647, 2147483647), std::nullopt);
}

TEST(CloneSql, NamesAreDoubleQuotedLiteralsWithInnerQuotesDoubled) {
    EXPECT_EQ(sql::insertClone("Bob's \"B\"", 2, " 3", "500"),
              "insert into R$CLONE values (\"Bob's \"\"B\"\"\", 2,  3, 500, \"N\")");
    EXPECT_EQ(sql::deleteClone("EAST"), "delete from R$CLONE where Name = \"EAST\"");
}

}  // namespace

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

TEST(CloneRange, IncrementMustFitTheDialectsGenerators) {
    const struct {
        int64_t offset, clone;
        int dialect;
        std::optional<int64_t> increment;
    } cases[] = {
        {100, 2, 1, 200},
        {0, 7, 1, 0},
        {2147483647, 1, 1, 2147483647},
        {-2147483648LL, 1, 1, -2147483648LL},
        {1073741824, 2, 1, std::nullopt},
        {-1073741825, 2, 1, std::nullopt},
        {2147483647, 2147483647, 1, std::nullopt},
        // Dialect 3: 64-bit generators take a step beyond 32 bits, not one that wraps.
        {5000000000LL, 1, 3, 5000000000LL},
        {1073741824, 2, 3, 2147483648LL},
        {4611686018427387904LL, 2, 3, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(generatorIncrement(c.offset, c.clone, c.dialect), c.increment) << c.offset << " x " << c.clone;
}

TEST(CloneSql, NamesAreSingleQuotedLiteralsWithInnerQuotesDoubled) {
    EXPECT_EQ(sql::insertClone("Bob's \"B\"", 2, " 3", "500"),
              "insert into R$CLONE values ('Bob''s \"B\"', 2,  3, 500, 'N')");
    EXPECT_EQ(sql::retireClone("EAST", 2), "update R$CLONE set Name = '~2 EAST', ME = 'R' where Name = 'EAST'");
}

}  // namespace

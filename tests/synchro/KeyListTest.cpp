// A key list as the catalogue gives it ("A;B") split into its column names:
// one name stays one, an empty list names one empty column (which the
// overwrite refuses before it gets there).
#include <gtest/gtest.h>

#include "synchro/RecordTransfer.h"

using quorvel::synchro::splitKeyList;
using Names = std::vector<std::string>;

TEST(KeyList, SplitsIntoTheColumnNamesInOrder) {
    EXPECT_EQ(splitKeyList("ID"), (Names{"ID"}));
    EXPECT_EQ(splitKeyList("A;BB;C"), (Names{"A", "BB", "C"}));
    EXPECT_EQ(splitKeyList(""), (Names{""}));
    EXPECT_EQ(splitKeyList("R$CODE1;R$CODE2"), quorvel::synchro::recordCodeColumns());
}

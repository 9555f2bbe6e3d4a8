// The key-list helpers: a list of one name counts 1, an empty list too (it
// names no field, which mode 1 refuses before it gets there).
#include <gtest/gtest.h>

#include "synchro/TMyBM.h"

using quorvel::synchro::TMyBM;

TEST(KeyList, CountsAndPicksNamesCountingFromOne) {
    EXPECT_EQ(TMyBM::CountNames("ID"), 1);
    EXPECT_EQ(TMyBM::CountNames("A;B;C"), 3);
    EXPECT_EQ(TMyBM::CountNames(""), 1);

    EXPECT_EQ(TMyBM::GetName("ID", 1), "ID");
    EXPECT_EQ(TMyBM::GetName("A;BB;C", 1), "A");
    EXPECT_EQ(TMyBM::GetName("A;BB;C", 2), "BB");
    EXPECT_EQ(TMyBM::GetName("A;BB;C", 3), "C");
    EXPECT_EQ(TMyBM::GetName("A;BB;C", 4), "");
    EXPECT_EQ(TMyBM::GetName("R$CODE1;R$CODE2", 2), "R$CODE2");
}

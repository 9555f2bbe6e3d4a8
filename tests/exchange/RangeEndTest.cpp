// A site never draws a code past the end of its range (the next site's
// rows bear those codes), and the row that bears its last code travels.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using RangeEnd = ExchangeSites;

TEST_F(RangeEnd, TheLastCodeTravelsAndNoCodePastItIsDrawn) {
    makeClone();  // WEST: from (1, 0) to (1, 1000000000)
    Workspace::runIsql(clone, "SET GENERATOR R$GEN2 TO 999999998; COMMIT;");
    Workspace::runIsql(clone, "INSERT INTO CUSTOMER (ID, NAME) VALUES (50, 'Last but one');"
                              " INSERT INTO CUSTOMER (ID, NAME) VALUES (51, 'Last'); COMMIT;");
    EXPECT_EQ(value(clone, "select R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 51;"), "1 1000000000");
    const std::string refused =
        Workspace::isqlOutput(clone, "INSERT INTO CUSTOMER (ID, NAME) VALUES (52, 'Beyond'); COMMIT;");
    EXPECT_NE(refused.find("The record codes of WEST are used up: its range ends at (1, 1000000000)."),
              std::string::npos)
        << refused;
    EXPECT_EQ(value(clone, "select count(*) from CUSTOMER where ID = 52;"), "0");

    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select count(*) from CUSTOMER where ID in (50, 51);"), "2");
}

}  // namespace
}  // namespace quorvel::test

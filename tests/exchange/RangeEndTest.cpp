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
    // One transaction: the first insert draws through R$FILL, the next ones
    // in the trigger itself, up to the bound and not past it.
    const std::string refused = Workspace::isqlOutput(clone, "INSERT INTO CUSTOMER (ID, NAME) VALUES (50, 'Last but one');"
                                                             " INSERT INTO CUSTOMER (ID, NAME) VALUES (51, 'Last');"
                                                             " INSERT INTO CUSTOMER (ID, NAME) VALUES (52, 'Beyond'); COMMIT;");
    EXPECT_EQ(value(clone, "select R$CODE1 || ' ' || R$CODE2 from CUSTOMER where ID = 51;"), "1 1000000000");
    EXPECT_NE(refused.find("The record codes of WEST are used up: its range ends at (1, 1000000000)."),
              std::string::npos)
        << refused;
    EXPECT_EQ(value(clone, "select count(*) from CUSTOMER where ID = 52;"), "0");

    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select count(*) from CUSTOMER where ID in (50, 51);"), "2");
}

// Inside one transaction the codes roll over to the next high word at the
// top of the low word, and stop at the bound there.
TEST_F(RangeEnd, ATransactionsCodesRollOverAndStopAtTheBound) {
    Workspace::runIsql(master, "UPDATE R$CLONE SET MAXVALUE1 = 1, MAXVALUE2 = 2 WHERE ME = 'Y';"
                               " SET GENERATOR R$GEN1 TO 0; SET GENERATOR R$GEN2 TO 1999999998; COMMIT;");
    std::string inserts;
    for (int id = 60; id < 66; ++id) inserts += "INSERT INTO CUSTOMER (ID, NAME) VALUES (" + std::to_string(id) + ", 'n');";
    const std::string said = Workspace::isqlOutput(master, inserts + " COMMIT;");
    EXPECT_EQ(value(master, "select cast(list(R$CODE1 || ' ' || R$CODE2, ',') as varchar(200)) from (select R$CODE1, R$CODE2 from CUSTOMER "
                            "where ID >= 60 order by ID);"),
              "0 1999999999,0 2000000000,1 0,1 1,1 2");
    EXPECT_NE(said.find("are used up: its range ends at (1, 2)."), std::string::npos) << said;
}

}  // namespace
}  // namespace quorvel::test

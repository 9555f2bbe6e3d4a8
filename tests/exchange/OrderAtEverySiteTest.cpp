// A clone made before convert-ddl ran at the master has no table order of
// its own: its first read takes it from its foreign keys, parents first, and
// the rows travel both ways.
#include <gtest/gtest.h>

#include "OperatorSites.h"
#include "support/Workspace.h"

namespace quorvel::test {
namespace {

using OrderAtEverySite = ExchangeSites;

TEST_F(OrderAtEverySite, AClonesEmptyTableOrderIsTakenFromItsForeignKeys) {
    makeClone();
    Workspace::runIsql(clone, "DELETE FROM R$TABLEORDER; COMMIT;");
    Workspace::runIsql(master, "INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (90, 'Ada', 'Turin');"
                               " INSERT INTO ORDERS (ID, CUSTOMER_ID) VALUES (9, 90); COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    const CliResult read = mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_NE(read.err.find("no table order"), std::string::npos) << read.err;
    EXPECT_EQ(value(clone, "select CUSTOMER_ID from ORDERS where ID = 9;"), "90");
    EXPECT_EQ(value(clone, "select count(*) from R$TABLEORDER T1 join R$TABLEORDER T2 on T1.NUMBER < T2.NUMBER"
                           " where T1.TABLENAME = 'CUSTOMER' and T2.TABLENAME = 'ORDERS';"),
              "1")
        << "parents first";

    Workspace::runIsql(clone, "UPDATE CUSTOMER SET CITY = 'Milan' WHERE ID = 90; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select CITY from CUSTOMER where ID = 90;"), "Milan");
}

}  // namespace
}  // namespace quorvel::test

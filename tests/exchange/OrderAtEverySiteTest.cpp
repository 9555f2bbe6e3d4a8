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

// An order sent for a customer deleted here is no cycle to break: the read
// stops on it as a new row, applies nothing, and says the way out.
TEST_F(OrderAtEverySite, AnOrderForACustomerDeletedHereStopsTheReadAsANewRow) {
    makeClone();
    Workspace::runIsql(master, "INSERT INTO CUSTOMER (ID, NAME) VALUES (91, 'Gone'); COMMIT;");
    mustRun({"--local", "Master", "--synchro", "Synchro", "fill", "--yes"});
    mustRun({"--local", "Clone", "--synchro", "Synchro", "read", "--yes"});
    Workspace::runIsql(master, "DELETE FROM CUSTOMER WHERE ID = 91; COMMIT;");
    Workspace::runIsql(clone, "INSERT INTO ORDERS (ID, CUSTOMER_ID) VALUES (19, 91); UPDATE CUSTOMER SET CITY = 'Rome' "
                              "WHERE ID = 91; COMMIT;");
    mustRun({"--local", "Clone", "--synchro", "Synchro", "fill", "--yes"});
    const CliResult stopped = runCli({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_NE(stopped.err.find("stopped in the INSERT pass on table ORDERS"), std::string::npos) << stopped.err;
    EXPECT_NE(stopped.err.find("refers to a row this database does not hold"), std::string::npos) << stopped.err;
    EXPECT_EQ(value(master, "select count(*) from ORDERS where ID = 19;"), "0");
    mustRun({"--local", "Master", "--synchro", "Synchro", "delete-synchro-row", "ORDERS", "19", "--yes"});
    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--yes"});
    EXPECT_EQ(value(master, "select count(*) from ORDERS where ID = 19;"), "0");
}

}  // namespace
}  // namespace quorvel::test

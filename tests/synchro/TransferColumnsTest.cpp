// Columns that a replicated table may hold beyond plain values: a computed
// column is never written, an array column travels whole.
#include "ArrayColumn.h"
#include "TransferFixture.h"

using namespace quorvel;
using quorvel::test::TransferTest;

namespace {

// In the synchro database TOTAL is a plain column; locally it is derived.
const char* const kSentParts =
    "CREATE TABLE PARTS (ID INTEGER NOT NULL PRIMARY KEY, QTY INTEGER, PRICE NUMERIC(9,2),\n"
    " TOTAL NUMERIC(18,2), GRID INTEGER[2,3], NOTE VARCHAR(10), R$CODE1 INTEGER, R$CODE2 INTEGER);\n"
    "INSERT INTO PARTS (ID, QTY, PRICE, TOTAL, NOTE, R$CODE1, R$CODE2) VALUES (1, 2, 1.25, 999, 'one', 0, 1);\n"
    "INSERT INTO PARTS (ID, QTY, PRICE, TOTAL, NOTE, R$CODE1, R$CODE2) VALUES (2, 3, 2, 999, 'two', 0, 2);\n";
const char* const kLocalParts =
    "CREATE TABLE PARTS (ID INTEGER NOT NULL PRIMARY KEY, QTY INTEGER, PRICE NUMERIC(9,2),\n"
    " TOTAL COMPUTED BY (QTY * PRICE), GRID INTEGER[2,3], NOTE VARCHAR(10), R$CODE1 INTEGER,\n"
    " R$CODE2 INTEGER);\n";

TEST_F(TransferTest, ComputedColumnIsNeverWritten) {
    makeDatabases(kLocalParts, kSentParts);
    const char* parts = "select ID, TOTAL, NOTE, R$CODE1, R$CODE2 from PARTS order by ID";

    append("select * from PARTS", "PARTS");
    EXPECT_EQ(localRows(parts), (std::vector<std::string>{"1|2.50|one|0|1", "2|6.00|two|0|2"}));

    dm.SynchroDB().execute("update PARTS set QTY = 4, NOTE = 'four' where ID = 1");
    overwrite("select * from PARTS", "PARTS");
    commitBoth();
    EXPECT_EQ(localRows(parts), (std::vector<std::string>{"1|5.00|four|0|1", "2|6.00|two|0|2"}));
}

TEST_F(TransferTest, ArrayColumnTravelsWhole) {
    createDatabases(kLocalParts, kSentParts);
    test::putIntegerArray(synchroPath, "PARTS", "GRID", "ID = 1", {11, 12, 13, 21, 22, 23});
    connectBoth();
    const char* grids = "select ID, GRID[1,1], GRID[1,3], GRID[2,1], GRID[2,3] from PARTS order by ID";

    append("select * from PARTS", "PARTS");
    commitBoth();
    EXPECT_EQ(localRows(grids), (std::vector<std::string>{"1|11|13|21|23", "2|<null>|<null>|<null>|<null>"}));

    // Found by code, row 1 loses its array and row 2 gains one.
    test::putIntegerArray(synchroPath, "PARTS", "GRID", "ID = 2", {-1, 0, 1, 2, 3, 2147483647});
    dm.SynchroDB().startTransaction();
    dm.SynchroDB().execute("update PARTS set GRID = NULL where ID = 1");
    dm.SynchroDB().commit();
    startBoth();
    overwrite("select * from PARTS", "PARTS");
    commitBoth();
    EXPECT_EQ(localRows(grids), (std::vector<std::string>{"1|<null>|<null>|<null>|<null>", "2|-1|1|2|2147483647"}));
}

}  // namespace

// A working table with an array column goes through a whole exchange: the
// fill selects its new and its journal-named rows (Firebird refuses a union
// over such a table), the read carries the arrays whole.
#include "ArrayColumn.h"
#include "OperatorSites.h"

using namespace quorvel;
using quorvel::test::ExchangeSites;

namespace {

TEST_F(ExchangeSites, ArrayTableTravelsFromCloneToMaster) {
    makeClone();
    ASSERT_FALSE(HasFailure());
    // Row 1 changed at the clone (a journal "U" entry), row 3 new there.
    test::putIntegerArray(clone, "STOCK", "QTY", "ID = 1", {5, 6, 7, 8});
    test::Workspace::runIsql(clone, "INSERT INTO STOCK (ID, TITLE) VALUES (3, 'Washers'); COMMIT;");
    test::putIntegerArray(clone, "STOCK", "QTY", "ID = 3", {30, 31, 32, 33});

    test::CliResult fill = mustRun({"--local", "Clone", "--synchro", "Synchro", "fill"});
    EXPECT_NE(fill.out.find("STOCK: 2 rows sent"), std::string::npos) << fill.out;

    mustRun({"--local", "Master", "--synchro", "Synchro", "read", "--switch-triggers", "--yes"});
    EXPECT_EQ(value(master, "select QTY[1] || ',' || QTY[4] from STOCK where ID = 1;"), "5,8");
    EXPECT_EQ(value(master, "select TITLE || ':' || QTY[1] || ',' || QTY[4] from STOCK where ID = 3;"), "Washers:30,33");
    EXPECT_EQ(value(master, "select count(*) from STOCK where ID = 2 and QTY[1] is null;"), "1");
}

}  // namespace

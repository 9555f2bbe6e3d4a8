// Columns between the local table and the synchro table: matched by name in
// the fill and the read, a definition that would lose data refused before
// anything changes, and a row that fails named with its table, column and key.
#include "support/ExchangeFixture.h"
#include "synchro/Operations.h"

namespace quorvel::test {

namespace {

// A second working table, PARTS, with each side's own columns between its
// key and its record code.
std::string parts(const std::string& columns) {
    return "CREATE TABLE PARTS (ID INTEGER NOT NULL PRIMARY KEY, " + columns +
           ", R$CODE1 INTEGER, R$CODE2 INTEGER);\ncommit;\n";
}
std::string workingParts(const std::string& columns) {
    return parts(columns) +
           "insert into R$WORKINGTABLES values (\"PARTS\");\n"
           "insert into R$TABLEORDER values (2, \"PARTS\");\ncommit;\n";
}

bool mentions(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }

}  // namespace

class ColumnMatchTest : public ExchangeTest {
protected:
    Outcome read() { return synchro::ReadFromSynchro(dm.UserDB(), dm.SynchroDB(), ui, nullptr, true); }
    void markSent() { synchro("insert into R$SYNCHRO values (7, \"2026-03-01\", 1, 100)"); }
};

TEST_F(ColumnMatchTest, ColumnsAddedInAnotherOrderAreMatchedByName) {
    makeDatabases({}, workingParts("A VARCHAR(10), B VARCHAR(10)"), parts("B VARCHAR(10), A VARCHAR(10)"));
    local("insert into PARTS values (1, \"a\", \"b\", 0, 5001)");
    ASSERT_TRUE(synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui).isDone());
    EXPECT_EQ(synchroRows("select ID, A, B from PARTS"), (std::vector<std::string>{"1|a|b"}));

    makeDatabases({}, workingParts("A VARCHAR(10), B VARCHAR(10)"), parts("B VARCHAR(10), A VARCHAR(10)"));
    markSent();
    local("insert into PARTS values (2, \"x\", \"y\", 0, 50)");
    synchro("insert into PARTS (ID, A, B, R$CODE1, R$CODE2) values (1, \"a\", \"b\", 1, 101)");
    synchro("insert into PARTS (ID, A, B, R$CODE1, R$CODE2) values (2, \"a2\", \"b2\", 0, 50)");
    synchro("insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (0, 50, 'U', 'PARTS')");
    const Outcome o = read();
    ASSERT_TRUE(o.isDone()) << o.message();
    EXPECT_EQ(localRows("select ID, A, B from PARTS order by ID"), (std::vector<std::string>{"1|a|b", "2|a2|b2"}));
}

TEST_F(ColumnMatchTest, AFillIntoADefinitionThatWouldLoseDataIsRefusedNamingTheColumn) {
    struct Case {
        const char *local, *synchro, *column;
    };
    const Case refused[] = {
        {"A VARCHAR(10)", "A VARCHAR(10), EMAIL VARCHAR(40)", "EMAIL"},  // would travel empty
        {"A VARCHAR(10), EMAIL VARCHAR(40)", "A VARCHAR(10)", "EMAIL"},
        {"A VARCHAR(10)", "A VARCHAR(5)", "A"},
        {"A CHAR(10)", "A CHAR(9)", "A"},
        {"A NUMERIC(9,2)", "A NUMERIC(9,1)", "A"},
        {"A NUMERIC(15,2)", "A NUMERIC(9,2)", "A"},
        {"A INTEGER", "A SMALLINT", "A"},
        {"A INTEGER", "A NUMERIC(9,2)", "A"},
        {"A DOUBLE PRECISION", "A INTEGER", "A"},
        {"A DOUBLE PRECISION", "A NUMERIC(15,2)", "A"},
        {"A DATE", "A VARCHAR(30)", "A"},
        {"A BLOB SUB_TYPE TEXT", "A VARCHAR(30)", "A"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(std::string(c.local) + " into " + c.synchro);
        makeDatabases({}, workingParts(c.local), parts(c.synchro) + "insert into PARTS (ID) values (9);\n");
        local("insert into PARTS (ID, R$CODE1, R$CODE2) values (1, 0, 5001)");
        const Outcome o = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
        EXPECT_EQ(o.kind(), Outcome::Kind::Refused) << o.message();
        EXPECT_TRUE(mentions(o.message(), "PARTS") && mentions(o.message(), " " + std::string(c.column)))
            << o.message();
        // Nothing changed: the synchro database is not emptied, the history has not moved.
        EXPECT_EQ(synchroRows("select ID from PARTS"), (std::vector<std::string>{"9"}));
        EXPECT_EQ(localRows("select max(SYNCHRONUMBER) from R$SYNCHRO"), (std::vector<std::string>{"3"}));
    }
    // The read refuses a synchro column that this database lacks too.
    makeDatabases({}, workingParts("A VARCHAR(10)"), parts("A VARCHAR(10), EMAIL VARCHAR(40)"));
    markSent();
    const Outcome o = read();
    EXPECT_EQ(o.kind(), Outcome::Kind::Refused) << o.message();
    EXPECT_TRUE(mentions(o.message(), "EMAIL")) << o.message();

    const Case fitting[] = {
        {"A VARCHAR(5)", "A VARCHAR(10)", ""},     {"A CHAR(5)", "A VARCHAR(5)", ""},
        {"A VARCHAR(5)", "A BLOB SUB_TYPE TEXT", ""}, {"A NUMERIC(9,2)", "A NUMERIC(15,2)", ""},
        {"A SMALLINT", "A INTEGER", ""},           {"A INTEGER", "A DOUBLE PRECISION", ""},
        {"A DATE, B INTEGER", "B INTEGER, A DATE", ""},
    };
    for (const Case& c : fitting) {
        SCOPED_TRACE(std::string(c.local) + " into " + c.synchro);
        makeDatabases({}, workingParts(c.local), parts(c.synchro));
        const Outcome fill = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
        EXPECT_TRUE(fill.isDone()) << fill.message();
    }
}

TEST_F(ColumnMatchTest, ARowTheFillCannotWriteIsNamedByTableColumnAndKey) {
    struct Case {
        const char *local, *synchro, *value;
    };
    const Case cases[] = {
        // Fifteen umlauts are 30 bytes: too long for 20 characters of NONE.
        {"A VARCHAR(20) CHARACTER SET UTF8", "A VARCHAR(20) CHARACTER SET NONE",
         "'\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84\xC3\x84"
         "\xC3\x84\xC3\x84\xC3\x84'"},
        {"A VARCHAR(20)", "A VARCHAR(20) NOT NULL", "NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.synchro);
        makeDatabases({}, workingParts(c.local), parts(c.synchro));
        local("insert into PARTS values (6, 'fits', 0, 5001)");
        local(std::string("insert into PARTS values (7, ") + c.value + ", 0, 5002)");
        const Outcome o = synchro::FillSynchro(dm.UserDB(), dm.SynchroDB(), ui);
        EXPECT_EQ(o.kind(), Outcome::Kind::Failed) << o.message();
        EXPECT_TRUE(mentions(o.message(), "PARTS") && mentions(o.message(), "column A") &&
                    mentions(o.message(), "ID = 7"))
            << o.message();
    }
}

}  // namespace quorvel::test

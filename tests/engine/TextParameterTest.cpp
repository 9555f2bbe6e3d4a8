// Long texts as query parameters: whole into a BLOB, whole into a VARCHAR as
// long as the server's VARCHAR takes them, a clear failure beyond that (never
// an empty value stored in silence).
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

struct TextParameters : ::testing::Test {
    Workspace ws;
    Database db{"UserDB"};
    void SetUp() override {
        ws.createDatabase("TP",
                          "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, SHORTTEXT VARCHAR(100),"
                          " LONGTEXT VARCHAR(32765), NOTE BLOB SUB_TYPE TEXT);\nCOMMIT;\n");
        Workspace::connect(db, "TP");
    }

    void insert(int id, const char* column, const std::string& text) {
        Query q(db);
        q.setSql(std::string("insert into T (ID, ") + column + ") values (:ID, :TEXT)");
        q.setParam("ID", int64_t{id});
        q.setParam("TEXT", text);
        q.execSql();
    }

    std::string read(int id, const char* column) {
        Query q(db);
        q.setSql(std::string("select ") + column + " from T where ID = " + std::to_string(id));
        q.open();
        return q.eof() ? "<no row>" : q.field(0).asString();
    }
};

std::string text(size_t n) {
    std::string s(n, 'x');
    for (size_t i = 0; i < n; i += 100) s[i] = static_cast<char>('a' + (i / 100) % 26);
    return s;
}

TEST_F(TextParameters, GoWholeIntoBlobsAndVarcharsUpToTheirLimit) {
    insert(1, "NOTE", text(40000));
    EXPECT_EQ(read(1, "NOTE"), text(40000));
    insert(2, "LONGTEXT", text(20000));
    EXPECT_EQ(read(2, "LONGTEXT"), text(20000));
    insert(3, "LONGTEXT", text(32765));
    EXPECT_EQ(read(3, "LONGTEXT"), text(32765));

    // The same text compared in a condition finds its row.
    Query q(db);
    q.setSql("select ID from T where LONGTEXT = :TEXT");
    q.setParam("TEXT", text(20000));
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 2);
}

TEST_F(TextParameters, TooLongForAnyVarcharFailAndStoreNothing) {
    for (const char* column : {"SHORTTEXT", "LONGTEXT"}) {
        try {
            insert(4, column, text(40000));
            ADD_FAILURE() << column << ": a 40,000-byte text was taken";
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find("TEXT"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("32765"), std::string::npos) << e.what();
        }
        EXPECT_EQ(read(4, column), "<no row>");
    }
    // A text that fits the parameter but not the column: the server's refusal.
    EXPECT_THROW(insert(5, "SHORTTEXT", text(101)), DbError);
    EXPECT_EQ(read(5, "SHORTTEXT"), "<no row>");
}

}  // namespace

// Moving through results: edge cases, lazy fetching, the bounded row cache,
// notifications, detail links and calculated fields.
#include <gtest/gtest.h>

#include <memory>

#include "engine/Database.h"
#include "engine/Error.h"
#include "engine/Query.h"
#include "support/Workspace.h"

using namespace quorvel::engine;
using quorvel::test::Workspace;

namespace {

std::string rows(int n) {
    std::string s = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, PAD VARCHAR(200));\n";
    for (int i = 1; i <= n; ++i) s += "INSERT INTO T VALUES (" + std::to_string(i) + ", '" + std::string(150, 'x') + "');\n";
    return s + "COMMIT;\n";
}

struct Recorder : DataSetListener {
    std::vector<std::string> events;
    void dataSetOpened(DataSet&) override { events.push_back("opened"); }
    void dataSetClosed(DataSet&) override { events.push_back("closed"); }
    void rowsFetched(DataSet&, int first, int count) override {
        events.push_back("fetched " + std::to_string(first) + "+" + std::to_string(count));
    }
    void currentRowChanged(DataSet& ds) override { events.push_back("row " + std::to_string(ds.currentRow())); }
};

}  // namespace

TEST(Navigation, EmptyResultIsBothEofAndBof) {
    Workspace ws;
    ws.createDatabase("N", rows(0));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db);
    q.setSql("select * from T");
    q.open();
    EXPECT_TRUE(q.eof());
    EXPECT_TRUE(q.bof());
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.currentRow(), -1);
    EXPECT_EQ(q.recordCount(), 0);
    q.next();
    q.prior();
    q.last();
    q.first();
    EXPECT_TRUE(q.eof());
    EXPECT_TRUE(q.field(0).isNull());
    EXPECT_EQ(q.field(0).asInteger(), 0);
    EXPECT_EQ(q.field(1).asString(), "");
    EXPECT_FALSE(q.moveTo(0));
}

TEST(Navigation, EofAndBofFollowTheMoves) {
    Workspace ws;
    ws.createDatabase("N", rows(3));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db);
    q.setSql("select ID from T order by ID");
    q.open();
    EXPECT_FALSE(q.eof());
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.currentRow(), 0);
    q.next();
    EXPECT_FALSE(q.bof());
    q.next();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 3);
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 3);  // the last row stays current
    q.prior();
    EXPECT_FALSE(q.eof());
    EXPECT_EQ(q.field(0).asInteger(), 2);
    q.prior();
    q.prior();
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.last();
    EXPECT_EQ(q.field(0).asInteger(), 3);
    EXPECT_TRUE(q.moveTo(1));
    EXPECT_EQ(q.field(0).asInteger(), 2);
    EXPECT_FALSE(q.moveTo(3));
    EXPECT_EQ(q.currentRow(), 1);
    int n = 0;
    for (q.first(); !q.eof(); q.next()) ++n;
    EXPECT_EQ(n, 3);
}

TEST(Navigation, GridsFetchWithoutMovingTheCurrentRow) {
    Workspace ws;
    ws.createDatabase("N", rows(50));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db);
    Recorder rec;
    q.addListener(&rec);
    q.setSql("select ID from T order by ID");
    q.open();
    EXPECT_EQ(q.fetchedCount(), 1);
    EXPECT_FALSE(q.allFetched());
    EXPECT_EQ(q.fetchMore(20), 20);
    EXPECT_EQ(q.fetchedCount(), 21);
    EXPECT_EQ(q.displayText(20, 0), "21");
    EXPECT_FALSE(q.isNullAt(20, 0));
    EXPECT_EQ(q.currentRow(), 0);
    EXPECT_EQ(q.fetchMore(100), 29);
    EXPECT_TRUE(q.allFetched());
    EXPECT_EQ(q.displayText(99, 0), "");
    EXPECT_EQ(q.field(0).asInteger(), 1);
    q.next();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"fetched 0+1", "opened", "fetched 1+20", "fetched 21+29", "row 1"}));
}

TEST(Navigation, BoundedCacheFetchesDroppedRowsAgain) {
    Workspace ws;
    ws.createDatabase("N", rows(400));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db);
    q.setSql("select * from T order by ID");
    q.setCacheLimit(16 * 1024);
    q.open();
    int n = 0;
    int maxCached = 0;
    for (; !q.eof(); q.next()) {
        ++n;
        ASSERT_EQ(q.field(0).asInteger(), n);
        maxCached = std::max(maxCached, q.cachedRowCount());
    }
    EXPECT_EQ(n, 400);
    EXPECT_LT(maxCached, 100);
    EXPECT_EQ(q.recordCount(), 400);
    // Back to rows that fell out of the cache.
    EXPECT_EQ(q.displayText(3, 0), "4");
    q.first();
    EXPECT_EQ(q.field(0).asInteger(), 1);
    EXPECT_TRUE(q.moveTo(250));
    EXPECT_EQ(q.field(0).asInteger(), 251);
    q.prior();
    EXPECT_EQ(q.field(0).asInteger(), 250);
    for (int i = 249; i >= 1; --i) {
        q.prior();
        ASSERT_EQ(q.field(0).asInteger(), i);
    }
    EXPECT_EQ(q.fetchedCount(), 400);

    // One-pass walking keeps only the current row.
    Query u(db);
    u.setUnidirectional(true);
    u.setSql("select ID from T order by ID");
    u.open();
    for (n = 0; !u.eof(); u.next()) {
        ++n;
        ASSERT_LE(u.cachedRowCount(), 1);
    }
    EXPECT_EQ(n, 400);
    u.first();
    EXPECT_EQ(u.field(0).asInteger(), 1);
}

TEST(Navigation, DisabledControlsSendOneRefresh) {
    Workspace ws;
    ws.createDatabase("N", rows(5));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db);
    Recorder rec;
    q.addListener(&rec);
    q.setSql("select ID from T order by ID");
    q.disableControls();
    q.disableControls();
    q.open();
    q.last();
    q.enableControls();
    EXPECT_TRUE(q.controlsDisabled());
    q.enableControls();
    EXPECT_FALSE(q.controlsDisabled());
    EXPECT_EQ(rec.events, std::vector<std::string>{"opened"});
}

TEST(Navigation, DetailQueryFollowsTheMasterRow) {
    Workspace ws;
    ws.createDatabase("N", "CREATE TABLE M (NAME CHAR(31) NOT NULL PRIMARY KEY);\n"
                           "CREATE TABLE D (NAME CHAR(31), V INTEGER);\n"
                           "INSERT INTO M VALUES ('A');\nINSERT INTO M VALUES ('B');\nINSERT INTO M VALUES ('C');\n"
                           "INSERT INTO D VALUES ('A', 1);\nINSERT INTO D VALUES ('A', 2);\nINSERT INTO D VALUES ('B', 3);\n"
                           "COMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query master(db), detail(db);
    master.setSql("select NAME from M order by NAME");
    detail.setSql("select V from D where NAME = :Name order by V");
    detail.setMasterSource(&master);
    detail.open();  // master closed: NULL parameter
    EXPECT_TRUE(detail.isEmpty());
    master.open();
    EXPECT_EQ(detail.recordCount(), 2);
    EXPECT_EQ(detail.field(0).asInteger(), 1);
    master.next();
    EXPECT_EQ(detail.recordCount(), 1);
    EXPECT_EQ(detail.field(0).asInteger(), 3);
    master.next();
    EXPECT_TRUE(detail.isEmpty());
    master.first();
    EXPECT_EQ(detail.field(0).asInteger(), 1);
    detail.close();
    master.next();  // a closed detail stays closed
    EXPECT_FALSE(detail.active());

    // A master that goes away first leaves the detail without a link.
    auto shortLived = std::make_unique<Query>(db);
    shortLived->setSql("select NAME from M where NAME = 'B'");
    detail.setMasterSource(shortLived.get());
    shortLived->open();
    detail.open();
    EXPECT_EQ(detail.field(0).asInteger(), 3);
    shortLived.reset();
    detail.close();
    detail.setParam("Name", std::string("A"));
    detail.open();
    EXPECT_EQ(detail.recordCount(), 2);
}

TEST(Navigation, CalculatedFieldIsComputedOncePerFetchedRow) {
    Workspace ws;
    ws.createDatabase("N", "CREATE GENERATOR G1;\nCREATE GENERATOR G2;\nSET GENERATOR G2 TO 41;\nCOMMIT;");
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query gens(db), value(db);
    int calls = 0;
    gens.setSql("select RDB$GENERATOR_NAME from RDB$GENERATORS where RDB$GENERATOR_NAME starting with \"G\" order by 1");
    gens.addCalculatedField("GenValue", [&](DataSet& ds, int row) -> Value {
        ++calls;
        value.close();
        value.setSql("select gen_id(" + ds.displayText(row, 0) + ", 0) from RDB$DATABASE");
        value.open();
        return value.field(0).asInteger();
    });
    gens.open();
    ASSERT_EQ(gens.fieldCount(), 2);
    EXPECT_EQ(gens.fieldByName("GENVALUE").type(), FieldType::Calculated);
    EXPECT_EQ(gens.fieldByName("GenValue").asInteger(), 0);
    EXPECT_EQ(calls, 1);
    gens.next();
    EXPECT_EQ(gens.fieldByName("GenValue").asInteger(), 41);
    EXPECT_EQ(gens.displayText(1, 1), "41");
    gens.first();
    gens.next();
    EXPECT_EQ(calls, 2);
    EXPECT_THROW(gens.addCalculatedField("Other", [](DataSet&, int) { return Value{}; }), DbError);
}

TEST(Navigation, FailingCalculationReachesTheFetchingCaller) {
    Workspace ws;
    ws.createDatabase("N", rows(3));
    Database db("UserDB");
    Workspace::connect(db, "N");
    Query q(db), broken(db);
    bool fail = true;
    q.setSql("select ID from T order by ID");
    q.addCalculatedField("X", [&](DataSet& ds, int row) -> Value {
        if (fail && ds.displayText(row, 0) == "2") {
            broken.close();
            broken.setSql("select gen_id(NO_SUCH_GENERATOR, 0) from RDB$DATABASE");
            broken.open();
        }
        return int64_t{1};
    });
    q.open();
    try {
        q.next();
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NO_SUCH_GENERATOR"), std::string::npos) << e.what();
    }
    EXPECT_EQ(q.field(0).asInteger(), 1);  // still on the first row
    // The row is computed again when it is reached again.
    fail = false;
    q.next();
    EXPECT_EQ(q.field(0).asInteger(), 2);
    EXPECT_EQ(q.fieldByName("X").asInteger(), 1);
    q.next();
    EXPECT_EQ(q.field(0).asInteger(), 3);
    EXPECT_EQ(q.recordCount(), 3);
}

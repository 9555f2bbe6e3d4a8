// The journal held in memory: the latest entry of each code and operation,
// found again by its code, however its entries were met; and what the
// triggers captured joining it.
#include <gtest/gtest.h>

#include "engine/Database.h"
#include "replica/Captured.h"
#include "replica/Journal.h"
#include "replica/Statements.h"
#include "support/ToolObjects.h"
#include "support/Workspace.h"

using namespace quorvel;
using replica::RecordCode;

namespace {

std::string text(const std::optional<int64_t>& v) { return v ? std::to_string(*v) : "-"; }

std::string text(const replica::JournalEntry* e) {
    return e ? text(e->origin) + "|" + text(e->first) + "|" + text(e->seen) : "none";
}

TEST(JournalTest, KeepsTheLatestEntryOfEachCodeAndOperation) {
    test::Workspace ws;
    std::string script = test::toolTableScript("R$DELETEDUPDATED");
    for (const char* values :
         {"(0, 5, 'U', 2, 3, 7)", "(0, 5, 'U', null, 3, 1)", "(0, 5, 'D', 1, 2, 1)", "(0, 6, 'U', null, 4, 9)",
          "(0, 6, 'U', null, null, 1)", "(0, 4, 'U', 3, 2, 5)", "(0, 4, 'U', 3, 2, 1)",
          "(2147483647, 2147483647, 'K', null, 1, 1)", "(-2147483648, 0, 'U', 1, 1, 1)"})
        script += "INSERT INTO R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, ORIGIN, FIRSTFILL, SEEN) VALUES " +
                  std::string(values) + ";\n";
    ws.createDatabase("Local", script);
    engine::Database db("Local");
    test::Workspace::connect(db, "Local");
    db.startTransaction();
    const replica::Journal journal = replica::Journal::read(db);
    db.commit();

    struct Case {
        char operation;
        RecordCode code;
        const char* entry;
    };
    // Made here before passed on; not carried yet before carried; then the most seen.
    for (const Case& c : std::initializer_list<Case>{{'U', {0, 5}, "-|3|1"},
                                                     {'D', {0, 5}, "1|2|1"},
                                                     {'U', {0, 6}, "-|-|1"},
                                                     {'U', {0, 4}, "3|2|5"},
                                                     {'K', {2147483647, 2147483647}, "-|1|1"},
                                                     {'U', {-2147483648LL, 0}, "1|1|1"},
                                                     {'D', {0, 6}, "none"},
                                                     {'U', {0, 7}, "none"},
                                                     {'U', {int64_t{1} << 32, 5}, "none"}}) {
        const replica::JournalEntry* e = c.operation == 'U'   ? journal.update(c.code)
                                         : c.operation == 'D' ? journal.deletion(c.code)
                                                              : journal.keeping(c.code);
        EXPECT_EQ(text(e), c.entry) << c.operation << " " << c.code.text();
    }
    EXPECT_EQ(journal.size(), 5u);  // four codes updated, one deleted
}

// What a fill or read moves is what its snapshot sees, each entry once: one
// a user commits meanwhile stays captured for the next, none is lost.
TEST(JournalTest, CapturedEntriesJoinTheJournalOnceAndOneCommittedMeanwhileWaits) {
    test::Workspace ws;
    ws.createDatabase("Local", test::toolTableScript("R$DELETEDUPDATED") + test::toolTableScript("R$CAPTURED") +
                                   "INSERT INTO R$CAPTURED VALUES (0, 1, 'U', 'T', 5);\n"
                                   "INSERT INTO R$CAPTURED VALUES (0, 2, 'D', 'T', null);\nCOMMIT;\n");
    engine::Database tool("Local"), user("Local");
    test::Workspace::connect(tool, "Local");
    test::Workspace::connect(user, "Local");
    const auto where = [&](const char* table) {
        tool.startTransaction();
        auto v = replica::firstColumn(
            tool, std::string("select R$CODE2 || OPERATION || trim(TABLENAME) || coalesce(SEEN, '-') from ") + table +
                      " order by 1");
        tool.commit();
        return v;
    };
    using Rows = std::vector<std::string>;

    tool.startTransaction(engine::Database::Isolation::Snapshot);
    user.startTransaction();
    user.execute("INSERT INTO R$CAPTURED VALUES (0, 3, 'U', 'T', null)");
    user.commit();
    replica::absorbCaptured(tool);
    tool.commit();
    EXPECT_EQ(where("R$DELETEDUPDATED"), (Rows{"1UT5", "2DT-"}));
    EXPECT_EQ(where("R$CAPTURED"), Rows{"3UT-"});

    // A fill stamps them on their way with its number and, where the trigger
    // found none, the master's last fill read.
    tool.startTransaction(engine::Database::Isolation::Snapshot);
    replica::absorbCaptured(tool, {7, 6});
    tool.commit();
    EXPECT_EQ(where("R$DELETEDUPDATED"), (Rows{"1UT5", "2DT-", "3UT6"}));
    EXPECT_EQ(where("R$CAPTURED"), Rows{});
    tool.startTransaction();
    EXPECT_EQ(replica::firstColumn(tool, "select coalesce(FIRSTFILL, '-') from R$DELETEDUPDATED order by R$CODE2"),
              (Rows{"-", "-", "7"}));
    tool.commit();
}

}  // namespace

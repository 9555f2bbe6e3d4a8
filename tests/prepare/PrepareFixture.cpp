#include "PrepareFixture.h"

#include "connect/Connect.h"
#include "db/OpenLists.h"
#include "engine/Query.h"
#include "prepare/Operations.h"

namespace quorvel::test {

void PrepareTest::openMaster(const std::string& script) {
    path = ws.createDatabase("MASTER", script);
    Workspace::connect(dm.UserDB(), "MASTER");
    OpenLocalLists(dm, connect::ReadLocalFacts(dm.UserDB()).prepared, ui);
    resetUi();
}

void PrepareTest::createMeta() {
    ASSERT_TRUE(prepare::CreateMetaStructures(db, {}, ui).isDone()) << ui.lastMessage();
    ASSERT_TRUE(ui.messages.empty()) << ui.lastMessage();
    resetUi();
}

void PrepareTest::arm(const std::vector<std::string>& tables) {
    for (const auto& t : tables) ASSERT_TRUE(prepare::AddWorkingTable(db, t, ui).isDone()) << ui.lastMessage();
    ASSERT_TRUE(prepare::RecreateTriggers(db, ui).isDone()) << ui.lastMessage();
    resetUi();
}

void PrepareTest::exec(const std::string& sql) {
    engine::Database& db = dm.UserDB();
    db.startTransaction();
    engine::Query q(db);
    q.setSql(sql);
    q.execSql();
    db.commit();
}

int64_t PrepareTest::scalar(const std::string& sql) {
    engine::Query q(dm.UserDB());
    q.setSql(sql);
    q.open();
    return q.isEmpty() ? 0 : q.field(0).asInteger();
}

std::vector<std::string> PrepareTest::rows(const std::string& sql) {
    engine::Query q(dm.UserDB());
    q.setSql(sql);
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) {
        std::string row;
        for (int i = 0; i < q.fieldCount(); ++i) {
            if (i) row += ",";
            row += q.field(i).isNull() ? "<null>" : q.field(i).asString();
        }
        out.push_back(row);
    }
    return out;
}

void PrepareTest::resetUi() {
    ui.messages.clear();
    ui.statusHistory.clear();
    ui.progressed.clear();
    ui.progressTotal = 0;
    ui.steps.clear();
    ui.questions.clear();
    ui.processEventsCalls = 0;
}

}  // namespace quorvel::test

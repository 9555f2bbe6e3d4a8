// Preparation refused on a database that has become a clone: arming, the
// lists and the meta structures are the master's.
#include <functional>

#include "PrepareFixture.h"

#include "prepare/Operations.h"
#include "prepare/WorkingTables.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

const char* const kRefusal =
    "This database is the clone WEST, not the master: prepare the master and make the clone again.";

class CloneGuardTest : public test::PrepareTest {
protected:
    void SetUp() override {
        openMaster("CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY);\n"
                   "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);\n"
                   "CREATE GENERATOR GEN_A;\nCOMMIT;\nINSERT INTO A VALUES (1);\nCOMMIT;\n");
        createMeta();
        arm({"A"});
        exec("insert into R$PKGENS values (\"GEN_A\", 100)");
        // What the clone update leaves: the copy's own row marked as itself.
        exec("update R$CLONE set ME = \"N\"");
        exec("insert into R$CLONE values (\"WEST\", 1, 0, 2000000000, \"Y\")");
        dm.ReopenWorkingTables();
        dm.ReopenPKGens();
        dm.QTables.first();
        dm.QGenerator.open();
    }
    // Everything the refused operations could have changed.
    Rows snapshot() {
        Rows all = rows("select Name from R$WORKINGTABLES order by 1");
        for (const auto& r : rows("select GeneratorName, GenOffset from R$PKGENS")) all.push_back(r);
        for (const auto& r : rows("select rdb$trigger_name from rdb$triggers "
                                  "where rdb$trigger_name starting with \"R$\" order by 1"))
            all.push_back(r);
        for (const auto& r : rows("select ID, R$CODE1, R$CODE2 from A")) all.push_back(r);
        all.push_back(std::to_string(scalar("select count(*) from rdb$relations "
                                            "where rdb$relation_name starting with \"R$\"")));
        return all;
    }
};

TEST_F(CloneGuardTest, EveryPreparationOperationIsRefusedAndChangesNothing) {
    const Rows before = snapshot();
    ui.confirmAnswers = {true, true, true};
    ui.inputAnswers = {std::string("5")};
    const std::pair<const char*, std::function<Outcome()>> operations[] = {
        {"CreateMeta", [&] { return prepare::CreateMeta(dm, ui, prepare::MasterBounds{}); }},
        {"EraseMeta", [&] { return prepare::EraseMeta(dm, ui); }},
        {"AddGen", [&] { return prepare::AddGen(dm, ui, std::string("GEN_A"), std::string("5")); }},
        {"RemoveGen", [&] { return prepare::RemoveGen(dm, ui, std::string("GEN_A")); }},
        {"AddTable", [&] { return prepare::AddTable(dm, ui, std::string("A")); }},
        {"RemoveTable", [&] { return prepare::RemoveTable(dm, ui, std::string("A")); }},
        {"AddAllTables", [&] { return prepare::AddAllTables(dm, ui); }},
        {"RemoveAllTables", [&] { return prepare::RemoveAllTables(dm, ui); }},
        {"CreateTriggers", [&] { return prepare::CreateTriggers(dm, ui); }},
    };
    for (const auto& [name, operation] : operations) {
        resetUi();
        EXPECT_EQ(operation().kind(), Outcome::Kind::Refused) << name;
        EXPECT_EQ(ui.messages, Rows{kRefusal}) << name;
        EXPECT_EQ(ui.statusHistory, Rows{"error"}) << name;
        EXPECT_TRUE(ui.questions.empty()) << name;
        EXPECT_EQ(snapshot(), before) << name;
    }
}

TEST_F(CloneGuardTest, TheMasterAndADatabaseWithoutStructuresArePrepared) {
    exec("delete from R$CLONE where Name = \"WEST\"");
    exec("update R$CLONE set ME = \"Y\"");
    prepare::AddAllTables(dm, ui);
    EXPECT_EQ(rows("select Name from R$WORKINGTABLES order by 1"), (Rows{"A", "B"}));

    ui.confirmAnswers = {true};
    prepare::EraseMeta(dm, ui);
    resetUi();
    prepare::CreateMeta(dm, ui, prepare::MasterBounds{});
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "ok"})) << ui.lastMessage();
}

}  // namespace

// Preparation refused on a database that has become a clone: arming, the
// lists and the meta structures are the master's.
#include <functional>

#include "PrepareFixture.h"

#include "prepare/Operations.h"

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
    const std::pair<const char*, std::function<Outcome()>> operations[] = {
        {"CreateMeta", [&] { return prepare::CreateMetaStructures(db, prepare::MasterBounds{}, ui); }},
        {"EraseMeta", [&] { return prepare::EraseMetaStructures(db, ui); }},
        {"AddGen", [&] { return prepare::AddKeyGenerator(db, std::string("GEN_A"), "5", ui); }},
        {"RemoveGen", [&] { return prepare::RemoveKeyGenerator(db, std::string("GEN_A"), ui); }},
        {"AddTable", [&] { return prepare::AddWorkingTable(db, std::string("A"), ui); }},
        {"RemoveTable", [&] { return prepare::RemoveWorkingTable(db, std::string("A"), ui); }},
        {"AddAllTables", [&] { return prepare::AddAllWorkingTables(db, ui); }},
        {"RemoveAllTables", [&] { return prepare::RemoveAllWorkingTables(db, ui); }},
        {"CreateTriggers", [&] { return prepare::RecreateTriggers(db, ui); }},
    };
    for (const auto& [name, operation] : operations) {
        resetUi();
        EXPECT_EQ(operation().kind(), Outcome::Kind::Refused) << name;
        EXPECT_EQ(ui.messages, Rows{kRefusal}) << name;
        EXPECT_TRUE(ui.questions.empty()) << name;
        EXPECT_EQ(snapshot(), before) << name;
    }
}

TEST_F(CloneGuardTest, TheMasterAndADatabaseWithoutStructuresArePrepared) {
    exec("delete from R$CLONE where Name = \"WEST\"");
    exec("update R$CLONE set ME = \"Y\"");
    prepare::AddAllWorkingTables(db, ui);
    EXPECT_EQ(rows("select Name from R$WORKINGTABLES order by 1"), (Rows{"A", "B"}));

    ui.confirmAnswers = {true};
    EXPECT_TRUE(prepare::EraseMetaStructures(db, ui).isDone()) << ui.lastMessage();
    resetUi();
    EXPECT_TRUE(prepare::CreateMetaStructures(db, prepare::MasterBounds{}, ui).isDone()) << ui.lastMessage();
}

}  // namespace

// The generator and working-table lists: what each button inserts or
// deletes, and how refusals are reported.
#include "PrepareFixture.h"

#include "prepare/Operations.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

class WorkingListsTest : public test::PrepareTest {
protected:
    Rows pkGens() { return rows("select GENERATORNAME, GENOFFSET from R$PKGENS order by 1"); }
    Rows working() { return rows("select NAME from R$WORKINGTABLES order by 1"); }
    Outcome addGen(const std::string& name, const std::string& offset) {
        return prepare::AddKeyGenerator(db, name, offset, ui);
    }
};

TEST_F(WorkingListsTest, GeneratorOffsetsAreCheckedAndWrittenAsTyped) {
    openMaster("CREATE GENERATOR G_ONE;\nCREATE GENERATOR G_TWO;\nCOMMIT;\n");
    createMeta();

    EXPECT_TRUE(addGen("G_ONE", prepare::kDefaultKeyOffset).isDone());
    EXPECT_TRUE(addGen("G_TWO", " 250 ").isDone());
    // Only the first 15 characters count.
    EXPECT_TRUE(addGen("R$GEN1", "  42           xyz").isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(pkGens(), (Rows{"G_ONE,100000", "G_TWO,250", "R$GEN1,42"}));

    // Not a number, or cut to a number too large: nothing inserted.
    for (const char* bad : {"12a", "1234567890123456", ""}) {
        resetUi();
        EXPECT_EQ(addGen("R$GEN2", bad).kind(), Outcome::Kind::Refused) << bad;
        EXPECT_EQ(ui.messages, Rows{"Invalid number"}) << bad;
    }
    EXPECT_EQ(pkGens().size(), 3u);

    // Listed already: the server's refusal.
    resetUi();
    EXPECT_EQ(addGen("G_TWO", "5").kind(), Outcome::Kind::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("PRIMARY"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(pkGens(), (Rows{"G_ONE,100000", "G_TWO,250", "R$GEN1,42"}));
}

TEST_F(WorkingListsTest, RemovingGeneratorsUntilTheListIsEmpty) {
    openMaster("CREATE GENERATOR G_ONE;\nCOMMIT;\n");
    createMeta();
    exec("insert into R$PKGENS values (\"G_ONE\", 1)");
    exec("insert into R$PKGENS values (\"R$TRIG\", 2)");

    EXPECT_TRUE(prepare::RemoveKeyGenerator(db, "R$TRIG", ui).isDone());
    EXPECT_EQ(pkGens(), Rows{"G_ONE,1"});
    EXPECT_TRUE(prepare::RemoveKeyGenerator(db, "G_ONE", ui).isDone());
    EXPECT_TRUE(pkGens().empty());

    // The empty list's current row.
    resetUi();
    EXPECT_EQ(prepare::RemoveKeyGenerator(db, std::nullopt, ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"List is empty!"});
    EXPECT_EQ(prepare::AddKeyGenerator(db, std::nullopt, "1", ui).message(), "List is empty!");
}

const char* kFiveTables =
    "CREATE TABLE T1 (ID INTEGER);\nCREATE TABLE T2 (ID INTEGER);\nCREATE TABLE T3 (ID INTEGER);\n"
    "CREATE TABLE T4 (ID INTEGER);\nCREATE TABLE T5 (ID INTEGER);\nCOMMIT;\n";

TEST_F(WorkingListsTest, SingleTablesInAndOut) {
    openMaster(kFiveTables);
    createMeta();

    EXPECT_TRUE(prepare::AddWorkingTable(db, "T3", ui).isDone());
    EXPECT_TRUE(prepare::AddWorkingTable(db, "T1", ui).isDone());
    EXPECT_EQ(working(), (Rows{"T1", "T3"}));

    resetUi();
    EXPECT_EQ(prepare::AddWorkingTable(db, "T1", ui).kind(), Outcome::Kind::Failed);  // listed already
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(db.inTransaction());

    resetUi();
    EXPECT_TRUE(prepare::RemoveWorkingTable(db, "T3", ui).isDone());
    EXPECT_EQ(working(), Rows{"T1"});
    EXPECT_TRUE(prepare::RemoveWorkingTable(db, "T1", ui).isDone());
    EXPECT_TRUE(working().empty());
    EXPECT_EQ(prepare::RemoveWorkingTable(db, "T1", ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"List is empty!"});
    EXPECT_EQ(prepare::AddWorkingTable(db, std::nullopt, ui).message(), "List is empty!");
}

TEST_F(WorkingListsTest, SelectAllAndRemoveAll) {
    openMaster(kFiveTables);
    createMeta();
    for (const char* t : {"T2", "T4", "T5"}) ASSERT_TRUE(prepare::AddWorkingTable(db, t, ui).isDone());
    resetUi();

    EXPECT_TRUE(prepare::AddAllWorkingTables(db, ui).isDone());
    EXPECT_EQ(working(), (Rows{"T1", "T2", "T3", "T4", "T5"}));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();

    EXPECT_TRUE(prepare::RemoveAllWorkingTables(db, ui).isDone());
    EXPECT_TRUE(working().empty());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();

    // Nothing listed: nothing to do and nothing shown.
    resetUi();
    EXPECT_TRUE(prepare::RemoveAllWorkingTables(db, ui).isDone());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WorkingListsTest, RemoveAllStepsOverANameThatCannotBeRemoved) {
    openMaster(kFiveTables + std::string("CREATE EXCEPTION KEEP_T3 'T3 stays';\nCOMMIT;\n"));
    createMeta();
    exec("create trigger KEEP for R$WORKINGTABLES before delete as begin "
         "if (old.NAME = \"T3\") then exception KEEP_T3; end");
    prepare::AddAllWorkingTables(db, ui);
    resetUi();

    EXPECT_EQ(prepare::RemoveAllWorkingTables(db, ui).kind(), Outcome::Kind::Failed);
    EXPECT_EQ(working(), Rows{"T3"});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("T3 stays"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(db.inTransaction());
}

}  // namespace

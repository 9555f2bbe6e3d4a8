// The generator and working-table lists: what each button inserts or
// deletes, and how refusals are reported.
#include "db/CurrentRow.h"
#include "PrepareFixture.h"

#include "prepare/Operations.h"
#include "prepare/WorkingTables.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

class WorkingListsTest : public test::PrepareTest {
protected:
    void moveTo(engine::Query& q, const char* column, const std::string& value) {
        for (q.first(); !q.eof(); q.next())
            if (q.fieldByName(column).asString() == value) return;
        FAIL() << value << " not in " << q.name();
    }
    Rows pkGens() { return rows("select GENERATORNAME, GENOFFSET from R$PKGENS order by 1"); }
    Rows working() { return rows("select NAME from R$WORKINGTABLES order by 1"); }
};

TEST_F(WorkingListsTest, GeneratorOffsetsComeFromTheInputBox) {
    openMaster("CREATE GENERATOR G_ONE;\nCREATE GENERATOR G_TWO;\nCOMMIT;\n");
    createMeta();

    // Cancelled box: the default offset.
    moveTo(dm.QGenerator, "RDB$GENERATOR_NAME", "G_ONE");
    prepare::AddGen(dm, ui, currentValue(dm.QGenerator, "RDB$GENERATOR_NAME"));
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "ok"}));

    moveTo(dm.QGenerator, "RDB$GENERATOR_NAME", "G_TWO");
    ui.inputAnswers.push_back(" 250 ");
    prepare::AddGen(dm, ui, currentValue(dm.QGenerator, "RDB$GENERATOR_NAME"));

    // Only the first 15 characters count.
    moveTo(dm.QGenerator, "RDB$GENERATOR_NAME", "R$GEN1");
    ui.inputAnswers.push_back("  42           xyz");
    prepare::AddGen(dm, ui, currentValue(dm.QGenerator, "RDB$GENERATOR_NAME"));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(pkGens(), (Rows{"G_ONE,100000", "G_TWO,250", "R$GEN1,42"}));
    EXPECT_EQ(dm.QPKGens.fieldByName("GENERATORNAME").asString(), "G_ONE") << "reopened on its first row";
    EXPECT_EQ(dm.QPKGens.recordCount(), 3);

    // Not a number, or cut to a number too large: nothing inserted.
    moveTo(dm.QGenerator, "RDB$GENERATOR_NAME", "R$GEN2");
    for (const char* bad : {"12a", "1234567890123456", ""}) {
        resetUi();
        ui.inputAnswers.push_back(bad);
        prepare::AddGen(dm, ui, currentValue(dm.QGenerator, "RDB$GENERATOR_NAME"));
        EXPECT_EQ(ui.messages, Rows{"Invalid number"}) << bad;
        EXPECT_EQ(ui.statusHistory.back(), "error");
    }
    EXPECT_EQ(pkGens().size(), 3u);

    // Listed already: the server's refusal.
    resetUi();
    moveTo(dm.QGenerator, "RDB$GENERATOR_NAME", "G_TWO");
    ui.inputAnswers.push_back("5");
    prepare::AddGen(dm, ui, currentValue(dm.QGenerator, "RDB$GENERATOR_NAME"));
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "error"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("PRIMARY"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(dm.UserDB().inTransaction());
    EXPECT_EQ(pkGens(), (Rows{"G_ONE,100000", "G_TWO,250", "R$GEN1,42"}));
}

TEST_F(WorkingListsTest, RemovingGeneratorsUntilTheListIsEmpty) {
    openMaster("CREATE GENERATOR G_ONE;\nCOMMIT;\n");
    createMeta();
    exec("insert into R$PKGENS values (\"G_ONE\", 1)");
    exec("insert into R$PKGENS values (\"R$TRIG\", 2)");
    dm.ReopenPKGens();

    moveTo(dm.QPKGens, "GENERATORNAME", "R$TRIG");
    prepare::RemoveGen(dm, ui, currentValue(dm.QPKGens, "GeneratorName"));
    EXPECT_EQ(pkGens(), Rows{"G_ONE,1"});
    prepare::RemoveGen(dm, ui, currentValue(dm.QPKGens, "GeneratorName"));
    EXPECT_TRUE(pkGens().empty());
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "ok", "working", "ok"}));

    resetUi();
    prepare::RemoveGen(dm, ui, currentValue(dm.QPKGens, "GeneratorName"));
    EXPECT_EQ(ui.messages, Rows{"List is empty!"});
    EXPECT_TRUE(ui.statusHistory.empty());
}

const char* kFiveTables =
    "CREATE TABLE T1 (ID INTEGER);\nCREATE TABLE T2 (ID INTEGER);\nCREATE TABLE T3 (ID INTEGER);\n"
    "CREATE TABLE T4 (ID INTEGER);\nCREATE TABLE T5 (ID INTEGER);\nCOMMIT;\n";

TEST_F(WorkingListsTest, SingleTablesInAndOut) {
    openMaster(kFiveTables);
    createMeta();

    moveTo(dm.QTables, "RDB$RELATION_NAME", "T3");
    prepare::AddTable(dm, ui, currentValue(dm.QTables, "RDB$RELATION_NAME"));
    moveTo(dm.QTables, "RDB$RELATION_NAME", "T1");
    prepare::AddTable(dm, ui, currentValue(dm.QTables, "RDB$RELATION_NAME"));
    EXPECT_EQ(working(), (Rows{"T1", "T3"}));
    EXPECT_EQ(dm.QWorkingTables.fieldByName("NAME").asString(), "T1");

    resetUi();
    prepare::AddTable(dm, ui, currentValue(dm.QTables, "RDB$RELATION_NAME"));  // T1 again
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "error"}));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(dm.UserDB().inTransaction());

    resetUi();
    moveTo(dm.QWorkingTables, "NAME", "T3");
    prepare::RemoveTable(dm, ui, currentValue(dm.QWorkingTables, "Name"));
    EXPECT_EQ(working(), Rows{"T1"});
    prepare::RemoveTable(dm, ui, currentValue(dm.QWorkingTables, "Name"));
    EXPECT_TRUE(working().empty());
    prepare::RemoveTable(dm, ui, currentValue(dm.QWorkingTables, "Name"));
    EXPECT_EQ(ui.messages, Rows{"List is empty!"});
    EXPECT_EQ(ui.statusHistory, (Rows{"working", "ok", "working", "ok"}));
}

TEST_F(WorkingListsTest, SelectAllAndRemoveAll) {
    openMaster(kFiveTables);
    createMeta();
    for (const char* t : {"T2", "T4", "T5"}) ASSERT_TRUE(prepare::AddWorkingTable(dm, ui, t).isDone());
    resetUi();

    prepare::AddAllTables(dm, ui);
    EXPECT_EQ(working(), (Rows{"T1", "T2", "T3", "T4", "T5"}));
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(ui.statusHistory.back(), "ok");

    prepare::RemoveAllTables(dm, ui);
    EXPECT_TRUE(working().empty());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();

    // Nothing listed: nothing to do and nothing shown.
    resetUi();
    prepare::RemoveAllTables(dm, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.statusHistory.empty());
}

TEST_F(WorkingListsTest, RemoveAllStepsOverANameThatCannotBeRemoved) {
    openMaster(kFiveTables + std::string("CREATE EXCEPTION KEEP_T3 'T3 stays';\nCOMMIT;\n"));
    createMeta();
    exec("create trigger KEEP for R$WORKINGTABLES before delete as begin "
         "if (old.NAME = \"T3\") then exception KEEP_T3; end");
    prepare::AddAllTables(dm, ui);
    resetUi();

    prepare::RemoveAllTables(dm, ui);
    EXPECT_EQ(working(), Rows{"T3"});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("T3 stays"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(dm.UserDB().inTransaction());
}

}  // namespace

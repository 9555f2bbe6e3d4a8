// Creating and erasing the replication objects on real databases.
#include "PrepareFixture.h"

#include "prepare/Operations.h"
#include "support/ToolObjects.h"

using namespace quorvel;
using Rows = std::vector<std::string>;

namespace {

const char* kToolRelations =
    "select rdb$relation_name from rdb$relations where rdb$relation_name starting with \"R$\" order by 1";
const char* kToolGenerators =
    "select rdb$generator_name from rdb$generators where rdb$generator_name starting with \"R$\" order by 1";
const char* kToolProcedures =
    "select rdb$procedure_name from rdb$procedures where rdb$procedure_name starting with \"R$\" order by 1";
const char* kToolTriggers =
    "select rdb$trigger_name from rdb$triggers where rdb$trigger_name starting with \"R$\" order by 1";
const char* kCodeColumns =
    "select rdb$relation_name from rdb$relation_fields where rdb$field_name starting with \"R$CODE\" "
    "and rdb$relation_name not starting with \"R$\" order by 1";

const Rows kAllTables = {"R$CAPTURED", "R$CLONE",    "R$DELETEDUPDATED", "R$EXCHANGELOG", "R$IDENTITY",
                         "R$INACTIVETRIGGERS", "R$PEERS", "R$PKGENS",  "R$SCHEMA",      "R$SETKEY",
                         "R$SETTLED",  "R$SYNCHRO",  "R$TABLEORDER",     "R$WORKINGTABLES"};

const char* kShop =
    "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10));\n"
    "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "CREATE TABLE C (ID INTEGER NOT NULL PRIMARY KEY);\n"
    "CREATE GENERATOR GEN_A;\n"
    "CREATE GENERATOR R$USERGEN;\n"
    "COMMIT;\n"
    "INSERT INTO A VALUES (1, 'one');\nINSERT INTO A VALUES (2, 'two');\nINSERT INTO A VALUES (3, 'three');\n"
    "INSERT INTO B VALUES (10);\n"
    "COMMIT;\n";

class MetaStructuresTest : public test::PrepareTest {};

TEST_F(MetaStructuresTest, CreationOnAnEmptyDatabaseAddsEveryObject) {
    openMaster();
    EXPECT_TRUE(prepare::CreateMetaStructures(db, {}, ui).isDone());

    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(rows(kToolRelations), kAllTables);
    EXPECT_EQ(rows(kToolGenerators), (Rows{"R$FILLNUMBER", "R$GEN1", "R$GEN2", "R$TRIG"}));
    EXPECT_EQ(rows("select gen_id(R$Gen1, 0), gen_id(R$Gen2, 0), gen_id(R$Trig, 0) from rdb$database"),
              Rows{"0,0,0"});
    EXPECT_EQ(rows(kToolProcedures), (Rows{"R$ACTIVETRIGGERS", "R$FILL"}));
    EXPECT_EQ(rows("select NAME, NUMBER, MAXVALUE1, MAXVALUE2, ME from R$CLONE"),
              Rows{"MASTER,0,0,2000000000,Y"});
    // Nothing to PUBLIC; R$FILL holds what it draws and reads.
    EXPECT_EQ(rows("select distinct rdb$relation_name from rdb$user_privileges "
                   "where rdb$user = \"PUBLIC\" and rdb$relation_name starting with \"R$\" order by 1"),
              Rows{});
    EXPECT_EQ(rows("select trim(rdb$relation_name) from rdb$user_privileges where rdb$user = \"R$FILL\" order by 1"),
              (Rows{"R$CLONE", "R$CODES_USED_UP", "R$GEN1", "R$GEN2", "R$IDENTITY", "R$RESTORED_FILE"}));

    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 1, 2, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(ui.progressTotal, 11);
    EXPECT_EQ(ui.steps, (Rows{"Create generator", "Create table R$CLONE", "Create table R$TABLEORDER",
                                "Create table R$INACTIVETRIGGERS", "Create table R$SYNCHRO",
                                "Create table R$PKGENS", "Create table R$DELETEDUPDATED"}));
    EXPECT_GT(ui.processEventsCalls, 10);
    // Exactly what the catalogue makes at this version, and the version recorded.
    ws.createDatabase("Fresh", test::localObjectsScript());
    engine::Database fresh("Fresh");
    test::Workspace::connect(fresh, "Fresh");
    EXPECT_EQ(test::toolCatalogue(db), test::toolCatalogue(fresh));
    EXPECT_EQ(rows("select VERSION, TRIGGERS from R$SCHEMA"), Rows{"14,0"});
    EXPECT_EQ(rows("select char_length(SETID), GENERATION from R$IDENTITY"), Rows{"36,1"}) << "a set of its own";

    // The connection was made anew: the lists it showed are closed, for the
    // window to open them again on it.
    EXPECT_TRUE(db.connected());
    EXPECT_FALSE(dm.QTables.active());
    EXPECT_FALSE(db.inTransaction());
}

TEST_F(MetaStructuresTest, BoundsMustBeIntegersAndAreWrittenAsTyped) {
    openMaster();
    EXPECT_EQ(prepare::CreateMetaStructures(db, {"0", "12a"}, ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"Invalid number"});
    EXPECT_TRUE(rows(kToolRelations).empty());
    EXPECT_TRUE(rows(kToolGenerators).empty());
    EXPECT_TRUE(db.connected());

    resetUi();
    EXPECT_TRUE(prepare::CreateMetaStructures(db, {" 5", "7 "}, ui).isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(rows("select MAXVALUE1, MAXVALUE2 from R$CLONE"), Rows{"5,7"});

    // With the tables in place a refused bound is refused all the same.
    resetUi();
    EXPECT_EQ(prepare::CreateMetaStructures(db, {"x", "7 "}, ui).kind(), Outcome::Kind::Refused);
    EXPECT_EQ(ui.messages, Rows{"Invalid number"});
}

TEST_F(MetaStructuresTest, CreationAddsOnlyWhatIsMissing) {
    // A journal table left over from an earlier attempt, no R$CLONE yet.
    openMaster(test::toolTableScript("R$DELETEDUPDATED", false, 1) + "COMMIT;\n");
    EXPECT_TRUE(prepare::CreateMetaStructures(db, {}, ui).isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(rows(kToolRelations), kAllTables);
    EXPECT_EQ(rows(kToolProcedures), (Rows{"R$ACTIVETRIGGERS", "R$FILL"}));
    EXPECT_EQ(scalar("select count(*) from R$CLONE"), 0) << "the MASTER row comes only with a new journal";
    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 1, 2, 5, 6, 7, 8, 9, 11}));

    // Running it again finds everything; only the generators are tried and
    // refused, silently.
    resetUi();
    EXPECT_TRUE(prepare::CreateMetaStructures(db, {}, ui).isDone());
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 2, 7, 8, 11}));
    EXPECT_EQ(rows(kToolGenerators), (Rows{"R$FILLNUMBER", "R$GEN1", "R$GEN2", "R$TRIG"}));
}

TEST_F(MetaStructuresTest, GeneratorsAreAllOrNothingAndARefusedObjectIsReported) {
    openMaster("CREATE GENERATOR R$GEN2;\nCOMMIT;\n");
    const Outcome outcome = prepare::CreateMetaStructures(db, {}, ui);
    EXPECT_EQ(rows(kToolGenerators), (Rows{"R$FILLNUMBER", "R$GEN2"}));
    // R$FILL needs R$GEN1: the server's refusal is shown and the creation
    // goes on to its end.
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("R$GEN1"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(rows(kToolProcedures), Rows{"R$ACTIVETRIGGERS"});
    EXPECT_EQ(rows(kToolRelations), kAllTables);
    EXPECT_TRUE(outcome.isDone());
}

TEST_F(MetaStructuresTest, ErasureRemovesEveryToolObjectAndKeepsTheUsersRows) {
    openMaster(kShop);
    createMeta();
    arm({"A", "B"});
    // Listed after the arming: it never received the record-code columns.
    ASSERT_TRUE(prepare::AddWorkingTable(db, "C", ui).isDone());
    exec("create trigger R$USER for C after insert as begin end");
    resetUi();

    ui.confirmAnswers.push_back(true);
    EXPECT_TRUE(prepare::EraseMetaStructures(db, ui).isDone());

    EXPECT_EQ(ui.questions, Rows{"Erase now?"});
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    EXPECT_TRUE(rows(kToolRelations).empty());
    EXPECT_TRUE(rows(kToolGenerators).empty()) << "R$USERGEN goes too";
    EXPECT_TRUE(rows(kToolProcedures).empty());
    EXPECT_TRUE(rows(kToolTriggers).empty());
    EXPECT_TRUE(rows(kCodeColumns).empty());
    EXPECT_EQ(rows("select ID, V from A order by ID"), (Rows{"1,one", "2,two", "3,three"}));
    EXPECT_EQ(rows("select ID from B"), Rows{"10"});
    EXPECT_EQ(rows("select rdb$generator_name from rdb$generators where rdb$system_flag = 0"), Rows{"GEN_A"});

    EXPECT_EQ(ui.progressed, (std::vector<int>{0, 4, 6, 8, 11}));
    EXPECT_EQ(ui.steps, (Rows{"drop R$ triggers", "drop R$Code1, R$Code2 from all tables", "drop R$ tables"}));
    EXPECT_FALSE(db.inTransaction());

    // The database is back where it started: the objects can be created anew.
    EXPECT_TRUE(prepare::CreateMetaStructures(db, {}, ui).isDone());
    EXPECT_EQ(rows(kToolRelations), kAllTables);
}

TEST_F(MetaStructuresTest, ErasureRemovesCodeColumnsAndIndexesOfTablesTakenOffTheList) {
    openMaster(kShop);
    createMeta();
    arm({"A", "B"});
    exec("create index R$OLD_B on B (R$CODE1, R$CODE2)");
    exec("create index IX_B_ID on B (ID)");  // the user's own stays
    ASSERT_TRUE(prepare::RemoveWorkingTable(db, "B", ui).isDone());
    resetUi();

    ui.confirmAnswers.push_back(true);
    EXPECT_TRUE(prepare::EraseMetaStructures(db, ui).isDone()) << ui.lastMessage();
    EXPECT_TRUE(rows(kCodeColumns).empty());
    EXPECT_EQ(rows("select rdb$index_name from rdb$indices where rdb$relation_name = \"B\" "
                   "and rdb$index_name not starting with \"RDB$\" order by 1"),
              Rows{"IX_B_ID"});
}

TEST_F(MetaStructuresTest, ErasureAnsweredNoChangesNothing) {
    openMaster();
    createMeta();
    // No scripted answer: No.
    EXPECT_EQ(prepare::EraseMetaStructures(db, ui).kind(), Outcome::Kind::Cancelled);
    EXPECT_EQ(ui.questions, Rows{"Erase now?"});
    EXPECT_EQ(rows(kToolRelations), kAllTables);
}

TEST_F(MetaStructuresTest, RefusedProcedureDropRollsBackAndReports) {
    openMaster(kShop);
    createMeta();
    // A user procedure that calls R$FILL keeps the server from dropping it.
    exec("create procedure USES_FILL returns (X integer) as begin select C from R$FILL(1) into ::X; suspend; end");
    ui.confirmAnswers.push_back(true);
    EXPECT_EQ(prepare::EraseMetaStructures(db, ui).kind(), Outcome::Kind::Failed);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("R$FILL"), std::string::npos) << ui.messages[0];
    EXPECT_FALSE(dm.UserDB().inTransaction());
    // Both procedure drops were one unit, and the tables were not reached.
    EXPECT_EQ(rows(kToolProcedures), (Rows{"R$ACTIVETRIGGERS", "R$FILL"}));
    EXPECT_EQ(rows(kToolRelations), kAllTables);
}

TEST_F(MetaStructuresTest, ACreationThatStopsSaysWhereAndLeavesNoProgressOnThePage) {
    openMaster();
    // As after a refused login: the window has no connection to create on.
    dm.UserDB().disconnect();
    const Outcome outcome = prepare::CreateMetaStructures(db, {}, ui);

    EXPECT_EQ(outcome.kind(), Outcome::Kind::Failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("Create add. structures stopped at \"Create table R$CLONE\": ", 0), 0u)
        << ui.messages[0];
    EXPECT_EQ(outcome.message(), ui.messages[0]);
}

TEST_F(MetaStructuresTest, RefusedBoundsAreARefusalBeforeAndAfterTheCreation) {
    openMaster();
    EXPECT_EQ(prepare::CreateMetaStructures(db, {"0", "12a"}, ui).kind(), Outcome::Kind::Refused);
    resetUi();
    createMeta();
    // With the tables in place the outcome still tells a script that nothing
    // was done.
    const Outcome outcome = prepare::CreateMetaStructures(db, {"x", "0"}, ui);
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
    EXPECT_EQ(outcome.message(), "Invalid number");
}

}  // namespace

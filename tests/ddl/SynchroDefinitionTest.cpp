// "Convert to SYNCHRO ddl" on real extracts of real masters: the script the
// server's SQL tool runs on an empty database, and the order written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EmployeeSample.h"
#include "MasterFixture.h"
#include "ddl/Operations.h"
#include "ddl/TableOrder.h"
#include "support/ToolObjects.h"

namespace quorvel::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

const char* const kShop =
    "CREATE GENERATOR GEN_T1;\n"
    "CREATE DOMAIN DNAME AS VARCHAR(30) DEFAULT 'x' NOT NULL;\n"
    "CREATE EXCEPTION EX_BAD 'it''s bad';\n"
    "CREATE TABLE T1 (ID INTEGER NOT NULL PRIMARY KEY, T3ID INTEGER, NAME DNAME,"
    " NOTE BLOB SUB_TYPE TEXT SEGMENT SIZE 80, QTY NUMERIC(15,2) CHECK (QTY >= 0),"
    " S VARCHAR(10) DEFAULT 'it''s', D DATE, F DOUBLE PRECISION);\n"
    "CREATE TABLE T2 (A CHAR(10) NOT NULL, B INTEGER NOT NULL, D DATE, PRIMARY KEY (A, B));\n"
    "CREATE TABLE T3 (ID INTEGER NOT NULL PRIMARY KEY, T2A CHAR(10), T2B INTEGER, U INTEGER UNIQUE);\n"
    "CREATE TABLE NOTWORKING (X INTEGER, T1ID INTEGER);\n"
    "CREATE TABLE LOOKUP (K INTEGER NOT NULL PRIMARY KEY);\n"
    "ALTER TABLE NOTWORKING ADD FOREIGN KEY (T1ID) REFERENCES T1 (ID);\n"
    "ALTER TABLE T1 ADD CONSTRAINT FK_T1_T3 FOREIGN KEY (T3ID) REFERENCES T3 (ID);\n"
    "ALTER TABLE T3 ADD FOREIGN KEY (T2A, T2B) REFERENCES T2 (A, B);\n"
    "CREATE INDEX IX_T1_NAME ON T1 (NAME);\n"
    "CREATE UNIQUE INDEX UX_T3 ON T3 (T2A, T2B, ID);\n"
    "CREATE DESCENDING INDEX DX_T2 ON T2 (D);\n"
    "CREATE VIEW V1 (ID, NAME) AS SELECT ID, NAME FROM T1;\n"
    "SET TERM ^ ;\n"
    "CREATE TRIGGER TR_T1 FOR T1 BEFORE INSERT AS BEGIN NEW.ID = GEN_ID(GEN_T1, 1); END ^\n"
    "SET TERM ; ^\n";

std::string readFile(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// isql's output without its warnings (dialect 1 warns about every DATE).
std::string failuresOf(const std::string& isqlOutput) {
    std::istringstream lines(isqlOutput);
    std::string failures;
    for (std::string line; std::getline(lines, line);)
        if (line.find("SQL warning code") == std::string::npos && line.find("data type is now called") == std::string::npos)
            failures += line + "\n";
    return failures;
}

class SynchroDefinition : public MasterFixture {};

TEST_F(SynchroDefinition, TheScriptMakesExactlyTheWorkingTablesAndTheOrderIsRewritten) {
    // The record-code index on every working table, as the triggers'
    // preparation makes it: the extract holds it after the tables.
    std::string extract = prepareMaster(kShop, {"T1", "T2", "T3"},
                                        "CREATE INDEX R$IX_T1 ON T1 (R$CODE1, R$CODE2);\n"
                                        "CREATE INDEX R$IX_T2 ON T2 (R$CODE1, R$CODE2);\n"
                                        "CREATE INDEX R$IX_T3 ON T3 (R$CODE1, R$CODE2);\n"
                                        "INSERT INTO R$TABLEORDER VALUES (1, 'STALE');\n"
                                        "INSERT INTO R$TABLEORDER VALUES (7, 'T1');\n");
    // The server's extract commits before the tables and again before the
    // foreign keys, as the conversion and the ordering must cope with.
    std::string text = readFile(extract);
    ASSERT_LT(text.find("COMMIT WORK;"), text.find("CREATE TABLE"));
    ASSERT_LT(text.find("COMMIT WORK;", text.find("CREATE TABLE")), text.find("FOREIGN KEY"));
    ASSERT_NE(text.find("CREATE INDEX R$IX_T1 ON T1 (R$CODE1, R$CODE2);"), std::string::npos) << text;

    std::string target = ws.path("synchro.ddl");
    convert(extract, target);
    EXPECT_TRUE(outcome.isDone());
    EXPECT_TRUE(outcome.isDone()) << outcome.message();
    EXPECT_TRUE(ui.messages.empty()) << ui.lastMessage();
    ASSERT_FALSE(ui.steps.empty());
    EXPECT_NE(ui.steps.back().find(target), std::string::npos) << "the step names the target";
    EXPECT_EQ(readFile(target).find("R$IX_"), std::string::npos);

    dm.UserDB().disconnect();  // the embedded engine lets one process at a time open a file
    std::string synchro = ws.createDatabase("SYNCHRO");
    EXPECT_EQ(failuresOf(runScriptFile(synchro, target)), "");

    Names masterTables = describeTables(master);
    Names expected;
    for (const std::string& t : masterTables)
        if (t.rfind("T1:", 0) == 0 || t.rfind("T2:", 0) == 0 || t.rfind("T3:", 0) == 0) expected.push_back(t);
    ASSERT_EQ(expected.size(), 3u);
    for (const std::string& t : masterTables)
        if (t.rfind("R$SYNCHRO:", 0) == 0) expected.push_back(t);
    // The synchro database's own tables: its journal, who filled it and whose fills the filler had read.
    expected.push_back("R$DELETEDUPDATED: R$CODE1 8 4 0 0 1; R$CODE2 8 4 0 0 1; OPERATION 14 1 0 0 1; "
                       "TABLENAME 14 31 0 0 0; ORIGIN 8 4 0 0 0; FIRSTFILL 8 4 0 0 0; SEEN 8 4 0 0 0;");
    expected.push_back("R$SENDER: SITENAME 14 31 0 0 0; SITENUMBER 8 4 0 0 0; FILLNUMBER 8 4 0 0 0; FILLDATE 35 8 0 0 0; "
                       "FORMAT 8 4 0 0 0; SETID 14 36 0 0 0; GENERATION 8 4 0 0 0;");
    expected.push_back("R$ACKNOWLEDGED: SITENUMBER 8 4 0 0 1; SITENAME 14 31 0 0 0; FILLNUMBER 8 4 0 0 0;");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(describeTables(synchro), expected);

    EXPECT_EQ(tableOrder(master), (Names{"T2", "T3", "T1"}));
}

TEST_F(SynchroDefinition, ReferencesInACycleAreWrittenAsReachedAndNamed) {
    std::string extract = prepareMaster(
        "CREATE TABLE A (ID INTEGER NOT NULL PRIMARY KEY, B_ID INTEGER);\n"
        "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER);\n"
        "CREATE TABLE C (ID INTEGER NOT NULL PRIMARY KEY, A_ID INTEGER);\n"
        "ALTER TABLE A ADD FOREIGN KEY (B_ID) REFERENCES B (ID);\n"
        "ALTER TABLE B ADD FOREIGN KEY (A_ID) REFERENCES A (ID);\n"
        "ALTER TABLE C ADD FOREIGN KEY (A_ID) REFERENCES A (ID);\n",
        {"A", "B", "C"});
    convert(extract, ws.path("synchro.ddl"));
    EXPECT_TRUE(outcome.isDone()) << outcome.message();
    EXPECT_TRUE(outcome.isDone()) << outcome.message();
    EXPECT_EQ(ui.messages, (Names{ddl::CycleMessage({"A", "B"})}));
    dm.UserDB().disconnect();
    Names order = tableOrder(master);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order.back(), "C") << "C references A and comes after both tables of the cycle";
}

TEST_F(SynchroDefinition, AMasterWithoutWorkingTableListFailsBeforeWritingAnything) {
    master = ws.createDatabase("MASTER", "CREATE TABLE T1 (ID INTEGER);\nCOMMIT;");
    std::string extract = ws.path("master.ddl");
    extractMetadata(master, extract);
    Workspace::connect(dm.UserDB(), "MASTER");

    std::string target = ws.path("synchro.ddl");
    convert(extract, target);
    EXPECT_FALSE(outcome.isDone());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.lastMessage().find("R$WORKINGTABLES"), std::string::npos) << ui.lastMessage();
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(SynchroDefinition, AFailedOrderKeepsThePreviousOrder) {
    // A TABLENAME column too short for the names: the inserts fail.
    master = ws.createDatabase(
        "MASTER", "CREATE TABLE LONGNAME1 (ID INTEGER);\nCREATE TABLE LONGNAME2 (ID INTEGER);\n"
                  "CREATE TABLE R$TABLEORDER (NUMBER INTEGER NOT NULL PRIMARY KEY, TABLENAME CHAR(4));\n"
                  + toolTableScript("R$WORKINGTABLES") +
                  "INSERT INTO R$WORKINGTABLES VALUES ('LONGNAME1');\n"
                  "INSERT INTO R$TABLEORDER VALUES (1, 'OLD');\nCOMMIT;");
    std::string extract = ws.path("master.ddl");
    extractMetadata(master, extract);
    Workspace::connect(dm.UserDB(), "MASTER");

    std::string target = ws.path("synchro.ddl");
    convert(extract, target);
    EXPECT_FALSE(outcome.isDone());
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(dm.UserDB().inTransaction());
    dm.UserDB().disconnect();
    EXPECT_EQ(tableOrder(master), (Names{"OLD"}));
    // The script itself was complete and stays.
    EXPECT_NE(readFile(target).find("CREATE\r\nTABLE\r\nLONGNAME1\r\n"), std::string::npos);
}

TEST_F(SynchroDefinition, TheEmployeeSampleConvertsWithAWarningAboutItsCycle) {
    std::vector<std::string> tables(std::begin(kEmployeeTables), std::end(kEmployeeTables));
    std::string extract = prepareMaster(kEmployeeSchema, tables);
    std::string target = ws.path("synchro.ddl");
    convert(extract, target);
    EXPECT_TRUE(outcome.isDone()) << outcome.message();
    EXPECT_TRUE(outcome.isDone()) << outcome.message();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage(), ddl::CycleMessage({"DEPARTMENT", "EMPLOYEE"}));
    EXPECT_EQ(ui.lastMessage().rfind("Warning: the tables DEPARTMENT, EMPLOYEE reference each other", 0), 0u);

    dm.UserDB().disconnect();
    std::string synchro = ws.createDatabase("SYNCHRO");
    EXPECT_EQ(failuresOf(runScriptFile(synchro, target)), "");
    EXPECT_EQ(describeTables(synchro).size(), tables.size() + 4);  // and the four service tables

    // Every reference outside the cycle puts the referenced table first.
    Names order = tableOrder(master);
    ASSERT_EQ(order.size(), tables.size());
    auto before = [&order](const char* parent, const char* child) {
        return std::find(order.begin(), order.end(), parent) < std::find(order.begin(), order.end(), child);
    };
    for (auto [parent, child] : std::vector<std::pair<const char*, const char*>>{
             {"COUNTRY", "CUSTOMER"}, {"COUNTRY", "JOB"}, {"JOB", "EMPLOYEE"}, {"EMPLOYEE", "PROJECT"},
             {"EMPLOYEE", "EMPLOYEE_PROJECT"}, {"PROJECT", "EMPLOYEE_PROJECT"}, {"DEPARTMENT", "PROJ_DEPT_BUDGET"},
             {"PROJECT", "PROJ_DEPT_BUDGET"}, {"EMPLOYEE", "SALARY_HISTORY"}, {"CUSTOMER", "SALES"},
             {"EMPLOYEE", "SALES"}})
        EXPECT_TRUE(before(parent, child)) << parent << " before " << child;
}

TEST_F(SynchroDefinition, AnExtractWithoutAnyWorkingTableIsRefusedAndChangesNothing) {
    std::string extract = prepareMaster(kShop, {"T1", "T2", "T3"}, "INSERT INTO R$TABLEORDER VALUES (4, 'T3');\n");
    std::string target = ws.path("synchro.ddl");
    const std::string previous = "CREATE TABLE KEPT (A INTEGER);\r\n";
    std::ofstream(target, std::ios::binary) << previous;

    std::ofstream(ws.path("empty.ddl"));
    std::ofstream(ws.path("failed.ddl")) << "Statement failed, SQLSTATE = 08001\n"
                                            "I/O error during \"open\" operation for file \"/srv/shop.fdb\"\n";
    std::ofstream(ws.path("other.ddl")) << "SET SQL DIALECT 1;\nCOMMIT WORK;\n"
                                           "CREATE TABLE INVOICE (ID INTEGER NOT NULL, PRIMARY KEY (ID));\n"
                                           "COMMIT WORK;\n";
    for (const char* source : {"empty.ddl", "failed.ddl", "other.ddl"}) {
        convert(ws.path(source), target);
        EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused) << source;
        EXPECT_FALSE(outcome.isDone()) << source;
        EXPECT_EQ(ui.lastMessage(), outcome.message());
        EXPECT_EQ(outcome.message(), "The file \"" + ws.path(source) +
                                         "\" defines none of the working tables (T1, T2, T3): it is not a metadata "
                                         "extract of this database, or the extraction failed. Nothing was written "
                                         "and the table order is unchanged.");
        EXPECT_EQ(readFile(target), previous) << source;
    }
    EXPECT_EQ(ui.messages.size(), 3u);
    dm.UserDB().disconnect();
    EXPECT_EQ(tableOrder(master), (Names{"T3"}));

    // Without any working table chosen, no extract can hold one.
    Workspace::runIsql(master, "DELETE FROM R$WORKINGTABLES;\nCOMMIT;\n");
    Workspace::connect(dm.UserDB(), "MASTER");
    convert(extract, target);
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
    EXPECT_EQ(outcome.message().rfind("No working tables are chosen on this database", 0), 0u) << outcome.message();
    EXPECT_EQ(readFile(target), previous);
}

TEST_F(SynchroDefinition, UnusableFileNamesAreRefusedBeforeAnythingChanges) {
    std::string extract = prepareMaster(kShop, {"T1"}, "INSERT INTO R$TABLEORDER VALUES (4, 'T1');\n");

    // No source chosen: the front end passes an empty name.
    convert("", ws.path("a.txt"));
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
    EXPECT_FALSE(outcome.isDone());
    EXPECT_NE(ui.lastMessage().find("Cannot open file"), std::string::npos) << ui.lastMessage();
    EXPECT_FALSE(fs::exists(ws.path("a.txt")));

    convert(ws.path("missing.ddl"), ws.path("b.txt"));
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
    EXPECT_NE(ui.lastMessage().find(ws.path("missing.ddl")), std::string::npos) << ui.lastMessage();
    EXPECT_FALSE(fs::exists(ws.path("b.txt")));

    // A folder as the target: refused before anything is written (the other
    // kinds of file are refused alike; see the file tests).
    fs::create_directory(ws.path("folder"));
    convert(extract, ws.path("folder"));
    EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
    EXPECT_NE(ui.lastMessage().find("It is a directory, not a regular file."), std::string::npos) << ui.lastMessage();
    EXPECT_TRUE(fs::is_directory(ws.path("folder")));

    EXPECT_EQ(ui.messages.size(), 3u);
    ASSERT_FALSE(ui.steps.empty());
    EXPECT_NE(ui.steps.back().find(ws.path("folder")), std::string::npos) << "the step names the target";
    dm.UserDB().disconnect();
    EXPECT_EQ(tableOrder(master), (Names{"T1"}));
}

TEST_F(SynchroDefinition, AnExtractOfTheOtherDialectIsRefusedNamingBothAndChangesNothing) {
    const struct {
        int master;
        int extract;
    } cases[] = {{1, 3}, {3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE("master dialect " + std::to_string(c.master));
        if (dm.UserDB().connected()) dm.UserDB().disconnect();
        std::string extract =
            prepareMaster(kShop, {"T1"}, "INSERT INTO R$TABLEORDER VALUES (4, 'T1');\n", c.master);
        std::string text = readFile(extract);
        const std::string own = "SET SQL DIALECT " + std::to_string(c.master) + ";";
        ASSERT_EQ(text.find(own), text.find("SET SQL DIALECT")) << text;
        text.replace(text.find(own), own.size(), "SET SQL DIALECT " + std::to_string(c.extract) + ";");
        std::ofstream(extract, std::ios::binary | std::ios::trunc) << text;

        std::string target = ws.path("synchro.ddl");
        fs::remove(target);
        convert(extract, target);
        EXPECT_EQ(outcome.kind(), Outcome::Kind::Refused);
        EXPECT_EQ(outcome.message(), "The file \"" + extract + "\" is an extract of a dialect " +
                                         std::to_string(c.extract) + " database (SET SQL DIALECT " +
                                         std::to_string(c.extract) + "), but the master is a dialect " +
                                         std::to_string(c.master) +
                                         " database. Extract the master's own metadata and convert that. "
                                         "Nothing was written and the table order is unchanged.");
        EXPECT_FALSE(fs::exists(target));
        dm.UserDB().disconnect();
        EXPECT_EQ(tableOrder(master), (Names{"T1"}));
    }
}

}  // namespace
}  // namespace quorvel::test

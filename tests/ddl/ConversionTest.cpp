// The synchro definition script written from extract texts: what is copied,
// what is left out, where the copy ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "ddl/ExtractDialect.h"
#include "ddl/SynchroDdl.h"

namespace quorvel::test {
namespace {

using namespace ddl;
namespace fs = std::filesystem;

std::string convert(const std::string& text, std::set<std::string> working = {}) {
    TMyStream s;
    s.LoadFromString(text);
    return ConvertText(s, [&working](std::string_view n) { return working.count(std::string(n)) != 0; });
}

// The lines of a script, without its CR LF endings and without the
// closing lines, which are checked once on their own.
std::vector<std::string> body(const std::string& script) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < script.size()) {
        size_t end = script.find("\r\n", pos);
        if (end == std::string::npos) throw std::runtime_error("line without CR LF");
        lines.push_back(script.substr(pos, end - pos));
        pos = end + 2;
    }
    const std::vector<std::string> closing = SynchroTail();
    const size_t tail = closing.size();
    if (lines.size() < tail) throw std::runtime_error("no closing lines");
    for (size_t i = 0; i < tail; ++i)
        if (lines[lines.size() - tail + i] != closing[i]) throw std::runtime_error("closing lines differ");
    lines.resize(lines.size() - tail);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(Conversion, ClosingLinesAreTheServiceTablesAndACommit) {
    EXPECT_EQ(convert(""),
              "CREATE TABLE R$DELETEDUPDATED (R$CODE1 INTEGER NOT NULL, R$CODE2 INTEGER NOT NULL, OPERATION CHAR(1) "
              "NOT NULL, TABLENAME CHAR(31), ORIGIN INTEGER, FIRSTFILL INTEGER, SEEN INTEGER, "
              "PRIMARY KEY (R$CODE1, R$CODE2, OPERATION));\r\n"
              "CREATE TABLE R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL, SYNCHRODATE DATE, R$CODE1 INTEGER, "
              "R$CODE2 INTEGER, PRIMARY KEY (SYNCHRONUMBER));\r\n"
              "CREATE TABLE R$SENDER (SITENAME CHAR(31), SITENUMBER INTEGER, FILLNUMBER INTEGER, FILLDATE DATE, "
              "FORMAT INTEGER, SETID CHAR(36), GENERATION INTEGER);\r\n"
              "CREATE TABLE R$ACKNOWLEDGED (SITENUMBER INTEGER NOT NULL, SITENAME CHAR(31), FILLNUMBER INTEGER, "
              "PRIMARY KEY (SITENUMBER));\r\n"
              "COMMIT WORK;\r\n");
}

TEST(Conversion, AnExtractKeepsWorkingTablesAndStopsAtTheCommitAfterThem) {
    const std::string extract =
        "SET SQL DIALECT 1;\n"
        "/* CREATE DATABASE 'm.fdb' */\n"
        "CREATE GENERATOR GEN_CUST;\n"
        "CREATE DOMAIN DNAME AS VARCHAR(30) DEFAULT 'it''s' NOT NULL;\n"
        "COMMIT WORK;\n"
        "/* Table: CUSTOMER */\n"
        "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL, PRIMARY KEY (ID));\n"
        "/* Table: ORDERS */\n"
        "CREATE TABLE ORDERS (ID INTEGER);\n"
        "/* Table: PROD */\n"
        "CREATE TABLE PROD (CODE CHAR(10));\n"
        "COMMIT WORK;\n"
        "CREATE INDEX IX ON CUSTOMER (ID);\n"
        "ALTER TABLE ORDERS ADD FOREIGN KEY (CUST) REFERENCES CUSTOMER (ID);\n";
    EXPECT_EQ(body(convert(extract, {"CUSTOMER", "PROD"})),
              (Lines{"SET", "SQL", "DIALECT", "1", ";", "",                         //
                     "CREATE", "GENERATOR", "GEN_CUST", ";",                        //
                     "CREATE", "DOMAIN", "DNAME", "AS", "VARCHAR", "(", "30", ")", "DEFAULT", "'it''s'", "NOT",
                     "NULL", ";",                                                    //
                     "COMMIT", "WORK", ";", "",                                      // the commit before the tables
                     "CREATE", "TABLE", "CUSTOMER", "(", "ID", "INTEGER", "NOT", "NULL", ",", "PRIMARY", "KEY", "(",
                     "ID", ")", ")", ";", "",  // the comment before ORDERS belongs to CUSTOMER
                     // ORDERS is left out, with the comment before PROD that follows it
                     "CREATE", "TABLE", "PROD", "(", "CODE", "CHAR", "(", "10", ")", ")", ";"}));
}

TEST(Conversion, AlterEndsTheCopyWherever) {
    EXPECT_EQ(body(convert("CREATE GENERATOR G; ALTER x; CREATE TABLE T (A INTEGER);", {"T"})),
              (Lines{"CREATE", "GENERATOR", "G", ";"}));
    EXPECT_EQ(body(convert("ALTER TABLE T ADD X INTEGER;", {"T"})), Lines{});
    // Only the keyword in upper case steers.
    EXPECT_EQ(body(convert("CREATE TABLE T (A INTEGER); alter Alter;", {"T"})),
              (Lines{"CREATE", "TABLE", "T", "(", "A", "INTEGER", ")", ";", "alter", "Alter", ";"}));
}

TEST(Conversion, CommitEndsTheCopyOnlyAfterATableDefinition) {
    EXPECT_EQ(body(convert("COMMIT WORK; CREATE TABLE T (A INTEGER); COMMIT WORK; CREATE TABLE U (B INTEGER);",
                           {"T", "U"})),
              (Lines{"COMMIT", "WORK", ";", "CREATE", "TABLE", "T", "(", "A", "INTEGER", ")", ";"}));
    // A table that is not a working table counts as read too.
    EXPECT_EQ(body(convert("CREATE TABLE X (A INTEGER); COMMIT; CREATE TABLE T (A INTEGER);", {"T"})), Lines{});
}

TEST(Conversion, WithoutAlterOrCommitTheCopyEndsAtTheEndOfTheText) {
    EXPECT_EQ(body(convert("CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS SELECT A FROM T", {"T"})),
              (Lines{"CREATE", "TABLE", "T", "(", "A", "INTEGER", ")", ";", "CREATE", "VIEW", "V", "AS", "SELECT",
                     "A", "FROM", "T"}));
    EXPECT_EQ(body(convert("CREATE")), (Lines{"CREATE"}));
    EXPECT_EQ(body(convert("CREATE TABLE")), Lines{});
}

TEST(Conversion, IndexesAreAlwaysLeftOutAndOtherCreatesAlwaysCopied) {
    EXPECT_EQ(body(convert("CREATE TABLE T (A INTEGER);\n"
                           "CREATE INDEX I1 ON T (A);\n"
                           "CREATE UNIQUE INDEX I2 ON T (A);\n"
                           "CREATE DESCENDING INDEX I3 ON T (A);\n",
                           {"T"})),
              (Lines{"CREATE", "TABLE", "T", "(", "A", "INTEGER", ")", ";",  //
                     "CREATE", "DESCENDING", "INDEX", "I3", "ON", "T", "(", "A", ")", ";"}));
    // A dropped statement drops what follows it up to the next CREATE.
    EXPECT_EQ(body(convert("CREATE TABLE X (A INTEGER); GRANT ALL ON X TO PUBLIC; CREATE DOMAIN D AS INTEGER;")),
              (Lines{"CREATE", "DOMAIN", "D", "AS", "INTEGER", ";"}));
}

TEST(Conversion, LowerCaseCreateTableFollowsTheStatementBefore) {
    EXPECT_EQ(body(convert("CREATE TABLE X (A INTEGER); create table T (B INTEGER);", {"T"})), Lines{});
    EXPECT_EQ(body(convert("CREATE TABLE T (A INTEGER); create table X (B INTEGER);", {"T"})),
              (Lines{"CREATE", "TABLE", "T", "(", "A", "INTEGER", ")", ";", "create", "table", "X", "(", "B",
                     "INTEGER", ")", ";"}));
}

TEST(Conversion, TheNameIsTestedExactlyAsWritten) {
    std::vector<std::string> asked;
    TMyStream s;
    s.LoadFromString("CREATE TABLE \"Mixed Name\" (A INTEGER); CREATE TABLE cust (A INTEGER);");
    std::string script = ConvertText(s, [&asked](std::string_view n) {
        asked.emplace_back(n);
        return false;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"\"Mixed Name\"", "cust"}));
    EXPECT_EQ(body(script), Lines{});
}

TEST(Conversion, TheExtractsDialectIsReadFromItsOpeningStatement) {
    const struct {
        const char* text;
        std::optional<int> dialect;
    } cases[] = {
        {"SET SQL DIALECT 3; \n/* CREATE DATABASE 'm.fdb' */\nCREATE TABLE T (A INTEGER);", 3},
        {"/* x */ set sql /* y */ dialect 1;", 1},
        {"SET SQL DIALECT;", std::nullopt},
        {"CREATE TABLE T (A INTEGER); SET SQL DIALECT 3;", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        TMyStream s;
        s.LoadFromString(c.text);
        EXPECT_EQ(ExtractDialect(s), c.dialect) << c.text;
    }
}

class ConversionFiles : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("quorvel-ddl-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
    static std::string read(const fs::path& file) {
        std::ifstream f(file, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
};

auto none = [](std::string_view) { return false; };

TEST_F(ConversionFiles, WritesTheScriptAndOverwritesAnOldOne) {
    std::string source = write("master.ddl", "CREATE TABLE T (A INTEGER);");
    std::string target = write("synchro.ddl", std::string(100000, 'x'));
    ConvertDDL(source, target, [](std::string_view n) { return n == "T"; });
    EXPECT_EQ(read(target), convert("CREATE TABLE T (A INTEGER);", {"T"}));
}

TEST_F(ConversionFiles, AMissingSourceFailsBeforeTheTargetIsTouched) {
    std::string target = write("synchro.ddl", "old");
    EXPECT_THROW(ConvertDDL((dir / "missing.ddl").string(), target, none), FileError);
    EXPECT_THROW(ConvertDDL("", target, none), FileError);
    EXPECT_EQ(read(target), "old");
}

TEST_F(ConversionFiles, AFailingTableTestLeavesNoHalfWrittenTarget) {
    std::string source = write("master.ddl", "CREATE GENERATOR G; CREATE TABLE T (A INTEGER);");
    fs::path target = dir / "new.ddl";
    EXPECT_THROW(ConvertDDL(source, target.string(), [](std::string_view) -> bool {
                     throw std::runtime_error("connection lost");
                 }),
                 std::runtime_error);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ConversionFiles, AnUnwritableTargetFailsWithItsName) {
    std::string source = write("master.ddl", "CREATE TABLE T (A INTEGER);");
    std::string target = (dir / "no-such-folder" / "synchro.ddl").string();
    try {
        ConvertDDL(source, target, none);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace quorvel::test

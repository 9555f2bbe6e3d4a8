#include "ddl/SynchroDdl.h"

#include "ddl/IbLex.h"
#include "ddl/TargetFile.h"

namespace quorvel::ddl {

const char* const kSynchroTail[kSynchroTailLines] = {
    "CREATE TABLE R$DELETEDUPDATED (",
    "R$CODE1 INTEGER NOT NULL, R$CODE2 INTEGER NOT NULL,",
    "OPERATION CHAR(1) NOT NULL,",
    "TABLENAME CHAR(31),",
    // Where the change was made, the first fill that carried it, and what
    // its site had seen of the master's fills when it was made.
    "ORIGIN INTEGER, FIRSTFILL INTEGER, SEEN INTEGER,",
    "PRIMARY KEY (R$CODE1, R$CODE2, OPERATION));",
    "CREATE TABLE R$SYNCHRO (SYNCHRONUMBER INTEGER NOT NULL PRIMARY KEY, SYNCHRODATE DATE, R$CODE1 INTEGER, "
    "R$CODE2 INTEGER);",
    // Who filled the synchro database: one row, written by every fill.
    "CREATE TABLE R$SENDER (SITENAME CHAR(31), SITENUMBER INTEGER, FILLNUMBER INTEGER, FILLDATE DATE);",
    // For each site the filler reads from, the number of its last fill read.
    "CREATE TABLE R$ACKNOWLEDGED (SITENUMBER INTEGER NOT NULL PRIMARY KEY, SITENAME CHAR(31), FILLNUMBER INTEGER);",
    "COMMIT WORK;",
};

std::string ConvertText(const TMyStream& source, const WorkingTableTest& isWorkingTable,
                        const std::string& defaultCharset) {
    std::string out;
    out.reserve(source.Size() + source.Size() / 4 + 512);
    auto writeLine = [&out](std::string_view line) {
        out.append(line);
        out.append("\r\n");
    };
    // isql-fb -x leaves the default character set inside a comment, so a
    // synchro database would be made in NONE and every text would be
    // measured in bytes instead of characters.
    if (!defaultCharset.empty() && defaultCharset != "NONE")
        writeLine("ALTER DATABASE SET DEFAULT CHARACTER SET " + defaultCharset + ";");

    TLex lex(source);
    bool dropping = false;
    bool tableRead = false;
    for (;;) {
        TTokenKind k = lex.NextToken();
        if (k == tkEnd) break;
        if (k == tkKeyword && lex.TokenText() == "CREATE") {
            std::string_view create = lex.TokenText();
            k = lex.NextToken();
            if (k != tkEnd && lex.TokenText() == "TABLE") {
                std::string_view table = lex.TokenText();
                tableRead = true;
                k = lex.NextToken();
                if (k == tkEnd) break;  // "CREATE TABLE" names nothing at the very end
                dropping = !isWorkingTable(lex.TokenText());
                if (!dropping) {
                    writeLine(create);
                    writeLine(table);
                }
            } else if (k != tkEnd && (lex.TokenText() == "INDEX" || lex.TokenText() == "UNIQUE")) {
                dropping = true;
            } else {
                dropping = false;
                writeLine(create);
            }
        }
        // The token read last decides whether the copy stops here.
        if (k == tkEnd) break;
        if (k == tkKeyword &&
            (lex.TokenText() == "ALTER" || (tableRead && lex.TokenText() == "COMMIT")))
            break;
        if (!dropping) writeLine(lex.TokenText());
    }
    for (const char* line : kSynchroTail) writeLine(line);
    return out;
}

void ConvertDDL(const std::string& sourceFileName, const std::string& targetFileName,
                const WorkingTableTest& isWorkingTable, const std::string& defaultCharset) {
    TMyStream source;
    source.StartPos = 0;
    source.LoadFromFile(sourceFileName);
    // The whole script is made before the target is opened, so an error in
    // between (a failing working-table test) leaves no half-written file.
    std::string script = ConvertText(source, isWorkingTable, defaultCharset);
    WriteWholeFile(targetFileName, script);
}

}  // namespace quorvel::ddl

#include "ddl/SynchroDdl.h"

#include "ddl/IbLex.h"
#include "ddl/TargetFile.h"
#include "replica/Catalogue.h"

namespace quorvel::ddl {

std::vector<std::string> SynchroTail() { return replica::catalogue::synchroScript(); }

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
    for (const std::string& line : SynchroTail()) writeLine(line);
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

#pragma once
// The synchro definition script written from the master's extracted metadata:
// the statements that concern working tables, one token per line, then the
// definitions of the service tables of the synchro database.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ddl/MStream.h"
#include "ddl/TargetFile.h"

namespace quorvel::ddl {

// Whether a name written after CREATE TABLE, exactly as written, is a
// working table.
using WorkingTableTest = std::function<bool(std::string_view name)>;

// The lines that close every script, each followed by CR LF: the synchro
// database's own tables, one statement a line, and a commit.
std::vector<std::string> SynchroTail();

// Copies the tokens of `source` one per line (CR LF), leaving out the
// definitions of tables that are not working tables and every CREATE INDEX or
// CREATE UNIQUE statement, up to the first ALTER, or the first COMMIT once a
// CREATE TABLE has been read (the extract commits before its tables too), or
// the end of the text; then appends the closing lines. A `defaultCharset`
// other than "" and NONE (the master's) is set by a first statement.
std::string ConvertText(const TMyStream& source, const WorkingTableTest& isWorkingTable,
                        const std::string& defaultCharset = "");

// ConvertText from the file `sourceFileName` into `targetFileName` (created
// or replaced with WriteWholeFile). The source is loaded before the target
// is touched; a target that cannot be written whole is left as it was.
// Throws FileError.
void ConvertDDL(const std::string& sourceFileName, const std::string& targetFileName,
                const WorkingTableTest& isWorkingTable, const std::string& defaultCharset = "");

}  // namespace quorvel::ddl

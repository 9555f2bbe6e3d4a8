#include "ddl/ConvertAndOrder.h"

#include "ddl/MakeTableOrder.h"
#include "ddl/MStream.h"
#include "ddl/SynchroDdl.h"
#include "ddl/WorkingTableNames.h"

namespace quorvel::ddl {

TableOrder ConvertDdlAndOrder(DM& dm, const std::string& sourceFileName,
                              const std::string& targetFileName) {
    TMyStream source;
    source.StartPos = 0;
    source.LoadFromFile(sourceFileName);  // before the target is touched

    const WorkingTableNames working = WorkingTableNames::Read(dm);
    WriteWholeFile(targetFileName, ConvertText(source, [&working](std::string_view name) {
                       return working.contains(name);
                   }));
    // The ordering reads the same text again with a lexer of its own.
    return MakeTableOrder(dm, source);
}

}  // namespace quorvel::ddl

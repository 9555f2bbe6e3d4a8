#pragma once
// The whole work of "Convert to SYNCHRO ddl", without a window: the
// operation behind the button and the command-line tool run it.
#include <stdexcept>
#include <string>

#include "engine/Database.h"
#include "ddl/TableOrder.h"

#include "operation/Refused.h"

namespace quorvel::ddl {

// The conversion stopped before it wrote or changed anything, for a reason
// the operator can mend: a file name that cannot be used, an extract of
// another dialect than the master's, a master without working tables, an
// extract that defines none of them.
class ConversionRefused : public quorvel::Refused {
public:
    using quorvel::Refused::Refused;
};

// The extract and the script as texts in hand rather than files (a pipe on
// the command line): `sourceText`, when set, is the extract, named in the
// messages by the source name; `script`, when set, receives the script and
// no target file is written.
struct DdlTexts {
    const std::string* sourceText = nullptr;
    std::string* script = nullptr;
};

// Writes the synchro definition script from the extract `sourceFileName` into
// `targetFileName`, asking the master for its working tables, then
// rewrites the master's R$TABLEORDER from the extract's references. Throws
// ConversionRefused (nothing touched), FileError (the script could not be
// written; what stood at the target stays) or the database error.
// The result's cycleTables is not empty when references form a cycle (the
// order reached was written; tell the operator with CycleMessage).
TableOrder ConvertDdlAndOrder(engine::Database& master, const std::string& sourceFileName,
                              const std::string& targetFileName, DdlTexts texts = {});

}  // namespace quorvel::ddl

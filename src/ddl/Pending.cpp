// Placeholder until this operation is written: it reports that plainly.
#include "ddl/Operations.h"

namespace quorvel::ddl {

void ReadDdl(DM&, Frontend& ui) { ui.showMessage("Not available yet: ReadDdl"); }
void ConvertDdl(DM&, Frontend& ui) { ui.showMessage("Not available yet: ConvertDdl"); }

}  // namespace quorvel::ddl

// Placeholder until this operation is written: it reports that plainly.
#include "prepare/Operations.h"

namespace quorvel::prepare {

void CreateMeta(DM&, Frontend& ui) { ui.showMessage("Not available yet: CreateMeta"); }
void EraseMeta(DM&, Frontend& ui) { ui.showMessage("Not available yet: EraseMeta"); }
void AddGen(DM&, Frontend& ui) { ui.showMessage("Not available yet: AddGen"); }
void RemoveGen(DM&, Frontend& ui) { ui.showMessage("Not available yet: RemoveGen"); }
void AddTable(DM&, Frontend& ui) { ui.showMessage("Not available yet: AddTable"); }
void RemoveTable(DM&, Frontend& ui) { ui.showMessage("Not available yet: RemoveTable"); }
void AddAllTables(DM&, Frontend& ui) { ui.showMessage("Not available yet: AddAllTables"); }
void RemoveAllTables(DM&, Frontend& ui) { ui.showMessage("Not available yet: RemoveAllTables"); }
void CreateTriggers(DM&, Frontend& ui) { ui.showMessage("Not available yet: CreateTriggers"); }
void InactiveTriggers(DM&, Frontend& ui) { ui.showMessage("Not available yet: InactiveTriggers"); }
void ActiveTriggers(DM&, Frontend& ui) { ui.showMessage("Not available yet: ActiveTriggers"); }

}  // namespace quorvel::prepare

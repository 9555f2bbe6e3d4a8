// Placeholder until this operation is written: it reports that plainly.
#include "synchro/Operations.h"

namespace quorvel::synchro {

void FillSynchro(DM&, Frontend& ui) { ui.showMessage("Not available yet: FillSynchro"); }
void ReadFromSynchro(DM&, Frontend& ui) { ui.showMessage("Not available yet: ReadFromSynchro"); }
void DelSynchro(DM&, Frontend& ui) { ui.showMessage("Not available yet: DelSynchro"); }
void Success(DM&, Frontend& ui) { ui.showMessage("Not available yet: Success"); }
void CopyNaturalKey(DM&, Frontend& ui) { ui.showMessage("Not available yet: CopyNaturalKey"); }

}  // namespace quorvel::synchro

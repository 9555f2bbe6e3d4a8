// Placeholder until this operation is written: it reports that plainly.
#include "clone/Operations.h"

namespace quorvel::clone {

void NewClone(DM&, Frontend& ui) { ui.showMessage("Not available yet: NewClone"); }
void DelClone(DM&, Frontend& ui) { ui.showMessage("Not available yet: DelClone"); }
void UpdateCloneGens(DM&, Frontend& ui) { ui.showMessage("Not available yet: UpdateCloneGens"); }

}  // namespace quorvel::clone

#pragma once
// Button operations of the page "Cloning".
#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::clone {

void NewClone(DM& dm, Frontend& ui);         // "New clone" with the dialog "New CLONE "
void DelClone(DM& dm, Frontend& ui);         // "Delete clone" (current row of QClone)
void UpdateCloneGens(DM& dm, Frontend& ui);  // "Update CLONE's data" (current row of QClone)

}  // namespace quorvel::clone

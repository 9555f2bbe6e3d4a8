#pragma once
// Button operations of the pages "Fill SYNCHRO" and "Synchronize".
#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::synchro {

void FillSynchro(DM& dm, Frontend& ui);       // "Fill SYNCHRO gdb"
void ReadFromSynchro(DM& dm, Frontend& ui);   // "Read from SYNCHRO"
void DelSynchro(DM& dm, Frontend& ui);        // delete the current history row
void Success(DM& dm, Frontend& ui);           // "Success"
void CopyNaturalKey(DM& dm, Frontend& ui);    // "Copy current record from Synchro"

}  // namespace quorvel::synchro

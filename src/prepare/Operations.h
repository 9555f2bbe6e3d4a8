#pragma once
// Button operations of the pages "Add meta structures to Master DB",
// "Generator selection", "Table selection" and the trigger switches of
// "Read from SYNCHRO". Each runs on UserDB and reports through the Frontend.
#include "operation/Frontend.h"
#include "db/DM.h"

namespace quorvel::prepare {

void CreateMeta(DM& dm, Frontend& ui);       // "Create add. structures"
void EraseMeta(DM& dm, Frontend& ui);        // "Erase add. structures"

void AddGen(DM& dm, Frontend& ui);           // ">" on the generator page (current row of QGenerator)
void RemoveGen(DM& dm, Frontend& ui);        // "<" (current row of QPKGens)
void AddTable(DM& dm, Frontend& ui);         // ">" (current row of QTables)
void RemoveTable(DM& dm, Frontend& ui);      // "<" (current row of QWorkingTables)
void AddAllTables(DM& dm, Frontend& ui);     // ">>"
void RemoveAllTables(DM& dm, Frontend& ui);  // "<<"

void CreateTriggers(DM& dm, Frontend& ui);   // "Recreate triggers"

void InactiveTriggers(DM& dm, Frontend& ui); // "Make Triggers Inactive"
void ActiveTriggers(DM& dm, Frontend& ui);   // "Make Triggers Active"

}  // namespace quorvel::prepare

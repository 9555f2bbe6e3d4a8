#pragma once
// Button operations of the pages "Add meta structures to Master DB",
// "Generator selection", "Table selection" and the trigger switches of
// "Read from SYNCHRO". Each runs on UserDB, takes what the page's edits and
// grids hold as arguments, reports through the Frontend while it runs, and
// returns how it ended.
#include <optional>
#include <string>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::prepare {

// The bounds of the master's own range of record codes, as typed in the
// edits MaxValue1 and MaxValue2 (checked by the creation), with the edits'
// initial texts.
struct MasterBounds {
    std::string maxValue1 = "0";
    std::string maxValue2 = "2000000000";
};

// "Create add. structures". The bounds go into the MASTER row, which is only
// written together with a new journal table.
Outcome CreateMeta(DM& dm, Frontend& ui, const MasterBounds& bounds);
Outcome EraseMeta(DM& dm, Frontend& ui);  // "Erase add. structures"

// The arguments naming a row are the current row of the grid the button acts
// on; nullopt when that grid is empty ("List is empty!").
//
// ">" on the generator page. Without an offset the front end is asked for one
// ("Offset setting", default 100000).
Outcome AddGen(DM& dm, Frontend& ui, const std::optional<std::string>& generator,
               const std::optional<std::string>& offset = std::nullopt);
Outcome RemoveGen(DM& dm, Frontend& ui, const std::optional<std::string>& generator);  // "<"
Outcome AddTable(DM& dm, Frontend& ui, const std::optional<std::string>& table);       // ">"
Outcome RemoveTable(DM& dm, Frontend& ui, const std::optional<std::string>& table);    // "<"
Outcome AddAllTables(DM& dm, Frontend& ui);     // ">>"
Outcome RemoveAllTables(DM& dm, Frontend& ui);  // "<<"

Outcome CreateTriggers(DM& dm, Frontend& ui);  // "Recreate triggers"

Outcome InactiveTriggers(DM& dm, Frontend& ui);  // "Make Triggers Inactive"
Outcome ActiveTriggers(DM& dm, Frontend& ui);    // "Make Triggers Active"

}  // namespace quorvel::prepare

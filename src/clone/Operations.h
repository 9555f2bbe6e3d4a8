#pragma once
// Button operations of the page "Cloning". Each takes what the page's grid
// and dialog hold as arguments, reports through the Frontend while it runs,
// and returns how it ended.
#include <cstdint>
#include <optional>
#include <string>

#include "db/DM.h"
#include "operation/Frontend.h"
#include "operation/Outcome.h"

namespace quorvel::clone {

// A row of the clone list.
struct CloneRow {
    int64_t number = 0;
    std::string name;
};

// The clone list's current row; nullopt when the list is closed or empty.
std::optional<CloneRow> SelectedClone(DM& dm);

// "New clone": the dialog "New CLONE " asks for the name and bounds until
// they are accepted or the dialog is cancelled.
Outcome NewClone(DM& dm, Frontend& ui);
// The same registration with the name and bounds given (as typed).
Outcome RegisterClone(DM& dm, Frontend& ui, const Frontend::CloneEntry& entry);

// "Delete clone" and "Update CLONE's data" act on the clone list's current
// row; nullopt when the list is empty ("List is empty!").
Outcome DelClone(DM& dm, Frontend& ui, const std::optional<std::string>& cloneName);
Outcome UpdateCloneGens(DM& dm, Frontend& ui, const std::optional<CloneRow>& clone);

}  // namespace quorvel::clone

#pragma once
// What a grid's current row holds, as a button that acts on that row passes
// it to its operation.
#include <optional>
#include <string>

#include "engine/Query.h"

namespace quorvel {

// The text of `column` in the current row of `list`; nullopt when the list is
// closed or empty, so there is no row to act on.
inline std::optional<std::string> currentValue(engine::Query& list, const std::string& column) {
    if (!list.active() || list.isEmpty()) return std::nullopt;
    return list.fieldByName(column).asString();
}

}  // namespace quorvel

#pragma once
// The tool's statements are written for dialect 1 (double-quoted text,
// DATE as a date and time, 32-bit generators). A database of another dialect
// half-accepts them and is left half-prepared, so it is refused as soon as it
// is connected, before any operation can change it.
#include <string>

#include "engine/Database.h"

namespace quorvel::connect {

// The refusal shown for a database of `dialect` reached through `alias`.
std::string otherDialectMessage(const std::string& alias, int dialect);

// For a database just connected through `alias`: when it is not a dialect-1
// database (or its dialect cannot be read), disconnects it again and throws
// Refused with the reason.
void refuseOtherDialect(engine::Database& db, const std::string& alias);

}  // namespace quorvel::connect

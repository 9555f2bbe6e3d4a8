#pragma once
// The tool speaks dialects 1 and 3, whichever the database has. One
// replication set (master, clones, synchro databases) has one dialect: rows
// of a dialect-3 database do not fit a dialect-1 one (DATE is a date there
// and a timestamp here, BIGINT and NUMERIC(18,x) do not exist in dialect 1),
// so two databases of different dialects are refused in one operation before
// anything changes.
#include <string>

#include "engine/Database.h"

namespace quorvel::connect {

// The refusal shown for a database of `dialect` reached through `alias`.
std::string otherDialectMessage(const std::string& alias, int dialect);

// For a database just connected through `alias`: when it is neither a
// dialect-1 nor a dialect-3 database (or its dialect cannot be read),
// disconnects it again and throws Refused with the reason.
void refuseOtherDialect(engine::Database& db, const std::string& alias);

// The refusal for two databases of one operation whose dialects differ,
// naming both ("" when they agree).
std::string mixedDialectsMessage(const engine::Database& a, const engine::Database& b);

// Throws Refused with mixedDialectsMessage when `a` and `b` (both connected)
// differ in dialect.
void refuseMixedDialects(const engine::Database& a, const engine::Database& b);

}  // namespace quorvel::connect

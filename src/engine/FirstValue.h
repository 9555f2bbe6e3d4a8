#pragma once
// The first column of a statement's first row: a count, a generator's value,
// a single name. The statement runs on its own query, so nothing is left
// open for the next reader.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Query.h"

namespace quorvel::engine {

// nullopt when there is no row or the value is NULL.
inline std::optional<int64_t> firstInteger(Database& db, const std::string& sql) {
    Query q(db);
    q.setSql(sql);
    q.open();
    if (q.isEmpty() || q.field(0).isNull()) return std::nullopt;
    return q.field(0).asInteger();
}

// nullopt when there is no row.
inline std::optional<std::string> firstText(Database& db, const std::string& sql) {
    Query q(db);
    q.setSql(sql);
    q.open();
    if (q.isEmpty()) return std::nullopt;
    return q.field(0).asString();
}

}  // namespace quorvel::engine

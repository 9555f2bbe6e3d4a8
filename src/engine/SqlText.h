#pragma once
// Private to the engine: small rewrites of statement text.
#include <string>

namespace quorvel::engine {

// "select <list> from T [alias] ..." with T's RDB$DB_KEY appended to the
// select list (so rows of a table without a primary key can be edited);
// "" when the statement does not have that simple shape.
std::string addDbKeyColumn(const std::string& sql);

}  // namespace quorvel::engine

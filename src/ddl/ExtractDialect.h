#pragma once
// The SQL dialect an extract says it was written in: `isql-fb -x` opens it
// with "SET SQL DIALECT n;".
#include <optional>

#include "ddl/MStream.h"

namespace quorvel::ddl {

// n of the first "SET SQL DIALECT n" (in any case) before the first CREATE;
// none when the text has no such statement there.
std::optional<int> ExtractDialect(const TMyStream& source);

}  // namespace quorvel::ddl

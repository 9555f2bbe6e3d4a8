#pragma once
// The text of a row that could not be written: which table, which column
// when the server names it or the values tell, and the row's key, before
// the server's own text. "string right truncation" alone names nothing, and
// the operator has to find the row among thousands.
#include <string>

#include "engine/DataSet.h"
#include "engine/Table.h"
#include "synchro/FieldPairs.h"

namespace quorvel::synchro {

// `source` stands on the row that failed; `pairs` maps it onto `target`.
std::string rowFailure(const std::string& serverText, engine::DataSet& source, engine::Table& target,
                       const FieldPairs& pairs);

}  // namespace quorvel::synchro

#pragma once
// Private to the engine: whole-array copies of array columns (read as raw
// slice bytes in one database, written as a new array in another).
#include <string>

#include "DataSetImpl.h"

namespace quorvel::engine {

struct ArrayShape;

// The column's array description, looked up in the catalogue once per
// data set opening.
const ArrayShape& arrayShape(DataSetImpl& ds, int column);

std::string readWholeArray(DataSetImpl& ds, int column, const ISC_QUAD& id);
ISC_QUAD writeWholeArray(DataSetImpl& ds, int column, Tx& tx, const std::string& bytes);
// Throws unless arrays of the two columns have the same element type and bounds.
void checkSameArrays(DataSetImpl& from, int fromColumn, DataSetImpl& to, int toColumn);

}  // namespace quorvel::engine

#pragma once
// Source and target fields of a transfer paired by name: the target column
// of the same name receives the source column's value, whatever order the
// two tables give their columns (sites that added columns in another order
// still exchange them right). Built once per table, used for every row.
#include <utility>
#include <vector>

#include "engine/DataSet.h"
#include "engine/Table.h"

namespace quorvel::synchro {

class FieldPairs {
public:
    // Throws DbError naming the table and the column when a source column
    // has no target column of its name: its values would be lost.
    FieldPairs(engine::DataSet& source, engine::Table& target);

    // Copies the current source row into the target's edit buffer. A computed
    // target column is left alone: its value is derived and the server
    // refuses to have it written.
    void copyRow() const;

    using Pair = std::pair<const engine::Field*, engine::Field*>;
    const std::vector<Pair>& pairs() const { return pairs_; }

private:
    std::vector<Pair> pairs_;
};

}  // namespace quorvel::synchro

#pragma once
// Source and target fields of a transfer paired by position: target field i
// receives source field i. Built once per table, used for every row.
#include <utility>
#include <vector>

#include "engine/DataSet.h"
#include "engine/Table.h"

namespace quorvel::synchro {

class FieldPairs {
public:
    // Throws DbError naming the table when the target has fewer fields than
    // the source: the rows would not fit without losing columns.
    FieldPairs(engine::DataSet& source, engine::Table& target);

    // Copies the current source row into the target's edit buffer. A computed
    // target column keeps its place in the pairing but is left alone: its
    // value is derived and the server refuses to have it written.
    void copyRow() const;

private:
    std::vector<std::pair<const engine::Field*, engine::Field*>> pairs_;
};

}  // namespace quorvel::synchro

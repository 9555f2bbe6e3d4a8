#pragma once
// One statement, prepared once, run for row after row of a source data set
// with its parameters taken straight from the source's current row buffer:
// the way a hand-written copy on the client moves rows. A transfer of many
// rows uses it instead of filling a target record field by field, which
// costs a locate or an edit buffer and value conversions per row.
//
// It only takes values whose columns have the same layout on both sides
// (type, size, scale, character set; BLOBs copied whole, into the target
// database): where any pair differs, `insertInto` and `updateOf` give null
// and the caller copies field by field, with the engine's conversions.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Field.h"
#include "Table.h"

namespace quorvel::engine {

class RowCopy {
public:
    // A source field and the target column its value goes to.
    using Pair = std::pair<const Field*, const Field*>;

    // "insert into T (targets) values (sources)".
    static std::unique_ptr<RowCopy> insertInto(Table& target, const std::vector<Pair>& pairs);
    // "update T set targets = sources where keys = sources": rows are found
    // by the key pairs' target columns holding the source values.
    static std::unique_ptr<RowCopy> updateOf(Table& target, const std::vector<Pair>& pairs,
                                             const std::vector<Pair>& key);

    ~RowCopy();
    RowCopy(const RowCopy&) = delete;
    RowCopy& operator=(const RowCopy&) = delete;

    // Runs the statement with the source's current row, in the target
    // database's transaction; returns how many rows it wrote. A failed run
    // writes nothing (the server undoes the statement).
    int64_t run();

private:
    struct Param;
    struct Impl;
    explicit RowCopy(std::unique_ptr<Impl> impl);
    static std::unique_ptr<RowCopy> build(Table& target, const std::string& sql, const std::vector<Pair>& params);
    std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel::engine

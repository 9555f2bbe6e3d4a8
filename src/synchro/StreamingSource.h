#pragma once
// Rows that pass a copy once are not kept for moving back while they stream,
// so memory stays flat however many rows move. The data set's own setting
// comes back afterwards, error or not, for the grids that show it later.
#include <cstddef>

#include "engine/DataSet.h"

namespace quorvel::synchro {

class StreamingSource {
public:
    explicit StreamingSource(engine::DataSet& ds) : ds_(ds), limit_(ds.cacheLimit()) { ds_.setCacheLimit(0); }
    ~StreamingSource() { ds_.setCacheLimit(limit_); }
    StreamingSource(const StreamingSource&) = delete;
    StreamingSource& operator=(const StreamingSource&) = delete;

private:
    engine::DataSet& ds_;
    std::size_t limit_;
};

}  // namespace quorvel::synchro

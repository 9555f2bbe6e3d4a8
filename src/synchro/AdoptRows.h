#pragma once
// A master restored from a backup lacks what it did and read after the
// backup; the clone that read its newest fill holds all of it that reached
// any site. Adopting that clone's rows makes the master's working tables
// that clone's, row for row, record codes included.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Database.h"
#include "operation/Reporter.h"
#include "replica/RecordCode.h"

namespace quorvel::synchro {

struct AdoptedRows {
    std::vector<std::pair<std::string, int64_t>> tables;  // rows now held, in the table order
    replica::RecordCode highestOwn;                       // the highest code of `ownBound`'s range among them
};

// In the master's and the clone's open transactions (the master's with the
// tool's triggers passing over it): every row of the working tables goes,
// children first, and the clone's rows come in, parents first. Throws the
// server's error, naming the table.
AdoptedRows adoptRows(engine::Database& master, engine::Database& clone, const replica::RecordCode& ownBound,
                      Reporter& reporter);

}  // namespace quorvel::synchro

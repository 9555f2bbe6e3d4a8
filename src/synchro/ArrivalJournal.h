#pragma once
// After a read's passes, in its local transaction: the master journals what
// it applied from a clone, with that clone as origin, so that its next fills
// pass it on to the other clones; a clone drops its own update entries that
// the master's side won over.
#include "engine/Database.h"
#include "synchro/ArrivalRules.h"

namespace quorvel::synchro {

void journalArrivals(engine::Database& local, const ArrivalRules& rules);

}  // namespace quorvel::synchro

#pragma once
// The parts of a synchro database that tell the sites about each other: who
// filled it (R$SENDER), the last fill of each site its filler had read
// (R$ACKNOWLEDGED), and the journal's origin, first fill and seen columns.
// A synchro database made by an earlier definition lacks some: the fill adds
// them, and the read takes what is there.
#include <cstdint>

#include "engine/Database.h"

namespace quorvel::synchro {

extern const char* const kCreateAcknowledgedTable;

// Adds what `synchro` lacks, in transactions of its own.
void completeSynchroDefinition(engine::Database& synchro);

// The number of `site`'s last fill that the filler had read; 0 when none, or
// when the synchro database does not tell. In the current transaction.
int64_t acknowledgementOf(engine::Database& synchro, int64_t site);

}  // namespace quorvel::synchro

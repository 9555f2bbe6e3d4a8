#include "synchro/TriggerState.h"

#include "prepare/TriggerState.h"

namespace quorvel::synchro {

bool triggersActive(engine::Database& db) { return !prepare::TriggersInactive(db); }

}  // namespace quorvel::synchro

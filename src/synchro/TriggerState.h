#pragma once
// Whether the tool's triggers of a database are switched on: the answer the
// trigger switches themselves go by (prepare/TriggerState.h), which reads
// the triggers rather than trusting R$Trig, so a read never runs while a
// switching cut short left some of them on.
#include "engine/Database.h"

namespace quorvel::synchro {

bool triggersActive(engine::Database& db);

}  // namespace quorvel::synchro

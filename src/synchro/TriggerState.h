#pragma once
// Whether the tool's triggers of a database are switched on (R$Trig = 0) or
// off for a read (R$Trig = 1), read from the generator itself.
#include "engine/Database.h"

namespace quorvel::synchro {

bool triggersActive(engine::Database& db);

}  // namespace quorvel::synchro

#pragma once
// Whether the tool's triggers of a database are switched on. R$Trig says
// what the last switching finished with (0 on, 1 off); a switching cut short
// (the process killed) leaves some of them on while R$Trig says off, and a
// read must not run then, so "off" is taken from the triggers themselves.
#include "engine/Database.h"

namespace quorvel::synchro {

bool triggersActive(engine::Database& db);

}  // namespace quorvel::synchro

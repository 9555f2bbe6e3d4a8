#pragma once
// A check of the exchange that stops an operation before it changed
// anything: the operation reports it as refused, not as failed.
#include "operation/Refused.h"

namespace quorvel::synchro {

using Refusal = quorvel::Refused;

}  // namespace quorvel::synchro

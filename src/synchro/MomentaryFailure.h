#pragma once
// A read stopped by the moment, not by the data: another user's change of a
// row the read must write, not yet committed, or a connection lost on the
// way. Nothing was applied, neither side's row is at fault, and reading again
// later goes through; settling a collision would drop a good row.
#include <exception>
#include <optional>
#include <string>

namespace quorvel::synchro {

// The operator's message when `e` (the error that stopped the read on
// `table`, "" before any table) is such a failure; nullopt otherwise.
std::optional<std::string> momentaryReadFailure(const std::exception& e, const std::string& table);

}  // namespace quorvel::synchro

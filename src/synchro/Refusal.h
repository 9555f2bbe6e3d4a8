#pragma once
// A check of the exchange that stops an operation before it changed
// anything: the operation reports it as refused, not as failed.
#include <stdexcept>
#include <string>

namespace quorvel::synchro {

class Refusal : public std::runtime_error {
public:
    explicit Refusal(const std::string& why) : std::runtime_error(why) {}
};

}  // namespace quorvel::synchro

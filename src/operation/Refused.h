#pragma once
// The one way an operation says no before it changed anything: thrown from
// any depth, turned into Outcome::refused by runOperation.
#include <stdexcept>
#include <string>

namespace quorvel {

class Refused : public std::runtime_error {
public:
    explicit Refused(const std::string& why) : std::runtime_error(why) {}
};

}  // namespace quorvel

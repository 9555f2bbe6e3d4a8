#pragma once
// A dynamically typed value, the engine's "variant".
#include <cstdint>
#include <string>
#include <variant>

namespace quorvel::engine {

struct Null {
    bool operator==(const Null&) const = default;
};

// Null, integer (all exact types without scale), double (floats and scaled
// numerics read as variant), or text (CHAR/VARCHAR/BLOB text, dates as text).
using Value = std::variant<Null, int64_t, double, std::string>;

inline bool isNull(const Value& v) { return std::holds_alternative<Null>(v); }
std::string valueToString(const Value& v);

}  // namespace quorvel::engine

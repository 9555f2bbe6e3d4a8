#pragma once
// A dynamically typed value, the engine's "variant".
#include <cstdint>
#include <string>
#include <variant>

namespace quorvel::engine {

struct Null {
    bool operator==(const Null&) const = default;
};

// An exact number with decimals (NUMERIC/DECIMAL stored as an integer):
// units * 10^scale, scale negative as the server stores it. Carried as is so
// that no digit is lost on the way through a double.
struct Scaled {
    int64_t units = 0;
    int scale = 0;
    bool operator==(const Scaled&) const = default;
};

// Null, integer (exact types without scale), double (floating types), text
// (CHAR/VARCHAR/BLOB text, dates and times as text with their fraction of a
// second) or an exact scaled number.
using Value = std::variant<Null, int64_t, double, std::string, Scaled>;

inline bool isNull(const Value& v) { return std::holds_alternative<Null>(v); }
std::string valueToString(const Value& v);

}  // namespace quorvel::engine

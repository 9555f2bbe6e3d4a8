#include "Value.h"

#include <charconv>

#include "ValueCodec.h"

namespace quorvel::engine {

std::string formatDouble(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

std::string valueToString(const Value& v) {
    if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) return formatDouble(*d);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* x = std::get_if<Scaled>(&v)) return formatScaled(x->units, x->scale);
    return {};
}

}  // namespace quorvel::engine

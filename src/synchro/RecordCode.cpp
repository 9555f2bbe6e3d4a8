#include "synchro/RecordCode.h"

namespace quorvel::synchro {

namespace {
std::string n(int64_t v) { return std::to_string(v); }
}  // namespace

std::string codeAbove(const RecordCode& m, const std::string& q) {
    return "(" + q + "R$Code1 >= " + n(m.high) + " and (" + q + "R$Code1 > " + n(m.high) + " or " + q +
           "R$Code2 > " + n(m.low) + "))";
}

std::string codeBelow(const RecordCode& m, const std::string& q) {
    return "(" + q + "R$Code1 <= " + n(m.high) + " and (" + q + "R$Code1 < " + n(m.high) + " or " + q +
           "R$Code2 < " + n(m.low) + "))";
}

std::string codeBetween(const RecordCode& low, const RecordCode& high, const std::string& q) {
    return "(" + q + "R$Code1 between " + n(low.high) + " and " + n(high.high) + " and (" + q + "R$Code1 > " +
           n(low.high) + " or " + q + "R$Code2 > " + n(low.low) + ") and (" + q + "R$Code1 < " + n(high.high) +
           " or " + q + "R$Code2 < " + n(high.low) + "))";
}

}  // namespace quorvel::synchro

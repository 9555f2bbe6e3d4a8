#include "replica/RecordCode.h"

namespace quorvel::replica {

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

std::string codeIs(const RecordCode& c) { return "R$Code1 = " + n(c.high) + " and R$Code2 = " + n(c.low); }

std::string codeBetween(const RecordCode& low, const RecordCode& high, const std::string& q) {
    const std::string c1 = q + "R$Code1", c2 = q + "R$Code2";
    // Written as equalities on the high word with a range of the low word,
    // so the server bounds both columns of the code index: a range on the
    // high word alone would walk every index entry of that word, the whole
    // table for a site whose codes share one high word.
    if (low.high == high.high)
        return "(" + c1 + " = " + n(low.high) + " and " + c2 + " > " + n(low.low) + " and " + c2 + " < " +
               n(high.low) + ")";
    if (low.high > high.high) return "(" + c1 + " between " + n(low.high) + " and " + n(high.high) + ")";  // empty
    return "((" + c1 + " = " + n(low.high) + " and " + c2 + " > " + n(low.low) + ") or (" + c1 + " > " +
           n(low.high) + " and " + c1 + " < " + n(high.high) + ") or (" + c1 + " = " + n(high.high) + " and " + c2 +
           " < " + n(high.low) + "))";
}

}  // namespace quorvel::replica

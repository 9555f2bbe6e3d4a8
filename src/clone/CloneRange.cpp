#include "clone/CloneRange.h"

#include <limits>

namespace quorvel::clone {

RecordCodeStart startAfter(int64_t maxValue1, int64_t maxValue2) {
    if (maxValue2 + 1 > kMaxLowWord) return {maxValue1 + 1, 0};
    return {maxValue1, maxValue2 + 1};
}

std::optional<int32_t> generatorIncrement(int64_t offset, int64_t cloneNumber) {
    // Both factors come from 32-bit columns, so the 64-bit product is exact.
    int64_t product = offset * cloneNumber;
    if (product < std::numeric_limits<int32_t>::min() || product > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(product);
}

}  // namespace quorvel::clone

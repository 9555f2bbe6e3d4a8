#include "clone/CloneRange.h"

#include <limits>

namespace quorvel::clone {

RecordCodeStart startAfter(int64_t maxValue1, int64_t maxValue2) {
    if (maxValue2 + 1 > kMaxLowWord) return {maxValue1 + 1, 0};
    return {maxValue1, maxValue2 + 1};
}

std::optional<int64_t> generatorIncrement(int64_t offset, int64_t cloneNumber, int dialect) {
    int64_t product = 0;
    if (__builtin_mul_overflow(offset, cloneNumber, &product)) return std::nullopt;
    if (dialect < 3 &&
        (product < std::numeric_limits<int32_t>::min() || product > std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return product;
}

}  // namespace quorvel::clone

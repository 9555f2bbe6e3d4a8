#pragma once
// Arithmetic of the clone update: where a clone's record codes start and how
// far its primary-key generators move.
#include <cstdint>
#include <optional>

namespace quorvel::clone {

// Largest low word of a record code; the low word rolls over into the high
// word after it.
inline constexpr int64_t kMaxLowWord = 2000000000;

struct RecordCodeStart {
    int64_t gen1;  // value for R$GEN1
    int64_t gen2;  // value for R$GEN2
};

// Generator values that make the next record code the one just after the
// bound (maxValue1, maxValue2) of the previous database.
RecordCodeStart startAfter(int64_t maxValue1, int64_t maxValue2);

// offset x cloneNumber when it fits a signed integer of the widest step gen_id
// takes in `dialect` (32 bits in dialect 1, 64 in dialect 3); nullopt
// otherwise, since a wrapped step would move the generator backwards.
std::optional<int64_t> generatorIncrement(int64_t offset, int64_t cloneNumber, int dialect = 1);

}  // namespace quorvel::clone

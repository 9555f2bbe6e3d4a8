#include "synchro/FieldPairs.h"

#include "engine/Error.h"

namespace quorvel::synchro {

FieldPairs::FieldPairs(engine::DataSet& source, engine::Table& target) {
    const int count = source.fieldCount();
    if (target.fieldCount() < count)
        throw engine::DbError("Table " + target.tableName() + " has " +
                              std::to_string(target.fieldCount()) +
                              " fields, fewer than the " + std::to_string(count) +
                              " fields of the rows transferred into it");
    pairs_.reserve(count);
    for (int i = 0; i < count; ++i) {
        engine::Field& to = target.field(i);
        if (to.isComputed() || to.type() == engine::FieldType::Calculated) continue;
        pairs_.emplace_back(&source.field(i), &to);
    }
}

void FieldPairs::copyRow() const {
    for (const auto& [from, to] : pairs_) to->assign(*from);
}

}  // namespace quorvel::synchro

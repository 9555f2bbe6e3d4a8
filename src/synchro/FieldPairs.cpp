#include "synchro/FieldPairs.h"

#include "engine/Error.h"

namespace quorvel::synchro {

FieldPairs::FieldPairs(engine::DataSet& source, engine::Table& target) {
    const int count = source.fieldCount();
    pairs_.reserve(count);
    for (int i = 0; i < count; ++i) {
        const engine::Field& from = source.field(i);
        if (from.type() == engine::FieldType::Calculated) continue;
        engine::Field* to = target.findField(from.name());
        if (!to)
            throw engine::DbError("Table " + target.tableName() + " has no column " + from.name() +
                                  ": the rows transferred into it carry one, whose values would be lost");
        if (to->isComputed() || to->type() == engine::FieldType::Calculated) continue;
        pairs_.emplace_back(&from, to);
    }
}

void FieldPairs::copyRow() const {
    for (const auto& [from, to] : pairs_) to->assign(*from);
}

}  // namespace quorvel::synchro

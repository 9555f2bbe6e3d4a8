#include "synchro/RecordTransfer.h"

#include <vector>

#include "engine/Error.h"
#include "synchro/FieldPairs.h"
#include "synchro/RowFailure.h"
#include "synchro/StreamingSource.h"

namespace quorvel::synchro {

std::vector<std::string> splitKeyList(const std::string& list) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = list.find(';', start);
        names.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return names;
        start = end + 1;
    }
}

const std::vector<std::string>& recordCodeColumns() {
    static const std::vector<std::string> columns{"R$CODE1", "R$CODE2"};
    return columns;
}

RecordTransfer::RecordTransfer(engine::DataSet& source, engine::Table& target) : source_(source), target_(target) {}

void RecordTransfer::reopen() {
    source_.close();
    source_.open();
    target_.close();
    target_.open();
    source_.first();
}

int64_t RecordTransfer::append() {
    const StreamingSource streaming(source_);
    reopen();
    int64_t moved = 0;
    if (source_.eof()) return moved;
    const FieldPairs pairs(source_, target_);
    for (; !source_.eof(); source_.next()) {
        target_.append();
        try {
            pairs.copyRow();
            target_.post();
        } catch (const engine::DbError& e) {
            throw engine::DbError(rowFailure(e.what(), source_, target_, pairs), e.sqlCode(), e.gdsCode(),
                                  e.failure());
        }
        countMoved(moved);
    }
    return moved;
}

RecordTransfer::Overwritten RecordTransfer::overwrite(const std::vector<std::string>& keyColumns,
                                                      const KeepLocal& keepLocal) {
    const StreamingSource streaming(source_);
    reopen();
    Overwritten result;
    if (source_.eof()) return result;
    const FieldPairs pairs(source_, target_);
    const bool byCode = keyColumns == recordCodeColumns();
    std::vector<const engine::Field*> key;
    std::string keyList;
    for (const std::string& column : keyColumns) {
        const engine::Field* f = source_.findField(column);
        if (!f || !target_.findField(column))
            throw engine::DbError("Table " + target_.tableName() +
                                  (byCode ? std::string(" has no record code (R$Code1, R$Code2)")
                                          : " has no column " + column) +
                                  " on both sides: its rows cannot be found for update");
        key.push_back(f);
        keyList += (keyList.empty() ? "" : ";") + column;
    }
    const engine::Field* code1 = keepLocal ? source_.findField("R$CODE1") : nullptr;
    const engine::Field* code2 = keepLocal ? source_.findField("R$CODE2") : nullptr;
    if (keepLocal && (!code1 || !code2))
        throw engine::DbError("Table " + target_.tableName() +
                              " has no record code (R$Code1, R$Code2) on both sides: its rows cannot be found "
                              "for update");
    std::vector<engine::Value> values(key.size());

    for (; !source_.eof(); source_.next()) {
        for (std::size_t k = 0; k < key.size(); ++k) values[k] = key[k]->asValue();
        if (!target_.locate(keyList, values)) {
            ++result.notFound;
            continue;
        }
        // A NULL half of a code matches no journal entry (their codes are never NULL).
        if (keepLocal && !code1->isNull() && !code2->isNull() &&
            keepLocal({code1->asInteger(), code2->asInteger()})) {
            ++result.keptLocal;
            continue;
        }
        target_.edit();
        pairs.copyRow();
        target_.post();
        countMoved(result.moved);
    }
    return result;
}

void RecordTransfer::countMoved(int64_t& moved) const {
    ++moved;
    if (onRows && moved % kProgressStep == 0) onRows(moved);
}

}  // namespace quorvel::synchro

#include "synchro/RecordTransfer.h"

#include <vector>

#include "engine/Error.h"
#include "engine/RowCopy.h"
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

namespace {

std::vector<engine::RowCopy::Pair> copyPairs(const FieldPairs& pairs) {
    return {pairs.pairs().begin(), pairs.pairs().end()};
}

}  // namespace

// Rows go through one prepared insert fed straight from the source's row,
// as a hand-written copy moves them; field by field only where the two
// sides' columns differ in layout.
int64_t RecordTransfer::append() {
    const StreamingSource streaming(source_);
    reopen();
    int64_t moved = 0;
    if (source_.eof()) return moved;
    const FieldPairs pairs(source_, target_);
    const std::unique_ptr<engine::RowCopy> insert = engine::RowCopy::insertInto(target_, copyPairs(pairs));
    const Key key = replaceKey.empty() ? Key{} : keyOf(replaceKey);
    const std::unique_ptr<engine::RowCopy> update =
        replaceKey.empty() ? nullptr : engine::RowCopy::updateOf(target_, copyPairs(pairs), key.pairs);
    for (; !source_.eof(); source_.next()) {
        const Take take = chooseRow ? chooseRow(source_) : Take::Append;
        if (take == Take::Skip) continue;
        if (take == Take::Replace && !replaceKey.empty()) {
            replaceOne(update.get(), insert.get(), pairs, key);
            continue;
        }
        appendOne(insert.get(), pairs);
        countMoved(moved);
    }
    return moved;
}

void RecordTransfer::appendOne(engine::RowCopy* insert, const FieldPairs& pairs) {
    if (!insert) {
        appendRow(pairs);
        return;
    }
    try {
        insert->run();
    } catch (const engine::DbError& e) {
        // The record that failed is shown in insert state, as the
        // field-by-field way leaves it.
        try {
            target_.append();
            pairs.copyRow();
        } catch (const std::exception&) {
            // The server's first failure is the one to report.
        }
        throw engine::DbError(rowFailure(e.what(), source_, target_, pairs), e.sqlCode(), e.gdsCode(), e.failure());
    }
}

void RecordTransfer::replaceOne(engine::RowCopy* update, engine::RowCopy* insert,
                                const FieldPairs& pairs, const Key& key) {
    if (update && update->run() > 0) return;
    std::vector<engine::Value> values;
    if (!locate(key, values)) {
        appendOne(insert, pairs);
        return;
    }
    try {
        overwriteRow(pairs);
    } catch (const engine::DbError& e) {
        throw engine::DbError(rowFailure(e.what(), source_, target_, pairs), e.sqlCode(), e.gdsCode(), e.failure());
    }
}

RecordTransfer::Key RecordTransfer::keyOf(const std::vector<std::string>& columns) const {
    const bool byCode = columns == recordCodeColumns();
    Key key;
    for (const std::string& column : columns) {
        const engine::Field* f = source_.findField(column);
        const engine::Field* t = target_.findField(column);
        if (!f || !t)
            throw engine::DbError("Table " + target_.tableName() +
                                  (byCode ? std::string(" has no record code (R$Code1, R$Code2)")
                                          : " has no column " + column) +
                                  " on both sides: its rows cannot be found for update");
        key.source.push_back(f);
        key.pairs.emplace_back(f, t);
        key.list += (key.list.empty() ? "" : ";") + column;
    }
    return key;
}

bool RecordTransfer::locate(const Key& key, std::vector<engine::Value>& values) const {
    values.resize(key.source.size());
    for (std::size_t k = 0; k < key.source.size(); ++k) values[k] = key.source[k]->asValue();
    return target_.locate(key.list, values);
}

void RecordTransfer::appendRow(const FieldPairs& pairs) {
    target_.append();
    try {
        pairs.copyRow();
        target_.post();
    } catch (const engine::DbError& e) {
        throw engine::DbError(rowFailure(e.what(), source_, target_, pairs), e.sqlCode(), e.gdsCode(),
                              e.failure());
    }
}

// Each row is written by one update by key prepared once, as a hand-written
// copy does it; only a row the update did not find is looked for, to tell a
// missing row from one that is there. A row the local side keeps is looked
// for instead of written.
RecordTransfer::Overwritten RecordTransfer::overwrite(const std::vector<std::string>& keyColumns,
                                                      const KeepLocal& keepLocal, const OnHeld& onHeld) {
    const StreamingSource streaming(source_);
    reopen();
    Overwritten result;
    if (source_.eof()) return result;
    const FieldPairs pairs(source_, target_);
    const Key key = keyOf(keyColumns);
    const bool asksLocal = keepLocal || onHeld;
    const engine::Field* code1 = asksLocal ? source_.findField("R$CODE1") : nullptr;
    const engine::Field* code2 = asksLocal ? source_.findField("R$CODE2") : nullptr;
    if (asksLocal && (!code1 || !code2))
        throw engine::DbError("Table " + target_.tableName() +
                              " has no record code (R$Code1, R$Code2) on both sides: its rows cannot be found "
                              "for update");
    const std::unique_ptr<engine::RowCopy> update = engine::RowCopy::updateOf(target_, copyPairs(pairs), key.pairs);
    std::vector<engine::Value> values;
    const auto located = [&] { return locate(key, values); };

    for (; !source_.eof(); source_.next()) {
        // A NULL half of a code matches no journal entry (their codes are never NULL).
        const bool coded = asksLocal && !code1->isNull() && !code2->isNull();
        const replica::RecordCode code = coded ? replica::RecordCode{code1->asInteger(), code2->asInteger()}
                                               : replica::RecordCode{};
        if (coded && keepLocal && keepLocal(code)) {
            if (!located()) {
                ++result.notFound;
                continue;
            }
            ++result.keptLocal;
            if (onHeld) onHeld(code, true);
            continue;
        }
        bool written = false;
        if (update) {
            try {
                written = update->run() > 0;
            } catch (const engine::DbError& e) {
                if (coded && onRefused && onRefused(code, e)) continue;
                // The record that failed is shown in edit state, as the
                // field-by-field way leaves it.
                try {
                    if (located()) {
                        target_.edit();
                        pairs.copyRow();
                    }
                } catch (const std::exception&) {
                    // The server's first failure is the one to report.
                }
                throw;
            }
        }
        if (!written) {
            if (!located()) {
                ++result.notFound;
                continue;
            }
            try {
                overwriteRow(pairs);
            } catch (const engine::DbError& e) {
                if (!(coded && onRefused && onRefused(code, e))) throw;
                target_.cancel();
                continue;
            }
        }
        if (coded && onHeld) onHeld(code, false);
        countMoved(result.moved);
    }
    return result;
}

void RecordTransfer::overwriteRow(const FieldPairs& pairs) {
    target_.edit();
    pairs.copyRow();
    target_.post();
}

void RecordTransfer::countMoved(int64_t& moved) const {
    ++moved;
    if (onRows && moved % kProgressStep == 0) onRows(moved);
}

}  // namespace quorvel::synchro
